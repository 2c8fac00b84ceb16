# Velmar beside the taskbars people really have: other programs' "Shell_TrayWnd"
# windows, a shell that stalls or restarts, displays that change, and the ways
# the system closes a program (taskkill, Restart Manager, sign-out).
include(${CMAKE_CURRENT_LIST_DIR}/standin.cmake)

velmar_add_taskbar_test(shell_e2e_tests ${CMAKE_CURRENT_LIST_DIR}/shell_e2e_test.cpp)
target_include_directories(shell_e2e_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_SOURCE_DIR}/main
    ${CMAKE_SOURCE_DIR}/main/taskbar ${CMAKE_SOURCE_DIR}/main/parts ${CMAKE_SOURCE_DIR}/framework)
# Not linked with Pegwell: the test's own process must be free to show that it never gets the library.
add_dependencies(shell_e2e_tests Velmar pegwell default_skin)
