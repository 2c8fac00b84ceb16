include(${CMAKE_CURRENT_LIST_DIR}/menu_targets.cmake)

velmar_menu_test(menu_tests SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/menu_window_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/menu_dpi_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/menu_commands_test.cpp
)
velmar_menu_test(menu_input_tests SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/menu_item_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/menu_input_test.cpp
)
# The menu without a mouse: keys, the keyboard highlight and what screen readers get.
velmar_menu_test(menu_keys_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/menu_keys_test.cpp)
target_link_libraries(menu_keys_tests PRIVATE oleacc)
