#pragma once

#include "ui/CustomLookAndFeel.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** A red notice in the editor's font, hidden until the editor shows it; its
    timer decides what happens next. */
class MidiIndicator : public juce::Component, public juce::Timer, public juce::ChangeBroadcaster
{
public:
    MidiIndicator (CustomLookAndFeel* sharedLookAndFeel, const char* noticeText);
    ~MidiIndicator() override;

    void paint (juce::Graphics&) override;

    juce::Font font;

private:
    const char* text;

    JUCE_DECLARE_NON_COPYABLE (MidiIndicator)
};
