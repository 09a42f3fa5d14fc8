// Test entry: the Windows suites need COM on the main thread, as the program has.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <objbase.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
#endif
    testing::InitGoogleTest(&argc, argv);
    const int rc = RUN_ALL_TESTS();
#ifdef _WIN32
    CoUninitialize();
#endif
    return rc;
}
