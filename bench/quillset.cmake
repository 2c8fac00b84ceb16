# Quillset opening a list of 10,000 entries until its dialog is shown and
# answers, against a bare dialog process that lists the same file's names.
add_executable(bare_list WIN32 ${CMAKE_CURRENT_LIST_DIR}/bare_list.cpp)
target_link_options(bare_list PRIVATE -municode)
velmar_target_options(bare_list)

velmar_add_bench(bench_quillset ${CMAKE_CURRENT_LIST_DIR}/quillset_bench.cpp)
target_include_directories(bench_quillset PRIVATE ${CMAKE_SOURCE_DIR}/tests/e2e)
add_dependencies(bench_quillset Quillset default_skin bare_list)
