// Under AddressSanitizer: the Firebird engine keeps memory of its own until the
// process ends, which the leak checker would report for every test.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}
