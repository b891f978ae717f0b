#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** One tile of the game board: a rounded square in the colour of its value,
    with the value written on it (an empty cell is a plain grey square). */
class Component2048Case : public juce::Component
{
public:
    Component2048Case() = default;
    ~Component2048Case() override = default;

    void paint (juce::Graphics& g) override;
    void resized() override { repaint(); }

    /** Shows another value; repaints only when it changed. */
    void setValue (int newValue);

    static juce::Colour colourForValue (int tileValue);

    int value = 0;

private:
    JUCE_DECLARE_NON_COPYABLE (Component2048Case)
};
