# Quillset.exe end to end. Its tests run alone: each holds the program's
# single-instance mutex, and the input test needs the foreground window.
add_executable(quillset_e2e_tests ${CMAKE_CURRENT_LIST_DIR}/quillset_e2e_test.cpp)
target_link_libraries(quillset_e2e_tests PRIVATE gtest gtest_main)
target_include_directories(quillset_e2e_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_LIST_DIR}/../support)
velmar_target_options(quillset_e2e_tests)
add_dependencies(quillset_e2e_tests Quillset default_skin launch_recorder)
gtest_discover_tests(quillset_e2e_tests
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
    PROPERTIES TIMEOUT 120 RUN_SERIAL TRUE)
