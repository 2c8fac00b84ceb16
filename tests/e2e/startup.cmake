# Velmar.exe is one per session (its mutex) and looks for any taskbar: these
# tests take the taskbar lock so that no other program test runs beside them.
include(${CMAKE_CURRENT_LIST_DIR}/standin.cmake)

velmar_add_taskbar_test(startup_e2e_tests ${CMAKE_CURRENT_LIST_DIR}/startup_e2e_test.cpp)
target_include_directories(startup_e2e_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_SOURCE_DIR}/main)
add_dependencies(startup_e2e_tests Velmar pegwell VelmarDEU default_skin)
target_link_libraries(startup_e2e_tests PRIVATE psapi)
