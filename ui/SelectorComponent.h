#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** One round gadget selector of the row of fourteen. It reports clicks and
    the mouse entering and leaving through `lastEvent` and a change message;
    the editor decides what a click selects and writes `selected` back. */
class SelectorComponent : public juce::Component, public juce::ChangeBroadcaster, public juce::Timer
{
public:
    /** Values of `lastEvent`. */
    enum Event
    {
        clicked = 0,
        mouseEntered = 1,
        mouseLeft = 2
    };

    SelectorComponent();
    ~SelectorComponent() override;

    void mouseEnter (const juce::MouseEvent& event) override;
    void mouseExit (const juce::MouseEvent& event) override;
    void mouseDown (const juce::MouseEvent& event) override;
    void mouseUp (const juce::MouseEvent& event) override;
    void paint (juce::Graphics& g) override;
    void resized() override;
    void timerCallback() override;

    /** Written by the editor only. */
    bool selected = false;
    /** What the last change message reported (an `Event`). */
    juce::int32 lastEvent = clicked;
    /** The gadget's display name, for the pedal view's hover title. */
    juce::String name;
    bool armed = false;

private:
    void report (Event event);
    juce::Colour fillColour() const;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SelectorComponent)
};
