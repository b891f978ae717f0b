#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A two-position switch drawn from two pictures. A left click flips it, a
    right click arms it for MIDI learn; either ends in a change message and
    the editor reads `state` and `armed`. */
class SwitchComponent : public juce::Component, public juce::ChangeBroadcaster, public juce::Timer
{
public:
    SwitchComponent();
    ~SwitchComponent() override;

    void mouseDown (const juce::MouseEvent& event) override;
    void mouseUp (const juce::MouseEvent& event) override;
    void paint (juce::Graphics& g) override;
    void resized() override;
    void timerCallback() override;

    /** On when true. */
    bool state = false;
    juce::Image offImage;
    juce::Image onImage;
    bool armed = false;
    /** A click has flipped `state` and its change message is still on its
        way; the listener clears this once it has taken the click, and until
        then nothing else may write `state`, or the click would be lost. */
    bool stepAwaitingDelivery = false;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SwitchComponent)
};
