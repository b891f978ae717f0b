#include "ui/MIDILearnComponent.h"

MIDILearnComponent::MIDILearnComponent (CustomLookAndFeel* sharedLookAndFeel)
    : MidiIndicator (sharedLookAndFeel, "MIDI LEARN")
{
}

void MIDILearnComponent::timerCallback()
{
    setVisible (! isVisible());
    sendChangeMessage();
}
