#include "engine/BundleLocation.h"
#include "engine/PluginProcessor.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

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

TEST (BundleLocation, TheProcessorKeepsItsPresetsInTheFolderForUserFiles)
{
    // The test programs count as the standalone program, with a fresh
    // $XDG_CONFIG_HOME for every test (support/PrivateUserFolders.h).
    const auto userFiles = BundleLocation::folderForUserFiles();
    EXPECT_EQ (userFiles.getParentDirectory().getFullPathName(),
               juce::SystemStats::getEnvironmentVariable ("XDG_CONFIG_HOME", {}));
    EXPECT_EQ (userFiles.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0)
        << "another test's files are here";

    const TarvolinAudioProcessor processor;
    EXPECT_EQ (processor.presets->rootFolder, userFiles.getChildFile ("Tarvolin/Presets"));
    EXPECT_TRUE (processor.presets->rootFolder.isDirectory());
}

namespace
{
/** Sets an environment variable for one scope and puts the old value back. */
class ScopedVariable
{
public:
    ScopedVariable (const char* variableName, const char* value)
        : name (variableName)
    {
        if (const auto* old = getenv (name))
            previous = old;

        set (value);
    }

    ~ScopedVariable() { set (previous ? previous->c_str() : nullptr); }

private:
    void set (const char* value)
    {
        if (value != nullptr)
            setenv (name, value, 1);
        else
            unsetenv (name);
    }

    const char* name;
    std::optional<std::string> previous;
};
} // namespace

TEST (BundleLocation, LV2AndTheStandaloneKeepTheirFilesInTheConfigurationFolder)
{
    const ScopedVariable home ("HOME", "/home/u");

    struct Case
    {
        const char* configHome; // nullptr: not set
        const char* fixedFolder;
    };

    // XDG_CONFIG_HOME counts only as an absolute path.
    for (const auto& c : { Case { nullptr, "/home/u/.config/Tarvolin" },
                           Case { "", "/home/u/.config/Tarvolin" },
                           Case { "relative/config", "/home/u/.config/Tarvolin" },
                           Case { "~/config", "/home/u/.config/Tarvolin" },
                           Case { "/srv/config", "/srv/config/Tarvolin" } })
    {
        const ScopedVariable configHome ("XDG_CONFIG_HOME", c.configHome);
        EXPECT_EQ (BundleLocation::fixedFolderForUserFiles().getFullPathName(), c.fixedFolder)
            << (c.configHome ? c.configHome : "unset");
    }

    const ScopedVariable configHome ("XDG_CONFIG_HOME", "/srv/config");
    using Processor = juce::AudioProcessor;
    const juce::File lv2Binary ("/home/u/.lv2/Tarvolin.lv2/Tarvolin.so");

    struct Format
    {
        Processor::WrapperType loadedAs;
        juce::File binary;
        const char* folder;
    };

    for (const auto& f :
         { Format { Processor::wrapperType_LV2, lv2Binary, "/srv/config/Tarvolin" },
           Format { Processor::wrapperType_LV2, juce::File ("/usr/lib/lv2/x/Tarvolin.so"), "/srv/config/Tarvolin" },
           Format { Processor::wrapperType_Undefined, lv2Binary, "/srv/config/Tarvolin" },
           Format { Processor::wrapperType_Standalone, juce::File ("/opt/tarvolin/Tarvolin"), "/srv/config/Tarvolin" },
           Format { Processor::wrapperType_VST3,
                    juce::File ("/home/u/.vst3/Tarvolin.vst3/Contents/x86_64-linux/Tarvolin.so"),
                    "/home/u/.vst3" },
           Format { Processor::wrapperType_VST, juce::File ("/home/u/.vst/libTarvolin.so"), "/home/u/.vst" },
           Format { Processor::wrapperType_Undefined, juce::File ("/opt/tests/tarvolin_tests"), "/opt/tests" } })
    {
        EXPECT_EQ (BundleLocation::folderForUserFiles (f.loadedAs, f.binary).getFullPathName(), f.folder)
            << f.binary.getFullPathName();
    }
}
