velmar_add_test(startup_e2e_tests ${CMAKE_CURRENT_LIST_DIR}/startup_e2e_test.cpp)
target_include_directories(startup_e2e_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR})
add_dependencies(startup_e2e_tests Velmar)
