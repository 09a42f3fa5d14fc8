// Test entry: the Windows suites need COM on the main thread, as the program has.
#include <gtest/gtest.h>

#ifdef _WIN32
#include "platform/win32/win32_handles.h"
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    const tf::ComApartment com(COINIT_APARTMENTTHREADED);
    if (!com) return 2;  // every COM-using suite would fail for this one reason
#endif
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
