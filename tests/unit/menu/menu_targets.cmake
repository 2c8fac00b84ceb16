include_guard(GLOBAL)

# Tests of the Start menu and its lists, run in the test process against a
# skin the tests write. The menu resources come from the program's
# own resource script; the fixtures of the menu and of its lists
# (menu_test_support.h, lists_test_support.h) are on the include path.
function(velmar_menu_test name)
    cmake_parse_arguments(T "" "" "SOURCES" ${ARGN})
    velmar_test_executable(${name} ${T_SOURCES} ${CMAKE_SOURCE_DIR}/main/Velmar.rc)
    target_link_libraries(${name} PRIVATE velmar_menu)
    target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_FUNCTION_LIST_DIR}
        ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../lists ${CMAKE_SOURCE_DIR}/main)
    add_dependencies(${name} launch_recorder)
    velmar_discover_tests(${name})
endfunction()
