#include "KnobComponent.h"

#include "ui/MidiLearnArming.h"

#include <Images.h>

namespace
{
constexpr float centreValue = 0.5f;
constexpr float dragPixelsPerRange = 100.0f;
constexpr float wheelStep = 0.05f;

// A 240-degree sweep through the top: 0 points to the lower left (150
// degrees, y grows downwards), 0.5 straight up, 1 to the lower right.
constexpr float sweepRadians = 4.1887903f;
constexpr float startRadians = 2.6179938f;
constexpr float pointerInnerRadius = 0.25f;
constexpr float pointerOuterRadius = 0.35f;
constexpr float pointerThickness = 2.0f;

bool isLeftDoubleClick (const juce::MouseEvent& event)
{
    return event.getNumberOfClicks() >= 2 && event.mods.isLeftButtonDown();
}
} // namespace

KnobComponent::KnobComponent()
    : knobImage (juce::ImageCache::getFromMemory (Images::knob_png, Images::knob_pngSize))
{
    setBufferedToImage (true);
}

KnobComponent::~KnobComponent() { stopTimer(); }

void KnobComponent::arm()
{
    armed = true;
    startTimer (MidiLearnArming::timeoutMs);
    repaint();
    sendChangeMessage();
}

void KnobComponent::resetToCentre()
{
    value = centreValue;
    sendStep();
}

void KnobComponent::sendStep()
{
    stepAwaitingDelivery = true;
    repaint();
    sendChangeMessage();
}

void KnobComponent::mouseDown (const juce::MouseEvent& event)
{
    if (isLeftDoubleClick (event))
    {
        if (! armed)
            resetToCentre();
    }
    else if (event.getNumberOfClicks() == 1 && event.mods.isRightButtonDown())
    {
        arm();
    }
}

void KnobComponent::mouseDrag (const juce::MouseEvent& event)
{
    if (armed || event.mods.isRightButtonDown())
        return;

    // The offset follows the mouse, not the clamped value, so turning back
    // after hitting a limit moves the knob at once.
    const auto distance = (float) event.getDistanceFromDragStartY() / dragPixelsPerRange;
    value = juce::jlimit (0.0f, 1.0f, value - (distance - dragOffset));
    dragOffset = distance;
    sendStep();
}

void KnobComponent::mouseUp (const juce::MouseEvent& event)
{
    if (isLeftDoubleClick (event) && ! armed)
        resetToCentre();

    dragOffset = 0.0f;
}

void KnobComponent::mouseWheelMove (const juce::MouseEvent&, const juce::MouseWheelDetails& wheel)
{
    if (armed)
        return;

    value = juce::jmax (0.0f, juce::jmin (1.0f, value + wheelStep * wheel.deltaY));
    sendStep();
}

void KnobComponent::paint (juce::Graphics& g)
{
    if (armed)
        MidiLearnArming::drawTinted (g, knobImage);
    else
        g.drawImageAt (knobImage, 0, 0, false);

    if (name.isNotEmpty())
    {
        g.setColour (juce::Colours::white);
        g.setFont (font);
        g.drawFittedText (name.toLowerCase(), getLocalBounds(), juce::Justification::centred, 1, 0.0f);
    }

    drawPointer (g);
}

void KnobComponent::drawPointer (juce::Graphics& g) const
{
    // A value that is not a number has no angle; better no pointer than a
    // line to nowhere.
    if (! std::isfinite (value))
        return;

    const auto angle = value * sweepRadians + startRadians;
    const auto radius = (float) juce::jmin (knobImage.getWidth(), knobImage.getHeight());
    const auto centreX = (float) (knobImage.getWidth() / 2);
    const auto centreY = (float) (knobImage.getHeight() / 2);
    const auto cosine = std::cos (angle);
    const auto sine = std::sin (angle);

    g.setColour (juce::Colours::white);
    g.drawLine (centreX + cosine * pointerInnerRadius * radius,
                centreY + sine * pointerInnerRadius * radius,
                centreX + cosine * pointerOuterRadius * radius,
                centreY + sine * pointerOuterRadius * radius,
                pointerThickness);
}

void KnobComponent::resized() { repaint(); }

void KnobComponent::timerCallback()
{
    // The arming is a one-shot timeout; the timer has nothing more to do.
    stopTimer();
    armed = false;
    repaint();
}
