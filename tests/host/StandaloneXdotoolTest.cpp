// The standalone program in a real window on a virtual X server, driven with
// xdotool as a user would drive it: a gadget selector, the title band and a
// knob. The state the program saves when its window is closed tells whether
// the plug-in took the gestures.

#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>
#include <juce_core/juce_core.h>

// Xlib after everything else: its macros (None, Bool, Status) clash with the framework's names.
#include <X11/Xlib.h>

#include <cstdlib>

namespace
{
constexpr int editorWidth = 732;
constexpr int editorHeight = 430;
constexpr int waitMs = 20000;

/** Runs xdotool and returns what it printed; empty when it failed or hung. */
juce::String xdotool (const juce::StringArray& arguments)
{
    juce::ChildProcess process;
    juce::StringArray command { "xdotool" };
    command.addArray (arguments);

    if (! process.start (command, juce::ChildProcess::wantStdOut))
        return {};

    const auto output = process.readAllProcessOutput();

    if (! process.waitForProcessToFinish (waitMs) || process.getExitCode() != 0)
    {
        process.kill();
        return {};
    }

    return output;
}

struct Origin
{
    int x = 0, y = 0;
};

/** The editor's origin inside the program's window: the window's own frame
    (a border all round, a title bar and a notice above the editor) is
    whatever the window is larger than the editor, the editor sitting at its
    bottom centre. */
Origin findEditorOrigin (const juce::String& window)
{
    int width = 0, height = 0;

    for (const auto& line : juce::StringArray::fromLines (xdotool ({ "getwindowgeometry", "--shell", window })))
    {
        if (line.startsWith ("WIDTH="))
            width = line.fromFirstOccurrenceOf ("=", false, false).getIntValue();

        if (line.startsWith ("HEIGHT="))
            height = line.fromFirstOccurrenceOf ("=", false, false).getIntValue();
    }

    const auto border = (width - editorWidth) / 2;
    return { border, height - editorHeight - border };
}

/** What a window manager sends when the user closes a window. */
void askToClose (const juce::String& window)
{
    auto* display = XOpenDisplay (nullptr);
    ASSERT_NE (display, nullptr);

    XEvent event {};
    event.xclient.type = ClientMessage;
    event.xclient.window = (Window) window.getLargeIntValue();
    event.xclient.message_type = XInternAtom (display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long) XInternAtom (display, "WM_DELETE_WINDOW", False);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent (display, event.xclient.window, False, NoEventMask, &event);
    XSync (display, False);
    XCloseDisplay (display);
}

/** The plug-in state the program saved under HOME, as its XML. */
std::unique_ptr<juce::XmlElement> savedPluginState (const juce::File& home)
{
    const auto settings = juce::parseXML (home.getChildFile (".config/Tarvolin.settings"));

    if (settings == nullptr)
        return {};

    for (auto* value : settings->getChildIterator())
    {
        if (value->getStringAttribute ("name") != "filterState")
            continue;

        juce::MemoryBlock state;

        // The framework's binary wrapper: magic, length, then the text.
        if (! state.fromBase64Encoding (value->getStringAttribute ("val")) || state.getSize() <= 8)
            return {};

        return juce::parseXML (
            juce::String::fromUTF8 (static_cast<const char*> (state.getData()) + 8, (int) state.getSize() - 8));
    }

    return {};
}

TEST (StandaloneProgram, TakesClicksAndADragInARealWindow)
{
    if (std::getenv ("DISPLAY") == nullptr)
        GTEST_SKIP() << "needs an X server: ctest runs it under xvfb-run";

    // A home of its own: the program keeps its settings and saved state there.
    TemporaryFolder home;
    juce::ChildProcess program;
    ASSERT_TRUE (
        program.start (juce::StringArray { "env", "HOME=" + home.folder.getFullPathName(), TARVOLIN_STANDALONE }, 0));

    const auto window = xdotool ({ "search", "--sync", "--onlyvisible", "--name", "^Tarvolin$" }).trim();
    ASSERT_TRUE (window.containsOnly ("0123456789") && window.isNotEmpty()) << "no window: " << window;
    const auto origin = findEditorOrigin (window);

    auto at = [&] (int x, int y) {
        juce::StringArray arguments { "mousemove", "--sync", "--window" };
        arguments.addArray ({ window, juce::String (origin.x + x), juce::String (origin.y + y) });
        return arguments;
    };

    // The sixth gadget selector, then the title band.
    auto click = [&] (int x, int y) {
        auto arguments = at (x, y);
        arguments.addArray ({ "click", "1" });
        EXPECT_TRUE (xdotool (arguments).isEmpty());
        juce::Thread::sleep (600); // longer than the pedal slide
    };

    click (26 + 5 * 50 + 15, 322 + 15);
    click (200, 20);

    // The input knob, dragged up by about 30 pixels in small steps.
    auto press = at (118, 394);
    press.addArray ({ "mousedown", "1" });
    xdotool (press);

    for (int step = 0; step < 6; ++step)
    {
        xdotool ({ "mousemove_relative", "--sync", "--", "0", "-5" });
        juce::Thread::sleep (50);
    }

    xdotool ({ "mouseup", "1" });
    juce::Thread::sleep (300);

    askToClose (window);
    ASSERT_TRUE (program.waitForProcessToFinish (waitMs)) << "the program did not close";

    const auto state = savedPluginState (home.folder);
    ASSERT_NE (state, nullptr) << "the program saved no plug-in state";
    EXPECT_EQ (state->getIntAttribute ("INDXALGO0", -1), 5) << "the selector click did not reach the plug-in";
    EXPECT_GT (state->getDoubleAttribute ("INPUT0"), 0.15) << "the knob drag did not reach the plug-in";
}
} // namespace
