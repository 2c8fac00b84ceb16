# menu_preview.exe: the Start menu drawn by its own code with the skin beside
# it, saved as screenshots (open, hovered button, power menu, all-programs mode).
add_executable(menu_preview WIN32 ${CMAKE_CURRENT_LIST_DIR}/menu/menu_preview.cpp ${CMAKE_SOURCE_DIR}/main/Velmar.rc)
target_include_directories(menu_preview PRIVATE ${CMAKE_SOURCE_DIR}/main ${CMAKE_SOURCE_DIR}/tests/support)
target_link_libraries(menu_preview PRIVATE velmar_menu)
target_link_options(menu_preview PRIVATE -municode)
add_dependencies(menu_preview default_skin)
velmar_target_options(menu_preview)

# The menu end to end with Velmar.exe on the stand-in taskbar and real X input.
include(${CMAKE_CURRENT_LIST_DIR}/standin.cmake)
velmar_add_taskbar_test(menu_e2e_tests ${CMAKE_CURRENT_LIST_DIR}/menu_e2e_test.cpp)
target_include_directories(menu_e2e_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_SOURCE_DIR}/main
    ${CMAKE_SOURCE_DIR}/main/taskbar ${CMAKE_SOURCE_DIR}/main/parts ${CMAKE_SOURCE_DIR}/framework)
add_dependencies(menu_e2e_tests Velmar pegwell default_skin)
