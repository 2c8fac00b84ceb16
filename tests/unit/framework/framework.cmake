velmar_add_test(framework_tests
    ${CMAKE_CURRENT_LIST_DIR}/framework_text_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/framework_window_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/framework_lifetime_test.cpp
)
target_link_libraries(framework_tests PRIVATE framework)
