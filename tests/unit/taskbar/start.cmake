# The Start button: its pure decisions, and the real window on an in-process
# stand-in taskbar (which shares the desktop's taskbar with other tests, hence
# the taskbar test kind with its lock).
velmar_add_test(start_tests ${CMAKE_CURRENT_LIST_DIR}/start_logic_test.cpp)
target_link_libraries(start_tests PRIVATE velmar_start)

include(${CMAKE_SOURCE_DIR}/tests/e2e/standin.cmake)
velmar_add_taskbar_test(start_window_tests ${CMAKE_CURRENT_LIST_DIR}/start_window_test.cpp)
target_link_libraries(start_window_tests PRIVATE velmar_start)

# The keyboard hook's own thread against a busy UI thread; it presses keys and
# takes the foreground (its lane runs one program at a time).
velmar_test_executable(start_key_hook_tests ${CMAKE_CURRENT_LIST_DIR}/start_key_hook_test.cpp)
target_link_libraries(start_key_hook_tests PRIVATE velmar_start)
velmar_discover_tests(start_key_hook_tests)
