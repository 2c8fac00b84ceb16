include_guard(GLOBAL)

# Tests of the Start menu and its lists, run in the test process against a
# skin the tests write. The menu resources come from the program's
# own resource script.
function(velmar_menu_test name)
    cmake_parse_arguments(T "SERIAL" "" "SOURCES" ${ARGN})
    add_executable(${name} ${T_SOURCES} ${CMAKE_SOURCE_DIR}/main/Velmar.rc)
    target_link_libraries(${name} PRIVATE velmar_menu gtest gtest_main)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support ${CMAKE_CURRENT_LIST_DIR}
        ${CMAKE_SOURCE_DIR}/main)
    add_dependencies(${name} launch_recorder)
    velmar_target_options(${name})
    set(_props TIMEOUT 120)
    # These move the real mouse and take the activation: nothing else may run beside them.
    if(T_SERIAL)
        list(APPEND _props RUN_SERIAL TRUE)
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 120
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
        PROPERTIES ${_props})
endfunction()
