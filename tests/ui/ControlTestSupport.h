#pragma once

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

/** What the control tests share: a running framework with a message loop,
    mouse events built as the peer builds them, change messages counted as
    they are sent, and component snapshots kept as PNGs in the build folder. */
namespace controltest
{
constexpr auto left = juce::ModifierKeys::leftButtonModifier;
constexpr auto right = juce::ModifierKeys::rightButtonModifier;

/** An event at a point of the component; a drag passes where it started. */
juce::MouseEvent mouseAt (juce::Component& component,
                          juce::Point<float> position,
                          int buttons,
                          int clicks = 1,
                          juce::Point<float> downPosition = { -1.0f, -1.0f });

juce::MouseWheelDetails wheel (float deltaY);

/** Hosts (and the framework's standalone wrapper) install an X error
    handler; a bare program keeps Xlib's default, which ends the process at
    the first harmless error, such as asking a server without a window
    manager for the WM_STATE property of a new window. */
void ignoreXErrors();

/** Counts the change messages a control sends. Every gesture handler sends
    at most once, so taking the count after each handler keeps apart two
    messages that the framework would deliver as one. */
class ChangeCounter : public juce::ChangeListener
{
public:
    explicit ChangeCounter (juce::ChangeBroadcaster& broadcasterToCount);
    ~ChangeCounter() override;

    /** Delivers what is pending and returns the messages since the last call. */
    int take();
    void changeListenerCallback (juce::ChangeBroadcaster*) override { ++received; }

private:
    juce::ChangeBroadcaster& broadcaster;
    int received = 0;
};

/** The component drawn as the window would draw it, also written to
    <test binary folder>/ui-snapshots/<name>.png for a person to look at. */
juce::Image snapshot (juce::Component& component, const juce::String& name = {});

/** Writes a picture to <test binary folder>/ui-snapshots/<name>.png. */
void saveSnapshot (const juce::Image& image, const juce::String& name);

bool samePixels (const juce::Image& a, const juce::Image& b);

/** Premultiplied channels within a tolerance, so faint pixels compare by
    what they add to the picture rather than by a colour that hardly shows. */
bool pixelsNear (juce::Colour a, juce::Colour b, int tolerance);

/** Red well above the dark grey of the pictures: the armed tint. */
bool looksArmed (juce::Colour pixel);
} // namespace controltest
