# The search: file collection, scan and report, and the whole run through the window.
# FIFOs and devices to scan come from the support library.
morl_add_test(tst_collectfiles search/tst_collectfiles.cpp search/filetree.h)
morl_add_test(tst_report search/tst_report.cpp search/filetree.h)
morl_add_test(tst_search search/tst_search.cpp search/filetree.h)
# Paths as each platform makes them: drive roots, case, long paths, CR LF.
morl_add_test(tst_platformpaths search/tst_platformpaths.cpp search/filetree.h)
