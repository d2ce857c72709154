# The Debian package: built with cpack from this build tree, unpacked into a temporary
# folder and checked there (contents, dependencies, desktop entry, the program starting).
if(UNIX AND NOT APPLE)
    add_test(NAME tst_package
        COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/check_deb.sh
                ${PROJECT_BINARY_DIR} ${PROJECT_SOURCE_DIR} ${CMAKE_CPACK_COMMAND})
    set_tests_properties(tst_package PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600)
endif()
