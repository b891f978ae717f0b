#include "SwitchComponent.h"

#include "ui/MidiLearnArming.h"

#include <Images.h>

SwitchComponent::SwitchComponent()
    : offImage (juce::ImageCache::getFromMemory (Images::switch1_png, Images::switch1_pngSize))
    , onImage (juce::ImageCache::getFromMemory (Images::switch2_png, Images::switch2_pngSize))
{
    setBufferedToImage (true);
}

SwitchComponent::~SwitchComponent() { stopTimer(); }

void SwitchComponent::mouseDown (const juce::MouseEvent& event)
{
    if (event.getNumberOfClicks() != 1)
        return;

    if (event.mods.isLeftButtonDown())
    {
        if (armed)
            return;

        state = ! state;
        stepAwaitingDelivery = true;
        repaint();
        sendChangeMessage();
    }
    else if (event.mods.isRightButtonDown())
    {
        armed = true;
        startTimer (MidiLearnArming::timeoutMs);
        repaint();
        sendChangeMessage();
    }
}

void SwitchComponent::mouseUp (const juce::MouseEvent&) {}

void SwitchComponent::paint (juce::Graphics& g)
{
    const auto& picture = state ? onImage : offImage;

    if (armed)
        MidiLearnArming::drawTinted (g, picture);
    else
        g.drawImageAt (picture, 0, 0, false);
}

void SwitchComponent::resized() { repaint(); }

void SwitchComponent::timerCallback()
{
    // The arming is a one-shot timeout; the timer has nothing more to do.
    stopTimer();
    armed = false;
    repaint();
}
