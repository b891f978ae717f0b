#include "ui/MidiIndicator.h"

MidiIndicator::MidiIndicator (CustomLookAndFeel* sharedLookAndFeel, const char* noticeText)
    : font (sharedLookAndFeel != nullptr ? sharedLookAndFeel->regularFont : juce::Font (CustomLookAndFeel::fontHeight))
    , text (noticeText)
{
    setVisible (false);
}

MidiIndicator::~MidiIndicator() { stopTimer(); }

void MidiIndicator::paint (juce::Graphics& g)
{
    g.setFont (font);
    g.setColour (juce::Colours::red);
    g.drawFittedText (text, getLocalBounds(), juce::Justification::centred, 1, 0.0f);
}
