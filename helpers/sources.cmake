# Sources of the helper module beyond the folder dialog, part of morl_core.
target_sources(morl_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/textfilehelpers.cpp
    ${CMAKE_CURRENT_LIST_DIR}/messagebox.cpp ${CMAKE_CURRENT_LIST_DIR}/messagebox.h
)
