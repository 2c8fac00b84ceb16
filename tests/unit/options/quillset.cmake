include_guard(GLOBAL)

# The options program: pure text logic and the dialog template, then the real
# dialog, list control and image buttons created in the test process. Both
# executables carry the program's translatable resources.
function(quillset_test name)
    velmar_add_test(${name} ${ARGN} ${QUILLSET_UI_RC})
    target_link_libraries(${name} PRIVATE quillset_core)
    target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_FUNCTION_LIST_DIR})
    add_dependencies(${name} Quillset)
endfunction()

quillset_test(quillset_tests
    ${CMAKE_CURRENT_LIST_DIR}/quillset_format_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/quillset_resources_test.cpp
)
if(TARGET QuillsetDEU)
    add_dependencies(quillset_tests QuillsetDEU)
endif()
quillset_test(quillset_dialog_tests
    ${CMAKE_CURRENT_LIST_DIR}/quillset_dialog_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/quillset_editor_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/quillset_chooser_test.cpp
)
