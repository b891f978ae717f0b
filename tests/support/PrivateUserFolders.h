#pragma once

#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>
#include <juce_audio_processors/juce_audio_processors.h>

#include <cstdlib>
#include <memory>

/** Gives every test a folder of its own for the files the product keeps for
    the user (the preset tree, the game's best score), so that no test reads
    what another test or an earlier run wrote.

    The product's own rule finds the folder: the test programs count as the
    standalone program, which keeps its files in $XDG_CONFIG_HOME/Tarvolin,
    and $XDG_CONFIG_HOME points at a fresh temporary folder for each test
    (and at one for the whole program outside the tests, where suites build
    what they share). Without this the test programs would keep them beside
    themselves, as a plug-in binary does, from one run to the next. */
class PrivateUserFolders : public ::testing::EmptyTestEventListener
{
public:
    PrivateUserFolders()
    {
        juce::PluginHostType::jucePlugInClientCurrentWrapperType = juce::AudioProcessor::wrapperType_Standalone;
        pointAt (outsideTests);
    }

    void OnTestStart (const ::testing::TestInfo&) override
    {
        ofThisTest = std::make_unique<TemporaryFolder>();
        pointAt (*ofThisTest);
    }

    void OnTestEnd (const ::testing::TestInfo&) override
    {
        pointAt (outsideTests);
        ofThisTest.reset();
    }

private:
    static void pointAt (const TemporaryFolder& configHome)
    {
        setenv ("XDG_CONFIG_HOME", configHome.folder.getFullPathName().toRawUTF8(), 1);
    }

    TemporaryFolder outsideTests;
    std::unique_ptr<TemporaryFolder> ofThisTest;
};
