velmar_add_test(common_tests
    ${CMAKE_CURRENT_LIST_DIR}/common_paths_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/common_system_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/common_search_test.cpp
)
target_link_libraries(common_tests PRIVATE common)
add_dependencies(common_tests launch_recorder version_probe)

# Resource-only library with a deliberately mismatched version translation.
add_library(version_probe MODULE ${CMAKE_CURRENT_LIST_DIR}/data/version_probe.rc)
set_target_properties(version_probe PROPERTIES PREFIX "" LINKER_LANGUAGE CXX)
target_link_options(version_probe PRIVATE -nostdlib -Wl,-e,0 -s)
