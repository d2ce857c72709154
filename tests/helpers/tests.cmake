# Tests of the helper module: folders, and text files with markers and UUIDs.
morl_add_test(tst_folderhelpers helpers/tst_folderhelpers.cpp helpers/helpertest.h)
morl_add_test(tst_textfilehelpers helpers/tst_textfilehelpers.cpp helpers/helpertest.h)
