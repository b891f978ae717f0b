#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Clicks the way the framework dispatches them: the component under the
    point (visible children first, hidden ones skipped, covering ones taking
    the click) gets a left-button mouseDown and mouseUp at that point in its
    own coordinates. No desktop window is needed, so the tests run under a
    bare X server that has no window manager. */
inline void clickAt (juce::Component& root, juce::Point<float> position)
{
    auto* target = root.getComponentAt (position);

    if (target == nullptr)
        return;

    // Clicks a second apart never count as double clicks.
    static juce::int64 eventTimeMs = 0;
    eventTimeMs += 1000;

    const auto local = target->getLocalPoint (&root, position);
    const auto source = juce::Desktop::getInstance().getMainMouseSource();

    const auto event = [&] (juce::ModifierKeys modifiers, juce::int64 timeMs) {
        return juce::MouseEvent (source,
                                 local,
                                 modifiers,
                                 juce::MouseInputSource::defaultPressure,
                                 juce::MouseInputSource::defaultOrientation,
                                 juce::MouseInputSource::defaultRotation,
                                 juce::MouseInputSource::defaultTiltX,
                                 juce::MouseInputSource::defaultTiltY,
                                 target,
                                 target,
                                 juce::Time (timeMs),
                                 local,
                                 juce::Time (eventTimeMs),
                                 1,
                                 false);
    };

    juce::Component::SafePointer<juce::Component> stillThere (target);
    target->mouseDown (event (juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier), eventTimeMs));

    if (stillThere != nullptr)
        target->mouseUp (event (juce::ModifierKeys(), eventTimeMs + 10));
}
