#pragma once

#include "ui/CustomLookAndFeel.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** The red "MIDI LEARN" text that blinks while a control waits for a
    controller. Each tick of its timer toggles it and sends a change message,
    on which the editor checks whether any control is still armed. */
class MIDILearnComponent : public juce::Component, public juce::Timer, public juce::ChangeBroadcaster
{
public:
    /** The editor blinks it at this period: on for one period, off for one. */
    static constexpr int blinkPeriodMs = 800;

    explicit MIDILearnComponent (CustomLookAndFeel* sharedLookAndFeel);
    ~MIDILearnComponent() override;

    void paint (juce::Graphics&) override;
    void timerCallback() override;

    juce::Font font;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MIDILearnComponent)
};
