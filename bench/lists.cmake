velmar_add_bench(bench_lists ${CMAKE_CURRENT_LIST_DIR}/lists_bench.cpp)
target_link_libraries(bench_lists PRIVATE velmar_lists)
