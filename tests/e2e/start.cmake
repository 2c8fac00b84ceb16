# The Start button end to end, with real X input; and the preview tool that
# make run uses to show the button's own pixels.
include(${CMAKE_CURRENT_LIST_DIR}/standin.cmake)

velmar_add_taskbar_test(start_e2e_tests ${CMAKE_CURRENT_LIST_DIR}/start_e2e_test.cpp)
target_include_directories(start_e2e_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_SOURCE_DIR}/main
    ${CMAKE_SOURCE_DIR}/main/taskbar ${CMAKE_SOURCE_DIR}/main/parts ${CMAKE_SOURCE_DIR}/framework)
add_dependencies(start_e2e_tests Velmar pegwell default_skin)

# The button on taskbars shaped like Windows 8.1/10 and 11.
velmar_add_taskbar_test(start_layouts_e2e_tests ${CMAKE_CURRENT_LIST_DIR}/start_layouts_e2e_test.cpp)
target_include_directories(start_layouts_e2e_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_SOURCE_DIR}/main
    ${CMAKE_SOURCE_DIR}/main/taskbar ${CMAKE_SOURCE_DIR}/main/parts ${CMAKE_SOURCE_DIR}/framework)
add_dependencies(start_layouts_e2e_tests Velmar pegwell default_skin)

# Velmar.exe exports keyHookProc and nothing else.
find_program(VELMAR_OBJDUMP NAMES x86_64-w64-mingw32-objdump objdump)
add_test(NAME start_velmar_exports_only_keyHookProc
    COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/start/check_exports.sh ${VELMAR_OBJDUMP} $<TARGET_FILE:Velmar> keyHookProc)

# The second monitor's taskbar and the Windows key on that monitor, on two
# monitors of a nested X server (the shared desktop has one).
add_test(NAME start_two_monitors_e2e
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/start/two_monitors.sh $<TARGET_FILE:start_e2e_tests> "*OnASecondMonitor*")
set_tests_properties(start_two_monitors_e2e PROPERTIES TIMEOUT 240)

# Pegwell keeps its two first exports and adds those of the further taskbars.
add_test(NAME start_pegwell_exports
    COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/start/check_exports.sh ${VELMAR_OBJDUMP} $<TARGET_FILE:pegwell>
        InstallHook Uninstallhook AddHookTarget RemoveHookTarget WatchShellWindow)

# start_preview.exe: the Start button drawn by its own code on a stand-in
# taskbar in one process, saved as a bitmap (make run shows it beside the
# cross-process screenshot, where Wine does not draw the button).
add_executable(start_preview WIN32 ${CMAKE_CURRENT_LIST_DIR}/start/start_preview.cpp ${CMAKE_CURRENT_LIST_DIR}/dpi_aware.rc)
target_link_libraries(start_preview PRIVATE velmar_start standin)
target_include_directories(start_preview PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
target_link_options(start_preview PRIVATE -municode)
velmar_target_options(start_preview)
