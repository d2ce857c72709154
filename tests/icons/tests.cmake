# The resource bundle's icons: the file list, their formats and sizes, stored as committed.
morl_add_test(tst_iconbundle icons/tst_iconbundle.cpp icons/bytereader.h)
target_compile_definitions(tst_iconbundle PRIVATE MORL_ICONS_DIR="${PROJECT_SOURCE_DIR}/icons")

# The Windows resources, compiled by MinGW's windres and read back from the .res file. The
# host C++ compiler preprocesses the script, since no MinGW compiler is needed otherwise.
find_program(MORL_WINDRES NAMES x86_64-w64-mingw32-windres)
set(morl_windres "${MORL_WINDRES}")
if(NOT MORL_WINDRES)
    message(STATUS "x86_64-w64-mingw32-windres not found: tst_winresources will be skipped")
    set(morl_windres "")
endif()
morl_add_test(tst_winresources icons/tst_winresources.cpp icons/bytereader.h)
target_compile_definitions(tst_winresources PRIVATE
    MORL_WINDRES="${morl_windres}"
    MORL_RC_PREPROCESSOR="${CMAKE_CXX_COMPILER}"
    MORL_RC_FILE="${PROJECT_SOURCE_DIR}/icons/morl.rc")
