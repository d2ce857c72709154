# Tests of the helper module: folders, and text files with markers and UUIDs. The set-ups
# that need the system beyond Qt are in the support library, one implementation per platform.
morl_add_test(tst_folderhelpers helpers/tst_folderhelpers.cpp helpers/helpertest.h)
morl_add_test(tst_textfilehelpers helpers/tst_textfilehelpers.cpp helpers/helpertest.h)
morl_add_test(tst_filesaves helpers/tst_filesaves.cpp helpers/helpertest.h)
