#include "ui/MIDIUnlearnComponent.h"

MIDIUnlearnComponent::MIDIUnlearnComponent (CustomLookAndFeel* sharedLookAndFeel)
    : MidiIndicator (sharedLookAndFeel, "MIDI UNLEARN")
{
}

void MIDIUnlearnComponent::timerCallback()
{
    setVisible (false);
    stopTimer();
}
