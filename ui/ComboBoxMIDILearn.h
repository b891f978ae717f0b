#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The impulse choice box. A right click arms it for MIDI learn like the
    knobs; while armed it is drawn red. Its change broadcaster reports only
    the arming; the choice itself goes through the combo-box listener. */
class ComboBoxMIDILearn : public juce::ComboBox, public juce::Timer, public juce::ChangeBroadcaster
{
public:
    /** Arming lapses this long after the last right click. */
    static constexpr int armingTimeoutMs = 5000;

    ComboBoxMIDILearn();
    ~ComboBoxMIDILearn() override;

    void mouseDown (const juce::MouseEvent&) override;
    void paint (juce::Graphics&) override;
    void timerCallback() override;

    bool armed = false;

private:
    void applyArmedColour();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ComboBoxMIDILearn)
};
