#pragma once

#include "ui/MidiIndicator.h"

/** The red "MIDI LEARN" text that blinks while a control waits for a
    controller. Each tick of its timer toggles it and sends a change message,
    on which the editor checks whether any control is still armed. */
class MIDILearnComponent : public MidiIndicator
{
public:
    /** The editor blinks it at this period: on for one period, off for one. */
    static constexpr int blinkPeriodMs = 800;

    explicit MIDILearnComponent (CustomLookAndFeel* sharedLookAndFeel);

    void timerCallback() override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MIDILearnComponent)
};
