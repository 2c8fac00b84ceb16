# The hook procedure's decisions, without a hook.
velmar_add_test(hook_tests
    ${CMAKE_CURRENT_LIST_DIR}/hook_decision_test.cpp
    ${CMAKE_SOURCE_DIR}/hook/HookDecision.cpp
)
target_include_directories(hook_tests PRIVATE ${CMAKE_SOURCE_DIR}/hook)
