find_package(Qt6 REQUIRED COMPONENTS LinguistTools)

# Start-up: translation lookup order and the event loop's result. Two test-only
# translations are compiled by lrelease into the test's own resource under /i18n.
morl_add_test(tst_startup app/tst_startup.cpp)
qt_add_lrelease(tst_startup
    TS_FILES ${CMAKE_CURRENT_LIST_DIR}/i18n/Morl_de_DE.ts ${CMAKE_CURRENT_LIST_DIR}/i18n/Morl_it_IT.ts
    QM_FILES_OUTPUT_VARIABLE tst_startup_qm)
qt_add_resources(tst_startup "tst_startup_i18n" PREFIX "/i18n"
    BASE ${CMAKE_CURRENT_BINARY_DIR} FILES ${tst_startup_qm})
