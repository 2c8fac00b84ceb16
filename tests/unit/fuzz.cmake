# Hardening: damaged skins and lists through the real menu, long runs of the
# menu, and Pegwell's hook procedure facing messages it must not act on.
# make test runs a few thousand fuzz cases; make fuzz (scripts/fuzz.sh) the full counts.
include(${CMAKE_CURRENT_LIST_DIR}/menu_targets.cmake)

velmar_menu_test(fuzz_menu_tests SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/fuzz_skin_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fuzz_applist_menu_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/lists_faults_test.cpp
)
velmar_menu_test(longrun_menu_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/longrun_menu_test.cpp)

# It installs the global hook: one at a time with the other taskbar tests.
velmar_add_taskbar_test(hook_proc_tests ${CMAKE_CURRENT_LIST_DIR}/hook_proc_test.cpp)
target_link_libraries(hook_proc_tests PRIVATE pegwell)
target_include_directories(hook_proc_tests PRIVATE ${CMAKE_SOURCE_DIR}/hook)

# Quillset's save racing Velmar's reload, with the functions both programs use.
velmar_add_test(applist_hardening_tests ${CMAKE_CURRENT_LIST_DIR}/applist_hardening_test.cpp)
target_link_libraries(applist_hardening_tests PRIVATE common ole32 shell32 uuid)
