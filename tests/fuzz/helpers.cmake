# Fuzz target of the helper module's marker operations. The helper sources are compiled
# into the target too, so that libFuzzer sees their coverage (morl_core itself is built
# without the fuzzer's instrumentation); the linker then takes no copy from morl_core.
morl_add_fuzzer(fuzz_markers ${CMAKE_CURRENT_LIST_DIR}/fuzz_markers.cpp
                ${PROJECT_SOURCE_DIR}/helpers/textfilehelpers.cpp)
