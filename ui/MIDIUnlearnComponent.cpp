#include "ui/MIDIUnlearnComponent.h"

MIDIUnlearnComponent::MIDIUnlearnComponent (CustomLookAndFeel* sharedLookAndFeel)
    : font (sharedLookAndFeel != nullptr ? sharedLookAndFeel->regularFont : juce::Font (CustomLookAndFeel::fontHeight))
{
    setVisible (false);
}

MIDIUnlearnComponent::~MIDIUnlearnComponent() { stopTimer(); }

void MIDIUnlearnComponent::paint (juce::Graphics& g)
{
    g.setFont (font);
    g.setColour (juce::Colours::red);
    g.drawFittedText ("MIDI UNLEARN", getLocalBounds(), juce::Justification::centred, 1, 0.0f);
}

void MIDIUnlearnComponent::timerCallback()
{
    setVisible (false);
    stopTimer();
}
