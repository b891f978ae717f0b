#include "Component2048Case.h"

namespace
{
constexpr float marginPx = 5.0f;
constexpr float cornerPx = 4.0f;
} // namespace

void Component2048Case::paint (juce::Graphics& g)
{
    g.setColour (colourForValue (value));
    // reduced() stops at zero size, so a tile still growing from nothing
    // during the animation draws nothing rather than an inverted square.
    g.fillRoundedRectangle (getLocalBounds().toFloat().reduced (marginPx), cornerPx);

    if (value == 0)
        return;

    g.setColour (juce::Colours::black);
    g.drawText (juce::String (value), getLocalBounds(), juce::Justification::centred, false);
}

void Component2048Case::setValue (int newValue)
{
    if (newValue == value)
        return;

    value = newValue;
    repaint();
}

juce::Colour Component2048Case::colourForValue (int tileValue)
{
    switch (tileValue)
    {
        case 0:
            return juce::Colours::grey;
        case 2:
            return juce::Colours::white;
        case 4:
            return juce::Colours::beige.darker (0.2f);
        case 8:
            return juce::Colours::orange;
        case 16:
            return juce::Colours::orangered;
        case 32:
            return juce::Colours::red;
        case 64:
            return juce::Colours::magenta;
        case 128:
            return juce::Colours::blueviolet;
        case 256:
            return juce::Colours::aquamarine;
        case 512:
            return juce::Colours::greenyellow;
        case 1024:
            return juce::Colours::goldenrod;
        case 2048:
            return juce::Colours::gold;
        default:
            return juce::Colours::yellow;
    }
}
