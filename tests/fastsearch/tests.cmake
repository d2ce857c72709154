# The fast search, checked against the reference scan and against direct log appends.
# peakmemory: the process's peak memory, through the system's own calls.
if(WIN32)
    set(MORL_SYSTEM_FIXTURES fastsearch/peakmemory.h fastsearch/peakmemory_windows.cpp)
else()
    set(MORL_SYSTEM_FIXTURES fastsearch/peakmemory.h fastsearch/peakmemory_posix.cpp)
endif()
morl_add_test(tst_fastscan fastsearch/tst_fastscan.cpp fastsearch/literalscan.cpp
              fastsearch/literalscan.h fastsearch/changingsource.cpp fastsearch/changingsource.h fastsearch/scancases.cpp fastsearch/scancases.h
              ${MORL_SYSTEM_FIXTURES})
morl_add_test(tst_batchedlog fastsearch/tst_batchedlog.cpp)
morl_add_test(tst_windowsearch fastsearch/tst_windowsearch.cpp fastsearch/literalscan.cpp
              fastsearch/literalscan.h fastsearch/scancases.cpp fastsearch/scancases.h)
