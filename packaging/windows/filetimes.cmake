# Run by CPack once the files to pack are laid out, before each download is made: every
# file and folder gets the time SOURCE_DATE_EPOCH gives (the last commit's, as
# scripts/windows.sh sets it), so that the installer, which stores the files' times, holds
# the same bytes for the same sources.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    return()
endif()
find_program(MORL_TOUCH touch REQUIRED)
file(GLOB_RECURSE staged LIST_DIRECTORIES true "${CPACK_TEMPORARY_DIRECTORY}/*")
if(staged)
    execute_process(
        COMMAND ${MORL_TOUCH} -h -d "@$ENV{SOURCE_DATE_EPOCH}" ${staged}
        RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "could not give the packed files the source date")
    endif()
endif()
