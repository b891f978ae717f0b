#pragma once

#include "ui/MidiIndicator.h"

/** The red "MIDI UNLEARN" notice shown after a controller assignment was
    removed. The editor shows it and starts the timer; the first tick hides
    it again, so starting the timer while it is shown restarts its time. */
class MIDIUnlearnComponent : public MidiIndicator
{
public:
    /** How long the editor shows the notice. */
    static constexpr int noticeDurationMs = 2000;

    explicit MIDIUnlearnComponent (CustomLookAndFeel* sharedLookAndFeel);

    void timerCallback() override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MIDIUnlearnComponent)
};
