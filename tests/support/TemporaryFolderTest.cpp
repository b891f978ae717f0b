#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

TEST (TemporaryFolder, LeftoversOfEndedProcessesGoAndLiveOnesStay)
{
    // The ID of a child that has ended and been reaped names no process.
    const auto child = fork();
    ASSERT_GE (child, 0);
    if (child == 0)
        _exit (0);
    ASSERT_EQ (waitpid (child, nullptr, 0), child);

    auto folderOf = [] (int pid) {
        const auto folder = TemporaryFolder::location().getChildFile (TemporaryFolder::prefix + juce::String (pid) + "-"
                                                                      + juce::Uuid().toString());
        folder.getChildFile ("inside/file").create();
        return folder;
    };

    const auto ended = folderOf ((int) child);
    const auto running = folderOf ((int) getppid());
    const auto ours = folderOf ((int) getpid());

    TemporaryFolder::removeLeftoversOfEndedProcesses();

    EXPECT_FALSE (ended.exists());
    EXPECT_TRUE (running.exists());
    EXPECT_TRUE (ours.exists());
    running.deleteRecursively();
    ours.deleteRecursively();
}
