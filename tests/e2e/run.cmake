# run_helper.exe: make run's seeding of a finished-looking first run and its
# window look-ups (test equipment, never shipped).
add_executable(run_helper ${CMAKE_CURRENT_LIST_DIR}/run/run_helper.cpp ${CMAKE_CURRENT_LIST_DIR}/dpi_aware.rc)
target_link_libraries(run_helper PRIVATE framework ole32 shell32 advapi32 uuid)
target_link_options(run_helper PRIVATE -municode)
target_include_directories(run_helper PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
velmar_target_options(run_helper)
