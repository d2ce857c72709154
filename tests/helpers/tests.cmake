# Tests of the helper module: folders, and text files with markers and UUIDs.
# The set-ups that need the system beyond Qt (owners, links, special files) have one
# implementation per platform.
if(WIN32)
    set(MORL_FILE_FIXTURE helpers/filefixture.h helpers/filefixture_windows.cpp)
else()
    set(MORL_FILE_FIXTURE helpers/filefixture.h helpers/filefixture_posix.cpp)
endif()

morl_add_test(tst_folderhelpers helpers/tst_folderhelpers.cpp helpers/helpertest.h
    ${MORL_FILE_FIXTURE})
morl_add_test(tst_textfilehelpers helpers/tst_textfilehelpers.cpp helpers/helpertest.h
    ${MORL_FILE_FIXTURE})
morl_add_test(tst_filesaves helpers/tst_filesaves.cpp helpers/helpertest.h ${MORL_FILE_FIXTURE})
