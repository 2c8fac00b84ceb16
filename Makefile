.PHONY: all build test run bench package fuzz clean
all: build

build:
	@bash -c 'source scripts/lib.sh && ensure_packages && configure_and_build'

test:
	@scripts/test.sh

run:
	@scripts/run.sh

bench:
	@scripts/bench.sh

package:
	@scripts/package.sh

fuzz:
	@scripts/fuzz.sh

clean:
	rm -rf build build-fuzz out
