#include "support/PrivateUserFolders.h"

#include <gtest/gtest.h>

int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);

    // Appended last, so it sees each test start after the printer and end before it.
    auto& listeners = ::testing::UnitTest::GetInstance()->listeners();
    auto* folders = new PrivateUserFolders();
    listeners.Append (folders);

    const auto result = RUN_ALL_TESTS();

    // Deleted here, while the framework's statics it relies on are still alive.
    delete listeners.Release (folders);
    return result;
}
