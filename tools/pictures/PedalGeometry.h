#pragma once

#include "PedalStyle.h"

#include <vector>

// Where the parts of one stompbox sit inside its 369 x 282 picture. The
// editor draws the picture 17 pixels left of its panel edge, its own texts
// right of x 350 and the gadget buttons over the lowest 30 rows, so every box
// stands in the middle of the picture's visible left part, clear of both.
struct PedalGeometry
{
    struct Control
    {
        juce::Point<float> centre;
        float radius;
        bool isSwitch;
        float value;
    };

    static constexpr int pictureWidth = 369;
    static constexpr int pictureHeight = 282;

    juce::Rectangle<int> picture { pictureWidth, pictureHeight };
    juce::Rectangle<float> body; // the box, without ears
    juce::Path bodyOutline;
    juce::Path faceOutline; // the painted top inside the bevel
    juce::Rectangle<float> band; // free strip between the controls and the LED
    juce::Point<float> led;
    juce::Point<float> footswitch;
    std::vector<Control> controls;

    static PedalGeometry forStyle (const PedalStyle& style);
};
