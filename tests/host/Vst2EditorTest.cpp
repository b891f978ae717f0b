// The VST 2.4 plug-in's editor in our own host: opened on an X11 window the
// host creates, kept alive with idle calls, closed, twice, while another
// thread processes audio.

#include "HostContract.h"
#include "Vst2Instance.h"

#include <gtest/gtest.h>

// Xlib after everything else: its macros (None, Bool, Status) clash with other headers.
#include <X11/Xlib.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

using namespace hostContract;

namespace
{
constexpr int editorWidth = 732;
constexpr int editorHeight = 430;

/** The host's audio thread: the two tones through processReplacing. */
class AudioThread
{
public:
    explicit AudioThread (AEffect& effectToRun)
        : effect (effectToRun)
    {
        thread = std::thread ([this] { run(); });
    }

    ~AudioThread()
    {
        running = false;
        thread.join();
    }

    std::atomic<int> blocks { 0 };
    std::atomic<bool> allFinite { true };

private:
    void run()
    {
        std::vector<float> in[2], out[2];

        for (int channel = 0; channel < 2; ++channel)
        {
            in[channel].resize (blockSize);
            out[channel].resize (blockSize);
        }

        for (int block = 0; running; ++block)
        {
            for (int channel = 0; channel < 2; ++channel)
                for (int i = 0; i < blockSize; ++i)
                    in[channel][(size_t) i] = toneSample (channel, (block % numToneBlocks) * blockSize + i);

            float* inputs[] = { in[0].data(), in[1].data() };
            float* outputs[] = { out[0].data(), out[1].data() };
            effect.processReplacing (&effect, inputs, outputs, blockSize);

            for (const auto& channel : out)
                for (const auto sample : channel)
                    if (! std::isfinite (sample))
                        allFinite = false;

            ++blocks;
            std::this_thread::sleep_for (std::chrono::milliseconds (1));
        }
    }

    AEffect& effect;
    std::atomic<bool> running { true };
    std::thread thread;
};

/** What a host's event loop does while the editor is open: idle calls to
    the plug-in and the X events of its own window. */
void idleFor (vst2host::Vst2Instance& plugin, Display* display, int milliseconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds (milliseconds);

    while (std::chrono::steady_clock::now() < end)
    {
        plugin.dispatch (effEditIdle);

        while (XPending (display) > 0)
        {
            XEvent event;
            XNextEvent (display, &event);
        }

        std::this_thread::sleep_for (std::chrono::milliseconds (10));
    }
}

std::vector<Window> childrenOf (Display* display, Window parent)
{
    Window root = 0, grandParent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    std::vector<Window> found;

    if (XQueryTree (display, parent, &root, &grandParent, &children, &count) != 0)
    {
        found.assign (children, children + count);
        XFree (children);
    }

    return found;
}

TEST (Vst2Editor, OpensInTheHostsWindowAndClosesTwiceWhileAudioRuns)
{
    auto* display = XOpenDisplay (nullptr);
    ASSERT_NE (display, nullptr) << "no X server: run under xvfb-run";

    {
        vst2host::Vst2Instance plugin;
        ASSERT_TRUE (plugin.isOpen());
        EXPECT_NE (plugin.effect->flags & effFlagsHasEditor, 0);

        ERect* rect = nullptr;
        plugin.dispatch (effEditGetRect, 0, 0, &rect);
        ASSERT_NE (rect, nullptr);
        EXPECT_EQ (rect->right - rect->left, editorWidth);
        EXPECT_EQ (rect->bottom - rect->top, editorHeight);

        plugin.resume();
        AudioThread audio (*plugin.effect);

        for (int round = 0; round < 2; ++round)
        {
            SCOPED_TRACE (round);
            const auto window =
                XCreateSimpleWindow (display, DefaultRootWindow (display), 0, 0, editorWidth, editorHeight, 0, 0, 0);
            XMapWindow (display, window);
            XSync (display, False);

            EXPECT_NE (plugin.dispatch (effEditOpen, 0, 0, reinterpret_cast<void*> (window)), 0);
            const auto blocksBefore = audio.blocks.load();
            idleFor (plugin, display, 500);

            const auto children = childrenOf (display, window);
            ASSERT_EQ (children.size(), 1u) << "the editor did not embed one window of its own";
            XWindowAttributes attributes {};
            XGetWindowAttributes (display, children[0], &attributes);
            EXPECT_EQ (attributes.width, editorWidth);
            EXPECT_EQ (attributes.height, editorHeight);
            EXPECT_GT (audio.blocks.load(), blocksBefore) << "audio stalled while the editor was open";

            plugin.dispatch (effEditClose);
            idleFor (plugin, display, 100);
            EXPECT_TRUE (childrenOf (display, window).empty()) << "the editor left its window behind";

            XDestroyWindow (display, window);
            XSync (display, False);
        }

        EXPECT_TRUE (audio.allFinite.load());
    }

    XCloseDisplay (display);
}
} // namespace
