# The menu's pinned list and all-programs tree inside the real menu window.
include(${CMAKE_CURRENT_LIST_DIR}/../menu/menu_targets.cmake)

velmar_menu_test(lists_menu_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/lists_menu_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/lists_search_test.cpp ${CMAKE_CURRENT_LIST_DIR}/lists_faults_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/lists_apps_test.cpp ${CMAKE_CURRENT_LIST_DIR}/lists_pin_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/lists_recent_test.cpp)
# The recent documents' source over Recent folders of the tests' own.
velmar_menu_test(recent_docs_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/recent_docs_test.cpp)
velmar_menu_test(lists_input_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/lists_input_test.cpp)
# The shell's context menu as the lists and the folder buttons track it, with a menu object of the test's own.
velmar_menu_test(lists_shell_menu_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/lists_shell_menu_test.cpp)
