#pragma once

#include "support/TemporaryFolder.h"
#include "ui/TarvolinAudioProcessorEditor.h"
#include "ui/support/GestureLog.h"

#include <functional>
#include <memory>
#include <utility>
#include <vector>

/** A processor with its preset tree in a temporary folder, and its editor in
    a window of its own on the (virtual) desktop. Gestures go in through the
    window's peer as the windowing system would deliver them, and every
    message they post is delivered before a gesture call returns. */
class EditorHarness
{
public:
    EditorHarness();
    ~EditorHarness();

    TarvolinAudioProcessorEditor& open();
    void close();

    void moveTo (juce::Component& target, juce::Point<int> local);
    void click (juce::Component& target, juce::Point<int> local);
    void click (juce::Component& target) { click (target, target.getLocalBounds().getCentre()); }
    void rightClick (juce::Component& target);
    void doubleClick (juce::Component& target);
    /** Drags from the centre by dy pixels (negative is up) in steps of stepPx,
        delivering the messages after every step as a busy host would. */
    void drag (juce::Component& target, int dy, int stepPx);
    /** One turn of the wheel over the centre; positive deltaY turns it up. */
    void wheel (juce::Component& target, float deltaY);

    /** A parameter as the host sets it, with its notification. */
    void hostSets (int index, float value);

    /** Restores the processor's own state with some attributes replaced, as
        a host hands back a project someone edited. */
    using Attributes = std::vector<std::pair<const char*, juce::String>>;
    void restoreStateWith (const Attributes& attributes);

    /** Runs after each event reaches its component and before the messages
        it posted are delivered, as a message queued ahead of them would. */
    std::function<void()> aheadOfMessages;

    std::unique_ptr<TarvolinAudioProcessor> processor;
    TemporaryFolder presetRoot;
    GestureLog log;
    std::unique_ptr<TarvolinAudioProcessorEditor> editor;

private:
    void send (juce::Component& target, juce::Point<int> local, juce::ModifierKeys buttons, juce::int64 timeMs);
    void deliverAfterEvent();
    /** A move to local, then one button down and up there. */
    void press (juce::Component& target, juce::Point<int> local, juce::ModifierKeys button);
    juce::int64 nextGestureTime();

    juce::int64 clockMs = 0;
};
