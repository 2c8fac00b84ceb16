# The installer as a user runs it: silent install, upgrade over a running
# Velmar and uninstall, in this test run's own prefix.
include(${CMAKE_CURRENT_LIST_DIR}/standin.cmake)

if(TARGET installer)
    velmar_add_taskbar_test(installer_e2e_tests ${CMAKE_CURRENT_LIST_DIR}/installer_e2e_test.cpp)
    add_dependencies(installer_e2e_tests installer)
    target_link_libraries(installer_e2e_tests PRIVATE shell32 advapi32)
    target_compile_definitions(installer_e2e_tests PRIVATE VELMAR_VERSION_STRING=L"${PROJECT_VERSION}")
endif()
