// Linked into every sanitizer-built executable (game, tests, map fuzzer), so the options hold however
// it is started: ctest, a bare test binary, tools/soak.sh or a game process a test starts.
//
// intercept_tls_get_addr=0: the sanitizer runtimes of GCC 12 and clang 14 record every dynamic TLS
// block through their __tls_get_addr hook, and take a block that starts 16 bytes past a 4 KiB
// boundary for one from glibc 2.19-2.24 with a {size, start} header in front. Since glibc 2.25 these
// blocks come from plain malloc, so those 16 bytes are ASan's chunk header of the block before, and
// the recorded range is nonsense (0xe0e-0x1800001f10). At exit LeakSanitizer's tracer scans it and
// dies ("Tracer caught signal 11 ... LeakSanitizer has encountered a fatal error"), and the process
// fails although nothing leaked. The block that landed there is libLLVM's TLS (24 bytes, so one slot
// in 256 of ASan's 48-byte size class sits on that offset), allocated when llvmpipe compiles the first
// shader on the main thread. Where it lands depends on how many blocks of that size came before, which
// shifts with thread timing, so any test that draws could fail now and then, one of them in a third
// of the runs on one machine. Without the hook the leak check loses nothing: the blocks are ordinary
// heap chunks that it reaches through the thread's TLS vector, and leaks held in them or lost from
// them are found as before.

extern "C" __attribute__((visibility("default"), used)) const char* __asan_default_options()
{
    return "intercept_tls_get_addr=0";
}

// The leaks of third-party libraries that the game cannot free, listed in tools/lsan.supp, and UBSan's
// stack traces, built in like the option above rather than set in the environment of each test: CMake
// 3.31 (Debian 13) gives a test found by gtest_discover_tests only the first entry of its ENVIRONMENT
// list, so there the suppressions never reached the tests and Mesa's leaks failed every test that
// drew. Options in LSAN_OPTIONS and UBSAN_OPTIONS still add to these.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_options()
{
    return "suppressions=\"" BRAMBLOT_LEAK_SUPPRESSIONS "\":print_suppressions=0";
}

extern "C" __attribute__((visibility("default"), used)) const char* __ubsan_default_options()
{
    return "print_stacktrace=1";
}
