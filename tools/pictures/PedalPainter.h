#pragma once

#include "PedalGeometry.h"

// Draws one stompbox, in its own paint or in the dark glowing hot finish.
class PedalPainter
{
public:
    PedalPainter (const PedalStyle& style, bool hot);

    void paint (juce::Graphics& g) const;

private:
    const PedalStyle& style;
    const bool hot;
    const PedalGeometry geometry;

    juce::Colour facePaint() const;
    void paintHalo (juce::Graphics& g) const;
    void paintShadow (juce::Graphics& g) const;
    void paintJacks (juce::Graphics& g) const;
    void paintBody (juce::Graphics& g) const;
    void paintFinish (juce::Graphics& g) const;
    void paintWoodGrain (juce::Graphics& g) const;
    void paintPrint (juce::Graphics& g) const;
    void paintScales (juce::Graphics& g, juce::Colour colour) const;
    void paintHotEdge (juce::Graphics& g) const;
    void paintScrews (juce::Graphics& g) const;
    void paintControls (juce::Graphics& g) const;
};
