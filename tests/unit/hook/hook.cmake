# The hook procedure's decisions, without a hook.
velmar_add_test(hook_tests
    ${CMAKE_CURRENT_LIST_DIR}/hook_decision_test.cpp
    ${CMAKE_SOURCE_DIR}/hook/HookDecision.cpp
    ${CMAKE_SOURCE_DIR}/common/ShellTaskbar.cpp
)
target_include_directories(hook_tests PRIVATE ${CMAKE_SOURCE_DIR}/hook ${CMAKE_SOURCE_DIR}/common)

# Pegwell's real hook procedure facing messages it must not act on. It
# installs the global hook: one at a time with the other taskbar tests.
include(${CMAKE_SOURCE_DIR}/tests/e2e/standin.cmake)
velmar_add_taskbar_test(hook_proc_tests ${CMAKE_CURRENT_LIST_DIR}/hook_proc_test.cpp)
target_link_libraries(hook_proc_tests PRIVATE pegwell)
target_include_directories(hook_proc_tests PRIVATE ${CMAKE_SOURCE_DIR}/hook)
