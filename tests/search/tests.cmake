# The search: file collection, scan and report, and the whole run through the window.
morl_add_test(tst_collectfiles search/tst_collectfiles.cpp search/filetree.h)
morl_add_test(tst_report search/tst_report.cpp search/filetree.h)
morl_add_test(tst_search search/tst_search.cpp search/filetree.h)
