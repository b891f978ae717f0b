#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** What every control that can learn a MIDI controller shares: how long a
    right click keeps it armed, and how an armed control looks. */
struct MidiLearnArming
{
    /** Long enough to reach for a controller; after that the click is forgotten. */
    static constexpr int timeoutMs = 5000;

    /** The picture at (0, 0) under a red veil: the red fills the picture's
        own shape first, so transparent corners stay transparent. */
    static void drawTinted (juce::Graphics& g, const juce::Image& picture);
};
