# Velmar beside other programs' taskbar windows, a stalling or restarting shell,
# display changes and the system closing it. Not linked with Pegwell: the test
# process shows that it never gets the library.
include(${CMAKE_CURRENT_LIST_DIR}/standin.cmake)
velmar_add_taskbar_test(shell_e2e_tests ${CMAKE_CURRENT_LIST_DIR}/shell_e2e_test.cpp)
target_include_directories(shell_e2e_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_SOURCE_DIR}/main/taskbar
    ${CMAKE_SOURCE_DIR}/main ${CMAKE_SOURCE_DIR}/main/parts ${CMAKE_SOURCE_DIR}/framework)
add_dependencies(shell_e2e_tests Velmar pegwell default_skin)
