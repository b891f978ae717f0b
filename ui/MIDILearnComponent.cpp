#include "ui/MIDILearnComponent.h"

MIDILearnComponent::MIDILearnComponent (CustomLookAndFeel* sharedLookAndFeel)
    : font (sharedLookAndFeel != nullptr ? sharedLookAndFeel->regularFont : juce::Font (CustomLookAndFeel::fontHeight))
{
    setVisible (false);
}

MIDILearnComponent::~MIDILearnComponent() { stopTimer(); }

void MIDILearnComponent::paint (juce::Graphics& g)
{
    g.setFont (font);
    g.setColour (juce::Colours::red);
    g.drawFittedText ("MIDI LEARN", getLocalBounds(), juce::Justification::centred, 1, 0.0f);
}

void MIDILearnComponent::timerCallback()
{
    setVisible (! isVisible());
    sendChangeMessage();
}
