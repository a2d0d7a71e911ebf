// The leak check's defaults for the test programs: the suppressions of tests/lsan.supp, so a test
// program run by hand under AddressSanitizer reports what CI reports. LSAN_OPTIONS still decides
// when it is set (the test entries on a display of their own name their file there).

extern "C" const char* __lsan_default_options();

extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_options() {
    return "suppressions=" SKYLET_TEST_DATA_DIR "/../lsan.supp:print_suppressions=0";
}
