# Sources of the search (file collection, scan and report), part of morl_core.
target_sources(morl_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/collectfiles.cpp ${CMAKE_CURRENT_LIST_DIR}/collectfiles.h
)
