#include "engine/BundleLocation.h"
#include "engine/PluginProcessor.h"

#include <gtest/gtest.h>

TEST (BundleLocation, TheFolderHoldingEachKindOfBinary)
{
    struct Case
    {
        const char* binary;
        const char* folder;
    };

    for (const auto& c : { Case { "/home/u/.vst3/Tarvolin.vst3/Contents/x86_64-linux/Tarvolin.so", "/home/u/.vst3" },
                           Case { "/home/u/.lv2/Tarvolin.lv2/Tarvolin.so", "/home/u/.lv2" },
                           Case { "/home/u/.vst/libTarvolin.so", "/home/u/.vst" },
                           Case { "/home/u/.lv2/libTarvolin.so", "/home/u/.lv2" },
                           Case { "/opt/tarvolin/Tarvolin", "/opt/tarvolin" },
                           Case { "/Library/Audio/Plug-Ins/Components/Tarvolin.component/Contents/MacOS/Tarvolin",
                                  "/Library/Audio/Plug-Ins/Components" },
                           Case { "/Applications/Tarvolin.app/Contents/MacOS/Tarvolin", "/Applications" },
                           Case { "/srv/Contents/bin/Tarvolin", "/srv/Contents/bin" } })
    {
        EXPECT_EQ (BundleLocation::folderHoldingBundle (juce::File (c.binary)).getFullPathName(), c.folder) << c.binary;
    }
}

TEST (BundleLocation, TheProcessorKeepsItsPresetsNextToItsBinary)
{
    const auto binary = juce::File::getSpecialLocation (juce::File::currentExecutableFile);
    const TarvolinAudioProcessor processor;
    EXPECT_EQ (processor.presets->rootFolder, binary.getParentDirectory().getChildFile ("Tarvolin/Presets"));
    EXPECT_TRUE (processor.presets->rootFolder.isDirectory());
}
