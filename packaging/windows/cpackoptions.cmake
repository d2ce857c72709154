# Read by CPack for each generator. The installer takes the program folder whole (its
# lists of files to install and to remove are then plain), and is named apart from the zip.
if(CPACK_GENERATOR STREQUAL "NSIS")
    set(CPACK_MONOLITHIC_INSTALL ON)
    set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-setup")
endif()
