# Row arithmetic shared by both programs' list controls.
velmar_add_test(tree_core_tests ${CMAKE_CURRENT_LIST_DIR}/tree_core_test.cpp)
target_link_libraries(tree_core_tests PRIVATE common)

# The shell's context menu for one item.
velmar_add_test(shell_pidl_tests ${CMAKE_CURRENT_LIST_DIR}/shell_pidl_test.cpp)
target_link_libraries(shell_pidl_tests PRIVATE velmar_lists)

# The list and tree control of the start menu, in real windows.
velmar_add_test(tree_tests
    ${CMAKE_CURRENT_LIST_DIR}/tree_main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tree_wnd_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tree_all_programs_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tree_paint_test.cpp
)
target_link_libraries(tree_tests PRIVATE velmar_lists)
add_dependencies(tree_tests version_probe)
