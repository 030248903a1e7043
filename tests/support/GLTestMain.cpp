// The main of every OpenGL test executable: a real window with the game's own
// 3.3 core context, made by the device's window code, before any test runs.
#include "tests/support/GLContext.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (!TestGL::CreateContext())
        return 1;
    int result = RUN_ALL_TESTS();
    TestGL::DestroyContext();
    return result;
}
