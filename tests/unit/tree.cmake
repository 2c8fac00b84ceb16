# Row arithmetic shared by both programs' list controls.
velmar_add_test(tree_core_tests ${CMAKE_CURRENT_LIST_DIR}/tree_core_test.cpp)
target_link_libraries(tree_core_tests PRIVATE common)

# The shell's context menu for one item.
velmar_add_test(shell_pidl_tests ${CMAKE_CURRENT_LIST_DIR}/shell_pidl_test.cpp)
target_link_libraries(shell_pidl_tests PRIVATE velmar_shell)
