# Differential fuzzing of the fast scan against the reference scan.
morl_add_fuzzer(fuzz_fastscan fuzz_fastscan.cpp ${CMAKE_CURRENT_LIST_DIR}/../fastsearch/literalscan.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../fastsearch/changingsource.cpp)
target_include_directories(fuzz_fastscan PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
