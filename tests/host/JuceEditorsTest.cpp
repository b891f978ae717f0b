// The built VST3 and LV2 plug-ins' editors, opened and closed through the
// framework's own plug-in hosting while another thread processes audio.

#include "HostContract.h"
#include "ui/support/MessageLoop.h"

#include <gtest/gtest.h>
#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <cstdlib>
#include <thread>

using namespace hostContract;

namespace
{
struct EditorFormat
{
    const char* formatName;
    const char* fileOrIdentifier;
    const char* searchFolder; // where the host looks for an identifier that is not a file
};

const EditorFormat formats[] = {
    { "VST3", TARVOLIN_VST3_BUNDLE, nullptr },
    { "LV2", TARVOLIN_LV2_URI, TARVOLIN_LV2_FOLDER },
};

void PrintTo (const EditorFormat& format, std::ostream* os) { *os << format.formatName; }

std::unique_ptr<juce::AudioPluginInstance> load (juce::AudioPluginFormatManager& manager, const EditorFormat& under)
{
    for (auto* format : manager.getFormats())
    {
        if (format->getName() != under.formatName)
            continue;

        if (under.searchFolder != nullptr)
            format->searchPathsForPlugins (juce::FileSearchPath (under.searchFolder), true, false);

        juce::OwnedArray<juce::PluginDescription> found;
        format->findAllTypesForFile (found, under.fileOrIdentifier);

        if (found.size() != 1)
            return {};

        juce::String error;
        return manager.createPluginInstance (*found[0], sampleRateHz, blockSize, error);
    }

    return {};
}

/** Runs the message loop as a host does between user actions. */
void runMessageLoopFor (int milliseconds)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) milliseconds;

    while (juce::Time::getMillisecondCounter() < end)
        deliverPendingMessages();
}

/** The host's audio thread: the two tones, block after block, under the
    callback lock as the framework's own players hold it. */
class AudioThread
{
public:
    explicit AudioThread (juce::AudioPluginInstance& pluginToRun)
        : plugin (pluginToRun)
    {
        plugin.prepareToPlay (sampleRateHz, blockSize);
        thread = std::thread ([this] { run(); });
    }

    ~AudioThread()
    {
        running = false;
        thread.join();
        plugin.releaseResources();
    }

    std::atomic<int> blocks { 0 };
    std::atomic<bool> allFinite { true };

private:
    void run()
    {
        juce::AudioBuffer<float> buffer (2, blockSize);
        juce::MidiBuffer midi;

        for (int block = 0; running; ++block)
        {
            for (int channel = 0; channel < 2; ++channel)
                for (int i = 0; i < blockSize; ++i)
                    buffer.setSample (channel, i, toneSample (channel, (block % numToneBlocks) * blockSize + i));

            {
                const juce::ScopedLock hold (plugin.getCallbackLock());
                plugin.processBlock (buffer, midi);
            }

            for (int channel = 0; channel < 2; ++channel)
                for (int i = 0; i < blockSize; ++i)
                    if (! std::isfinite (buffer.getSample (channel, i)))
                        allFinite = false;

            ++blocks;
            std::this_thread::sleep_for (std::chrono::milliseconds (1));
        }
    }

    juce::AudioPluginInstance& plugin;
    std::atomic<bool> running { true };
    std::thread thread;
};

class HostedEditor : public ::testing::TestWithParam<EditorFormat>
{
};

TEST_P (HostedEditor, OpensAndClosesTwiceWhileAudioRuns)
{
    if (std::getenv ("DISPLAY") == nullptr)
        GTEST_SKIP() << "needs an X server: ctest runs it under xvfb-run";

    juce::AudioPluginFormatManager manager;
    manager.addDefaultFormats();
    auto instance = load (manager, GetParam());
    ASSERT_NE (instance, nullptr) << "cannot load " << GetParam().fileOrIdentifier;
    EXPECT_TRUE (instance->hasEditor());

    {
        AudioThread audio (*instance);

        for (int round = 0; round < 2; ++round)
        {
            SCOPED_TRACE (round);
            std::unique_ptr<juce::AudioProcessorEditor> editor (instance->createEditorIfNeeded());
            ASSERT_NE (editor, nullptr);

            editor->addToDesktop (0);
            editor->setVisible (true);
            const auto blocksBefore = audio.blocks.load();
            runMessageLoopFor (500);

            EXPECT_EQ (editor->getWidth(), 732);
            EXPECT_EQ (editor->getHeight(), 430);
            EXPECT_GT (audio.blocks.load(), blocksBefore) << "audio stalled while the editor was open";

            editor.reset();
            runMessageLoopFor (100);
        }

        EXPECT_TRUE (audio.allFinite.load());
    }

    instance.reset();
    runMessageLoopFor (100);
}

INSTANTIATE_TEST_SUITE_P (Formats, HostedEditor, ::testing::ValuesIn (formats), [] (const auto& info) {
    return std::string (info.param.formatName);
});
} // namespace
