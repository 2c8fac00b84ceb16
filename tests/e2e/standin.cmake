# The stand-in taskbar: test equipment and the backdrop of make run, never shipped.
# It links no product code, so its process holds only what a shell would.
include_guard(GLOBAL)

add_library(standin STATIC
    ${CMAKE_CURRENT_LIST_DIR}/StandinOptions.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StandinTaskbar.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StandinShape.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StandinClient.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StandinProcess.cpp
)
target_include_directories(standin PUBLIC ${CMAKE_CURRENT_LIST_DIR} PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../support)
target_link_libraries(standin PUBLIC user32 gdi32 comctl32 shell32)
velmar_target_options(standin)

add_executable(standin_taskbar WIN32 ${CMAKE_CURRENT_LIST_DIR}/standin_taskbar.cpp ${CMAKE_CURRENT_LIST_DIR}/dpi_aware.rc)
target_link_libraries(standin_taskbar PRIVATE standin)
target_link_options(standin_taskbar PRIVATE -municode)
velmar_target_options(standin_taskbar)

# A test that puts up a taskbar or installs the taskbar hook. All of them share
# the one desktop, FindWindowW's answer and Pegwell's shared data, which their
# lane gives to one program at a time (tests/CMakeLists.txt).
function(velmar_add_taskbar_test name)
    velmar_test_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE standin)
    add_dependencies(${name} standin_taskbar)
    velmar_discover_tests(${name})
endfunction()

velmar_add_taskbar_test(standin_tests ${CMAKE_CURRENT_LIST_DIR}/standin_test.cpp)
