# The fast search, checked against the reference scan and against direct log appends.
morl_add_test(tst_fastscan fastsearch/tst_fastscan.cpp fastsearch/literalscan.cpp
              fastsearch/literalscan.h fastsearch/scancases.cpp fastsearch/scancases.h)
morl_add_test(tst_batchedlog fastsearch/tst_batchedlog.cpp)
morl_add_test(tst_windowsearch fastsearch/tst_windowsearch.cpp fastsearch/literalscan.cpp
              fastsearch/literalscan.h fastsearch/scancases.cpp fastsearch/scancases.h)
