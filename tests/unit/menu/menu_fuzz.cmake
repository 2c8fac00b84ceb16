# Hardening: damaged skins and lists through the real menu, and long runs of
# the menu. make test runs a few thousand fuzz cases; make fuzz
# (scripts/fuzz.sh) the full counts.
include(${CMAKE_CURRENT_LIST_DIR}/menu_targets.cmake)

velmar_menu_test(fuzz_menu_tests SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/fuzz_skin_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fuzz_applist_menu_test.cpp
)
velmar_menu_test(longrun_menu_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/longrun_menu_test.cpp)
