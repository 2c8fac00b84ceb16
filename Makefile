.PHONY: all build test run bench clean
all: build

build:
	@bash -c 'source scripts/lib.sh && ensure_packages && configure_and_build'

test:
	@scripts/test.sh

run:
	@scripts/run.sh

bench:
	@scripts/bench.sh

clean:
	rm -rf build out
