// The main of every test executable: each process runs its cases on an X server of its own. On a
// shared one, a window another test opens takes the keyboard's focus, and the game rightly lets go of
// every held key when its window loses the focus.

#include "GameProcessSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (!::testing::GTEST_FLAG(list_tests))
    {
        const zelk::test::PrivateDisplay& display = zelk::test::processDisplay();
        if (!display.name().empty())
            ::setenv("DISPLAY", display.name().c_str(), 1);
    }
    return RUN_ALL_TESTS();
}
