# The Start menu opening, its objects and memory over many openings, and its
# timers while closed: the real button and menu on an in-process stand-in taskbar.
include(${CMAKE_SOURCE_DIR}/tests/e2e/standin.cmake)

velmar_add_bench(bench_menu ${CMAKE_CURRENT_LIST_DIR}/menu_bench.cpp)
target_link_libraries(bench_menu PRIVATE velmar_start standin psapi)
add_dependencies(bench_menu default_skin)
