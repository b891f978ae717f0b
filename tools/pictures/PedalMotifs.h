#pragma once

#include "PedalGeometry.h"

// The printed artwork on a stompbox's top: one motif per effect, in the
// colours of the finish being drawn (the hot finish prints in light).
struct MotifColours
{
    juce::Colour ink;
    juce::Colour accent;
    juce::Colour panel;
    juce::Colour paint; // the face colour the print stands on
    bool hot;
};

void drawMotif (juce::Graphics& g, const PedalStyle& style, const PedalGeometry& geometry, const MotifColours& colours);
