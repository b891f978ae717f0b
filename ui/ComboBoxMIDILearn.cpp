#include "ui/ComboBoxMIDILearn.h"

ComboBoxMIDILearn::ComboBoxMIDILearn()
    : juce::ComboBox (juce::String())
{
    applyArmedColour();
}

ComboBoxMIDILearn::~ComboBoxMIDILearn() { stopTimer(); }

void ComboBoxMIDILearn::mouseDown (const juce::MouseEvent& e)
{
    if (e.mods.isRightButtonDown() && e.getNumberOfClicks() == 1)
    {
        armed = true;
        startTimer (armingTimeoutMs);
        applyArmedColour();
        repaint();
        sendChangeMessage();
        return;
    }

    juce::ComboBox::mouseDown (e);
}

void ComboBoxMIDILearn::paint (juce::Graphics& g)
{
    // The editor arms and disarms by writing the field and repainting, so the
    // colour is brought in line here as well.
    applyArmedColour();
    juce::ComboBox::paint (g);
}

void ComboBoxMIDILearn::timerCallback()
{
    armed = false;
    applyArmedColour();
    repaint();
}

void ComboBoxMIDILearn::applyArmedColour()
{
    // The look and feel draws any red box with the armed tint. Setting an
    // unchanged colour does nothing, so the text box is rebuilt only when
    // the armed state really changes.
    setColour (juce::ComboBox::backgroundColourId, armed ? juce::Colours::red : juce::Colours::transparentBlack);
}
