# The search: file collection, scan and report, and the whole run through the window.
# specialfiles: FIFOs and devices to scan, made with the system's own calls.
if(WIN32)
    set(MORL_SPECIAL_FILES search/specialfiles.h search/specialfiles_windows.cpp)
else()
    set(MORL_SPECIAL_FILES search/specialfiles.h search/specialfiles_posix.cpp)
endif()
morl_add_test(tst_collectfiles search/tst_collectfiles.cpp search/filetree.h)
morl_add_test(tst_report search/tst_report.cpp search/filetree.h)
morl_add_test(tst_search search/tst_search.cpp search/filetree.h ${MORL_SPECIAL_FILES})
# Paths as each platform makes them: drive roots, case, long paths, CR LF.
morl_add_test(tst_platformpaths search/tst_platformpaths.cpp search/filetree.h
    ${MORL_SPECIAL_FILES})
