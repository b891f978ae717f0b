#include "SelectorComponent.h"

#include "ui/MidiLearnArming.h"

namespace
{
// The circle sits inside the component with this much room around it.
constexpr int marginPixels = 8;
constexpr float outlineThickness = 1.0f;
constexpr float armedUnselectedBrightening = 0.5f;
} // namespace

SelectorComponent::SelectorComponent() { setBufferedToImage (true); }

SelectorComponent::~SelectorComponent() { stopTimer(); }

void SelectorComponent::report (Event event)
{
    lastEvent = event;
    sendChangeMessage();
}

void SelectorComponent::mouseEnter (const juce::MouseEvent&) { report (mouseEntered); }

void SelectorComponent::mouseExit (const juce::MouseEvent&) { report (mouseLeft); }

void SelectorComponent::mouseDown (const juce::MouseEvent& event)
{
    if (event.getNumberOfClicks() != 1)
        return;

    if (event.mods.isLeftButtonDown())
    {
        if (! armed)
            report (clicked);
    }
    else if (event.mods.isRightButtonDown())
    {
        armed = true;
        startTimer (MidiLearnArming::timeoutMs);
        repaint();
        report (clicked);
    }
}

void SelectorComponent::mouseUp (const juce::MouseEvent&) {}

juce::Colour SelectorComponent::fillColour() const
{
    if (armed)
        return selected ? juce::Colours::red : juce::Colours::red.brighter (armedUnselectedBrightening);

    return (selected ? juce::Colours::white : juce::Colours::grey).withAlpha (1.0f);
}

void SelectorComponent::paint (juce::Graphics& g)
{
    const auto diameter = (float) (juce::jmin (getWidth(), getHeight()) - marginPixels);
    const auto x = ((float) getWidth() - diameter) * 0.5f;
    const auto y = ((float) getHeight() - diameter) * 0.5f;

    g.setColour (fillColour());
    g.fillEllipse (x, y, diameter, diameter);
    g.setColour (juce::Colours::black.withAlpha (1.0f));
    g.drawEllipse (x, y, diameter, diameter, outlineThickness);
}

void SelectorComponent::resized() { repaint(); }

void SelectorComponent::timerCallback()
{
    // The arming is a one-shot timeout; the timer has nothing more to do.
    stopTimer();
    armed = false;
    repaint();
}
