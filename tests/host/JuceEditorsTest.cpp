// The built VST3 and LV2 plug-ins' editors, opened and closed through the
// framework's own plug-in hosting while another thread processes audio, and
// the VST3's editor following a gadget the host chose while it was open.

#include "HostContract.h"
#include "ui/support/MessageLoop.h"

#include <gtest/gtest.h>
#include <juce_audio_processors/juce_audio_processors.h>

// Xlib after everything else: its macros (None, Bool, Status) clash with other headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <numeric>
#include <thread>
#include <vector>

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

/** The editor as the X server shows it: the host's window with the
    plug-in's own window inside it, as rows of 0xRRGGBB. */
class ScreenPixels
{
public:
    ScreenPixels()
        : display (XOpenDisplay (nullptr))
    {
    }

    ~ScreenPixels()
    {
        if (display != nullptr)
            XCloseDisplay (display);
    }

    std::vector<unsigned long> of (juce::Component& hostWindow) const
    {
        std::vector<unsigned long> pixels;
        auto* peer = hostWindow.getPeer();

        if (display == nullptr || peer == nullptr)
            return pixels;

        XSync (display, False);
        const auto window = (Window) reinterpret_cast<std::uintptr_t> (peer->getNativeHandle());
        const auto width = (unsigned int) hostWindow.getWidth();
        const auto height = (unsigned int) hostWindow.getHeight();
        auto* image = XGetImage (display, window, 0, 0, width, height, AllPlanes, ZPixmap);

        if (image == nullptr)
            return pixels;

        for (int y = 0; y < (int) height; ++y)
            for (int x = 0; x < (int) width; ++x)
                pixels.push_back (XGetPixel (image, x, y) & 0xffffff);

        XDestroyImage (image);
        return pixels;
    }

    Display* const display;

    JUCE_DECLARE_NON_COPYABLE (ScreenPixels)
};

class HostedEditorOfTheVst3 : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (std::getenv ("DISPLAY") == nullptr)
            GTEST_SKIP() << "needs an X server: ctest runs it under xvfb-run";

        manager.addDefaultFormats();
    }

    /** An instance whose shown slot runs the given gadget, as the host chose it. */
    std::unique_ptr<juce::AudioPluginInstance> loadWithGadget (int gadget)
    {
        auto instance = load (manager, formats[0]);

        if (instance != nullptr && gadget != 0)
            chooseGadget (*instance, gadget);

        return instance;
    }

    /** Slot 1's gadget as a host's generic controls or automation set it. */
    static void chooseGadget (juce::AudioPluginInstance& instance, int gadget)
    {
        for (auto* parameter : instance.getParameters())
            if (parameter->getName (1024) == juce::String (hostNameOf (indexOf (0, algorithm))))
                parameter->setValue ((float) gadget / 13.0f);
    }

    static std::unique_ptr<juce::AudioProcessorEditor> show (juce::AudioPluginInstance& instance)
    {
        std::unique_ptr<juce::AudioProcessorEditor> editor (instance.createEditorIfNeeded());

        if (editor != nullptr)
        {
            editor->setTopLeftPosition (0, 0);
            editor->addToDesktop (0);
            editor->setVisible (true);
        }

        return editor;
    }

    /** The window once it is drawn and stops changing: two looks a poll
        interval apart agree, and show more than one colour. */
    std::vector<unsigned long> settledPixels (juce::Component& window) const
    {
        auto last = screen.of (window);

        for (int look = 0; look < maxLooks; ++look)
        {
            runMessageLoopFor (lookIntervalMs);
            auto now = screen.of (window);
            const auto drawn = std::adjacent_find (now.begin(), now.end(), std::not_equal_to<>()) != now.end();

            if (now == last && drawn)
                break;

            last = std::move (now);
        }

        return last;
    }

    /** The window once it shows the expected pixels, or as it is when the wait runs out. */
    std::vector<unsigned long> pixelsOnceShowing (juce::Component& window,
                                                  const std::vector<unsigned long>& expected) const
    {
        auto now = screen.of (window);

        for (int look = 0; look < maxLooks && now != expected; ++look)
        {
            runMessageLoopFor (lookIntervalMs);
            now = screen.of (window);
        }

        return now;
    }

    // Longer than the editor's 200 ms poll and the repaint after it.
    static constexpr int lookIntervalMs = 250;
    static constexpr int maxLooks = 20;

    juce::AudioPluginFormatManager manager;
    ScreenPixels screen;
};

TEST_F (HostedEditorOfTheVst3, ShowsTheGadgetTheHostChoseAsIfOpenedWithIt)
{
    constexpr int chosenGadget = 12; // four controls, the last a speed switch
    ASSERT_NE (screen.display, nullptr);

    std::vector<unsigned long> openedWithIt;
    {
        auto instance = loadWithGadget (chosenGadget);
        ASSERT_NE (instance, nullptr);
        auto editor = show (*instance);
        ASSERT_NE (editor, nullptr);
        openedWithIt = settledPixels (*editor);
        editor.reset();
        runMessageLoopFor (100);
    }

    ASSERT_EQ (openedWithIt.size(), (size_t) 732 * 430);

    auto instance = loadWithGadget (0);
    ASSERT_NE (instance, nullptr);
    auto editor = show (*instance);
    ASSERT_NE (editor, nullptr);
    const auto before = settledPixels (*editor);
    ASSERT_NE (before, openedWithIt) << "the two gadgets look alike: nothing to tell";

    chooseGadget (*instance, chosenGadget);
    const auto followed = pixelsOnceShowing (*editor, openedWithIt);
    ASSERT_EQ (followed.size(), openedWithIt.size());
    EXPECT_EQ (std::inner_product (
                   followed.begin(), followed.end(), openedWithIt.begin(), 0, std::plus<>(), std::not_equal_to<>()),
               0)
        << "pixels where the open editor differs from one opened with the host's gadget";

    editor.reset();
    instance.reset();
    runMessageLoopFor (100);
}

INSTANTIATE_TEST_SUITE_P (Formats, HostedEditor, ::testing::ValuesIn (formats), [] (const auto& info) {
    return std::string (info.param.formatName);
});
} // namespace
