#pragma once

#include <juce_graphics/juce_graphics.h>

// The editor window's background and the about panel's backdrop.
namespace window
{
void background (juce::Graphics& g); // 732 x 430
void aboutPanel (juce::Graphics& g); // 732 x 277
} // namespace window
