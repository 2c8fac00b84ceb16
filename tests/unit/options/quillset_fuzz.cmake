# Damaged application lists through the real options dialog and back to disk.
include(${CMAKE_CURRENT_LIST_DIR}/quillset.cmake)

quillset_test(fuzz_quillset_tests ${CMAKE_CURRENT_LIST_DIR}/fuzz_applist_quillset_test.cpp)
