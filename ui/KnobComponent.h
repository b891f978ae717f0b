#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A rotary knob over one normalised value. Dragging up raises it (100 px
    cover the whole range), the wheel moves it in steps and a double click
    puts it back to the middle; a right click arms it for MIDI learn.
    Whatever it does ends in a change message: the editor, its listener,
    reads and writes the public fields directly. */
class KnobComponent : public juce::Component, public juce::ChangeBroadcaster, public juce::Timer
{
public:
    KnobComponent();
    ~KnobComponent() override;

    void mouseDown (const juce::MouseEvent& event) override;
    void mouseDrag (const juce::MouseEvent& event) override;
    void mouseUp (const juce::MouseEvent& event) override;
    void mouseWheelMove (const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel) override;
    void paint (juce::Graphics& g) override;
    void resized() override;
    void timerCallback() override;

    /** Position in 0..1. */
    float value = 0.0f;
    /** Vertical travel already applied in the current drag, in full ranges (pixels / 100). */
    float dragOffset = 0.0f;
    /** A drag, wheel or double-click step has moved `value` and its change
        message is still on its way. Until the listener has taken it (and
        cleared this), nothing else may write `value`: a drag is relative, so
        a step overwritten before delivery would be lost for good. */
    bool stepAwaitingDelivery = false;
    /** Drawn lower-cased across the knob; empty draws nothing. */
    juce::String name;
    juce::Font font;
    bool armed = false;
    juce::Image knobImage;

private:
    void arm();
    void resetToCentre();
    void sendStep();
    void drawPointer (juce::Graphics& g) const;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (KnobComponent)
};
