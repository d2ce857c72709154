# Makes the Wine prefix that the Windows tests share, once, before the first of them: a
# prefix made by several tests at a time would be made twice over.
#
#     cmake -DWINE=<wine> -DWINEPREFIX_DIR=<folder> [-DTEST_DRIVE=q: -DTEST_DRIVE_DIR=<folder>]
#           -P wineprefix.cmake
#
# Wine does not follow drive letters that a program maps at run time: the drive that the
# tests search from its root is mapped here, the way Wine maps its drives.
function(map_test_drive)
    if(TEST_DRIVE)
        file(MAKE_DIRECTORY "${TEST_DRIVE_DIR}")
        file(REMOVE "${WINEPREFIX_DIR}/dosdevices/${TEST_DRIVE}")
        file(CREATE_LINK "${TEST_DRIVE_DIR}" "${WINEPREFIX_DIR}/dosdevices/${TEST_DRIVE}" SYMBOLIC)
    endif()
endfunction()

if(EXISTS "${WINEPREFIX_DIR}/system.reg")
    map_test_drive()
    return()
endif()
get_filename_component(wine_dir "${WINE}" DIRECTORY)
find_program(WINEBOOT NAMES wineboot HINTS "${wine_dir}")
if(WINEBOOT)
    set(boot "${WINEBOOT}" -i)
else()
    set(boot "${WINE}" wineboot -i)
endif()
execute_process(COMMAND ${boot} RESULT_VARIABLE status)
# wineboot returns before the prefix's services have settled; wait for them.
find_program(WINESERVER NAMES wineserver HINTS "${wine_dir}" /usr/lib/wine)
if(WINESERVER)
    execute_process(COMMAND "${WINESERVER}" -w)
endif()
if(NOT EXISTS "${WINEPREFIX_DIR}/system.reg")
    message(FATAL_ERROR "Wine could not make its prefix in ${WINEPREFIX_DIR} (status ${status})")
endif()
map_test_drive()
