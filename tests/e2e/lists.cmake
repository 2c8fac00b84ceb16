# The menu's pinned list and all-programs tree end to end: Velmar.exe on the
# stand-in taskbar, the application list file written as the options program
# writes it, real X clicks on the rows.
include(${CMAKE_CURRENT_LIST_DIR}/standin.cmake)
velmar_add_taskbar_test(lists_e2e_tests ${CMAKE_CURRENT_LIST_DIR}/lists_e2e_test.cpp)
target_include_directories(lists_e2e_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_SOURCE_DIR}/main
    ${CMAKE_SOURCE_DIR}/main/taskbar ${CMAKE_SOURCE_DIR}/main/parts ${CMAKE_SOURCE_DIR}/framework)
target_link_libraries(lists_e2e_tests PRIVATE common)
add_dependencies(lists_e2e_tests Velmar pegwell default_skin launch_recorder)
