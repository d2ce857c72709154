# Sources of the helper module beyond the folder dialog, part of morl_core.
target_sources(morl_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/textfilehelpers.cpp
    ${CMAKE_CURRENT_LIST_DIR}/filesave.h
    ${CMAKE_CURRENT_LIST_DIR}/messagebox.cpp ${CMAKE_CURRENT_LIST_DIR}/messagebox.h
)

# What a save needs from the system beyond Qt: owners, links, extended attributes.
if(WIN32)
    target_sources(morl_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/filesave_windows.cpp)
else()
    target_sources(morl_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/filesave_posix.cpp)
endif()
