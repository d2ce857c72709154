# Runs one Windows test program under Wine for CTest:
#
#     cmake -DWINE=<wine> -DPROGRAM=<test.exe> -DOUTPUT=<file> [-DARGS=<a;b>] -P winetest.cmake
#
# Wine does not pass a program's console output through a pipe, so the test writes its
# results to a file, which is printed here; the program's exit status is the test's.
# The offscreen platform is asked for on the command line: Qt on Windows does not take
# QT_QPA_PLATFORM from a Linux environment passed through Wine.
file(REMOVE "${OUTPUT}")
execute_process(
    COMMAND "${WINE}" "${PROGRAM}" -platform offscreen -o "${OUTPUT},txt" ${ARGS}
    RESULT_VARIABLE status
    OUTPUT_VARIABLE console
    ERROR_VARIABLE console)
if(EXISTS "${OUTPUT}")
    file(READ "${OUTPUT}" results)
    message("${results}")
else()
    message("${console}")
    message("No results were written by ${PROGRAM}.")
endif()
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} ended with status ${status}")
endif()
