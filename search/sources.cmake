# Sources of the search (file collection, scan, report and the batched log), part of morl_core.
target_sources(morl_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/collectfiles.cpp ${CMAKE_CURRENT_LIST_DIR}/collectfiles.h
    ${CMAKE_CURRENT_LIST_DIR}/folderwalk.cpp ${CMAKE_CURRENT_LIST_DIR}/folderwalk.h
    ${CMAKE_CURRENT_LIST_DIR}/namefilter.cpp ${CMAKE_CURRENT_LIST_DIR}/namefilter.h
    ${CMAKE_CURRENT_LIST_DIR}/folderlisting.h
    ${CMAKE_CURRENT_LIST_DIR}/logsink.h
    ${CMAKE_CURRENT_LIST_DIR}/bytesource.h
    ${CMAKE_CURRENT_LIST_DIR}/scansource.h
    ${CMAKE_CURRENT_LIST_DIR}/searchrun.cpp ${CMAKE_CURRENT_LIST_DIR}/searchrun.h
    ${CMAKE_CURRENT_LIST_DIR}/scanfile.cpp ${CMAKE_CURRENT_LIST_DIR}/scanfile.h
    ${CMAKE_CURRENT_LIST_DIR}/needle.cpp ${CMAKE_CURRENT_LIST_DIR}/needle.h
    ${CMAKE_CURRENT_LIST_DIR}/streamlines.cpp ${CMAKE_CURRENT_LIST_DIR}/streamlines.h
    ${CMAKE_CURRENT_LIST_DIR}/blockreader.cpp ${CMAKE_CURRENT_LIST_DIR}/blockreader.h
    ${CMAKE_CURRENT_LIST_DIR}/rawscan.cpp ${CMAKE_CURRENT_LIST_DIR}/rawscan.h
    ${CMAKE_CURRENT_LIST_DIR}/decodedscan.cpp ${CMAKE_CURRENT_LIST_DIR}/decodedscan.h
    ${CMAKE_CURRENT_LIST_DIR}/fastbytes.cpp ${CMAKE_CURRENT_LIST_DIR}/fastbytes.h
    ${CMAKE_CURRENT_LIST_DIR}/report.cpp ${CMAKE_CURRENT_LIST_DIR}/report.h
    ${CMAKE_CURRENT_LIST_DIR}/batchedlog.cpp ${CMAKE_CURRENT_LIST_DIR}/batchedlog.h
)
# Opening a file to scan without ever waiting: system calls of each platform.
if(WIN32)
    target_sources(morl_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/scansource_windows.cpp)
else()
    target_sources(morl_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/scansource_posix.cpp)
endif()
# Listing a folder's entries for the file collection: system calls of each platform.
if(WIN32)
    target_sources(morl_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/folderlisting_windows.cpp)
else()
    target_sources(morl_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/folderlisting_posix.cpp)
endif()
