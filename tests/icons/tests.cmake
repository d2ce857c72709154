# The resource bundle's icons: the file list, their formats and sizes, stored as committed.
morl_add_test(tst_iconbundle icons/tst_iconbundle.cpp icons/bytereader.h)
target_compile_definitions(tst_iconbundle PRIVATE MORL_ICONS_DIR="${PROJECT_SOURCE_DIR}/icons")

# The Windows resources: on Windows read from the built morl.exe; elsewhere compiled by
# MinGW's windres and read back from the .res file, the host C++ compiler preprocessing
# the script, since no MinGW compiler is needed otherwise.
morl_add_test(tst_winresources icons/tst_winresources.cpp icons/bytereader.h icons/resourceset.h)
if(WIN32)
    target_sources(tst_winresources PRIVATE icons/resourceset_windows.cpp)
    target_compile_definitions(tst_winresources PRIVATE MORL_EXE="$<$<BOOL:${CMAKE_CROSSCOMPILING}>:Z:>$<TARGET_FILE:morl>")
    add_dependencies(tst_winresources morl)
else()
    find_program(MORL_WINDRES NAMES x86_64-w64-mingw32-windres)
    set(morl_windres "${MORL_WINDRES}")
    if(NOT MORL_WINDRES)
        message(STATUS "x86_64-w64-mingw32-windres not found: tst_winresources will be skipped")
        set(morl_windres "")
    endif()
    target_sources(tst_winresources PRIVATE icons/resourceset_windres.cpp)
    target_compile_definitions(tst_winresources PRIVATE
        MORL_WINDRES="${morl_windres}"
        MORL_RC_PREPROCESSOR="${CMAKE_CXX_COMPILER}"
        MORL_RC_FILE="${PROJECT_SOURCE_DIR}/icons/morl.rc")
endif()
