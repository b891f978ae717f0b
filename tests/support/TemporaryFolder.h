#pragma once

#include <juce_core/juce_core.h>

/** A fresh, uniquely named folder in the system's temporary directory,
    deleted with everything in it when the test ends. Tests running in
    parallel processes never share one. */
class TemporaryFolder
{
public:
    TemporaryFolder()
        : folder (juce::File::getSpecialLocation (juce::File::tempDirectory)
                      .getChildFile ("tarvolin-test-" + juce::Uuid().toString()))
    {
        folder.createDirectory();
    }

    ~TemporaryFolder() { folder.deleteRecursively(); }

    const juce::File folder;

    JUCE_DECLARE_NON_COPYABLE (TemporaryFolder)
};
