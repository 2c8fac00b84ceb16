velmar_add_test(skin_tests
    ${CMAKE_CURRENT_LIST_DIR}/skin_config_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/skin_resources_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/skin_account_test.cpp
)
target_link_libraries(skin_tests PRIVATE common)
