# Quillset.exe end to end. Its tests run alone: each holds the program's
# single-instance mutex, and the input test needs the foreground window.
velmar_test_executable(quillset_e2e_tests ${CMAKE_CURRENT_LIST_DIR}/quillset_e2e_test.cpp)
target_include_directories(quillset_e2e_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_SOURCE_DIR})
add_dependencies(quillset_e2e_tests Quillset default_skin launch_recorder)
velmar_discover_tests(quillset_e2e_tests)
