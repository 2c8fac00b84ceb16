velmar_add_test(applist_tests
    ${CMAKE_CURRENT_LIST_DIR}/applist_parse_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/applist_read_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/applist_save_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/applist_pin_test.cpp
)
target_link_libraries(applist_tests PRIVATE common ole32 shell32 uuid)

# Hardening: Quillset's save racing Velmar's reload, with the functions both programs use.
velmar_add_test(applist_hardening_tests ${CMAKE_CURRENT_LIST_DIR}/applist_hardening_test.cpp)
target_link_libraries(applist_hardening_tests PRIVATE common ole32 shell32 uuid)
