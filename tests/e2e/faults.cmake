# Faults the real programs survive: the taskbar killed and made again, Velmar
# killed with its hook installed, the list file taken away under the open menu,
# Quillset saving where it cannot (a read-only, locked, full or vanished place).
include(${CMAKE_CURRENT_LIST_DIR}/standin.cmake)
velmar_add_taskbar_test(faults_e2e_tests ${CMAKE_CURRENT_LIST_DIR}/faults_e2e_test.cpp)
target_include_directories(faults_e2e_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/main
    ${CMAKE_SOURCE_DIR}/main/taskbar ${CMAKE_SOURCE_DIR}/main/parts ${CMAKE_SOURCE_DIR}/framework)
target_link_libraries(faults_e2e_tests PRIVATE common)
add_dependencies(faults_e2e_tests Velmar pegwell Quillset default_skin launch_recorder)
