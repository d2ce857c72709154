# morl_screenshot: takes the README's pictures of the main window (scripts/screenshot.sh).
# It drives the window with the test support's dialog watcher, so it exists only when the
# tests are built; it is never part of the default build.
if(NOT TARGET morl_testsupport)
    return()
endif()
add_executable(morl_screenshot EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/screenshot.cpp)
target_link_libraries(morl_screenshot PRIVATE morl_core morl_testsupport)
