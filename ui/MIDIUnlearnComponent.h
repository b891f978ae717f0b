#pragma once

#include "ui/CustomLookAndFeel.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** The red "MIDI UNLEARN" notice shown after a controller assignment was
    removed. The editor shows it and starts the timer; the first tick hides
    it again, so starting the timer while it is shown restarts its time. */
class MIDIUnlearnComponent : public juce::Component, public juce::Timer, public juce::ChangeBroadcaster
{
public:
    /** How long the editor shows the notice. */
    static constexpr int noticeDurationMs = 2000;

    explicit MIDIUnlearnComponent (CustomLookAndFeel* sharedLookAndFeel);
    ~MIDIUnlearnComponent() override;

    void paint (juce::Graphics&) override;
    void timerCallback() override;

    juce::Font font;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MIDIUnlearnComponent)
};
