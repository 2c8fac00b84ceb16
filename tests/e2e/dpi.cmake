# Velmar at 150 %: the prefix's system DPI raised, the real programs on the stand-in.
include(${CMAKE_CURRENT_LIST_DIR}/standin.cmake)
velmar_add_taskbar_test(dpi_e2e_tests ${CMAKE_CURRENT_LIST_DIR}/dpi_e2e_test.cpp)
target_include_directories(dpi_e2e_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_SOURCE_DIR}/main
    ${CMAKE_SOURCE_DIR}/main/taskbar ${CMAKE_SOURCE_DIR}/main/parts ${CMAKE_SOURCE_DIR}/framework)
add_dependencies(dpi_e2e_tests Velmar pegwell default_skin)
