# Pegwell's hook at work in another process: the stand-in taskbar plays the shell.
include(${CMAKE_CURRENT_LIST_DIR}/standin.cmake)

velmar_add_taskbar_test(hook_e2e_tests ${CMAKE_CURRENT_LIST_DIR}/hook_e2e_test.cpp)
target_link_libraries(hook_e2e_tests PRIVATE pegwell)
