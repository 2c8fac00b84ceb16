# The menu's pinned list and all-programs tree inside the real menu window, in
# the test process; the menu resources come from the program's resource script.
function(velmar_lists_test name)
    cmake_parse_arguments(L "SERIAL" "" "SOURCES" ${ARGN})
    add_executable(${name} ${L_SOURCES} ${CMAKE_SOURCE_DIR}/main/Velmar.rc)
    target_link_libraries(${name} PRIVATE velmar_menu gtest gtest_main)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support ${CMAKE_CURRENT_LIST_DIR}
        ${CMAKE_SOURCE_DIR}/main)
    add_dependencies(${name} launch_recorder)
    velmar_target_options(${name})
    set(_props TIMEOUT 120)
    # Clicks and popup menus need the activation: nothing else may run beside them.
    if(L_SERIAL)
        list(APPEND _props RUN_SERIAL TRUE)
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 120
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
        PROPERTIES ${_props})
endfunction()

velmar_lists_test(lists_menu_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/lists_menu_test.cpp)
velmar_lists_test(lists_input_tests SERIAL SOURCES ${CMAKE_CURRENT_LIST_DIR}/lists_input_test.cpp)
