# Start-up to a visible Start button, Velmar.exe beside the stand-in taskbar in
# its own process, against a bare one-window process.
include(${CMAKE_SOURCE_DIR}/tests/e2e/standin.cmake)

add_executable(bare_window WIN32 ${CMAKE_CURRENT_LIST_DIR}/bare_window.cpp)
target_link_options(bare_window PRIVATE -municode)
velmar_target_options(bare_window)

velmar_add_bench(bench_startup ${CMAKE_CURRENT_LIST_DIR}/startup_bench.cpp)
target_link_libraries(bench_startup PRIVATE standin common ole32 shell32 uuid)
add_dependencies(bench_startup Velmar pegwell default_skin standin_taskbar bare_window)
