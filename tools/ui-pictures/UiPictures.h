#pragma once

#include <juce_core/juce_core.h>

/** Draws the sheet of every control in each of its states; returns the
    picture's name. */
juce::String drawControlsContactSheet();
