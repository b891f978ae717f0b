#pragma once

#include <juce_graphics/juce_graphics.h>

// The editor's small pictures: the knob body (its pointer is drawn by the
// editor), the two switch states, the combo-box bars, the slot-strip frames
// and the level-meter frames.
namespace controls
{
void knob (juce::Graphics& g);
void switchOff (juce::Graphics& g);
void switchOn (juce::Graphics& g);
void comboBox (juce::Graphics& g, int width);
void slotButtons (juce::Graphics& g);
void meterFrame (juce::Graphics& g, int litSegments);
} // namespace controls
