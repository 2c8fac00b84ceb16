# Damaged application lists through the real options dialog and back to disk
# (after quillset.cmake, which defines quillset_test).
quillset_test(fuzz_quillset_tests ${CMAKE_CURRENT_LIST_DIR}/fuzz_applist_quillset_test.cpp)
