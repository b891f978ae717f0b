#pragma once

#include <juce_core/juce_core.h>

#include <cerrno>
#include <csignal>
#include <unistd.h>

/** A fresh, uniquely named folder in the system's temporary directory,
    deleted with everything in it when the test ends. Tests running in
    parallel processes never share one.

    A test program that crashes leaves its folders behind, so the name carries
    the process ID, and the first folder a program makes removes those of
    processes that have ended: never one of a program still running beside it. */
class TemporaryFolder
{
public:
    TemporaryFolder()
        : folder (location().getChildFile (prefix + juce::String (getpid()) + "-" + juce::Uuid().toString()))
    {
        [[maybe_unused]] static const bool leftoversRemoved = (removeLeftoversOfEndedProcesses(), true);
        folder.createDirectory();
    }

    ~TemporaryFolder() { folder.deleteRecursively(); }

    static void removeLeftoversOfEndedProcesses()
    {
        for (const auto& entry : juce::RangedDirectoryIterator (
                 location(), false, juce::String (prefix) + "*", juce::File::findDirectories))
        {
            const auto owner = entry.getFile()
                                   .getFileName()
                                   .fromFirstOccurrenceOf (prefix, false, false)
                                   .upToFirstOccurrenceOf ("-", false, false);

            // kill with no signal only asks whether the process exists; a
            // process of another user answers EPERM and is left alone.
            if (owner.isNotEmpty() && owner.length() <= 9 && owner.containsOnly ("0123456789")
                && kill ((pid_t) owner.getIntValue(), 0) != 0 && errno == ESRCH)
                entry.getFile().deleteRecursively();
        }
    }

    static juce::File location() { return juce::File::getSpecialLocation (juce::File::tempDirectory); }

    static constexpr const char* prefix = "tarvolin-test-";

    const juce::File folder;

    JUCE_DECLARE_NON_COPYABLE (TemporaryFolder)
};
