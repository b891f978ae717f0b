#pragma once

#include "PedalStyle.h"

// The metal and plastic parts mounted on a stompbox, seen from above. Every
// part takes the picture bounds so it can cast its own soft shadow, and a hot
// flag for the dark glowing finish.
namespace hardware
{
// Pointer direction for a control value 0..1: a 240-degree sweep through
// the top, the same travel as the editor's knobs.
juce::Point<float> pointerDirection (float value);

void knob (juce::Graphics& g,
           juce::Rectangle<int> picture,
           juce::Point<float> centre,
           float radius,
           const PedalStyle& style,
           float value,
           bool hot);
void toggle (juce::Graphics& g,
             juce::Rectangle<int> picture,
             juce::Point<float> centre,
             bool on,
             const PedalStyle& style,
             bool hot);
void footswitch (juce::Graphics& g, juce::Rectangle<int> picture, juce::Point<float> centre, bool hot);
void led (juce::Graphics& g, juce::Rectangle<int> picture, juce::Point<float> centre, juce::Colour colour, bool hot);
void jack (juce::Graphics& g, juce::Rectangle<float> bounds, bool hot);
void screw (juce::Graphics& g, juce::Point<float> centre, float slotAngle, bool hot);
} // namespace hardware
