#include "ComponentPedalAnim.h"

#include "ui/CustomLookAndFeel.h"

#include <cmath>

namespace
{
constexpr int pictureX = -17;
constexpr int pictureY = 3;
constexpr int textX = 350;
constexpr int titleBaselineY = 50;
constexpr float ruleY = 65.5f;
constexpr float ruleThickness = 1.0f;
// The rule, the hover title and the description's lines all end this far
// from the right edge.
constexpr int rightMargin = 30;
constexpr int descriptionBaselineY = 85;
constexpr float descriptionHeight = 18.0f;
constexpr float easeExponent = 3.0f;
} // namespace

ComponentPedalAnim::ComponentPedalAnim (juce::Font titleFont)
    : font (titleFont)
{
}

ComponentPedalAnim::~ComponentPedalAnim()
{
    isAnimating = false;
    stopTimer();
    step = 0;
}

void ComponentPedalAnim::startSlide (int startPosition, int slideDirection)
{
    isAnimating = false;
    stopTimer();
    step = 0;
    startX = startPosition;
    direction = slideDirection;
    startTimer (stepInterval);
    isAnimating = true;
}

void ComponentPedalAnim::finishSlide()
{
    isAnimating = false;
    stopTimer();
    step = 0;

    // The view that slid out is parked beside the window: hide it.
    if (getX() != 0)
        setVisible (false);
}

int ComponentPedalAnim::slideOffset() const
{
    // Cubic ease-out: fast at first, settling on the last steps.
    const auto remaining = (float) (numSteps - step) / (float) numSteps;
    const auto fraction = 1.0f - std::pow (remaining, easeExponent);
    return (int) std::floor ((float) getWidth() * fraction);
}

void ComponentPedalAnim::timerCallback()
{
    if (step >= numSteps)
    {
        finishSlide();
        return;
    }

    startTimer (stepInterval);
    ++step;
    setBounds (startX + slideOffset() * direction, getY(), getWidth(), getHeight());

    if (! isVisible())
        setVisible (true);
}

void ComponentPedalAnim::paint (juce::Graphics& g)
{
    if (picture != nullptr)
        g.drawImageAt (*picture, pictureX, pictureY, false);

    const auto rightEdge = getWidth() - rightMargin;

    g.setFont (font);
    g.setColour (juce::Colours::black);
    g.drawSingleLineText (title.toUpperCase(), textX, titleBaselineY, juce::Justification::left);
    g.drawLine ((float) textX, ruleY, (float) rightEdge, ruleY, ruleThickness);

    if (hoverTitle.isNotEmpty() && hoverTitle != title)
    {
        g.setColour (juce::Colours::grey);
        g.setFont (font.italicised());
        g.drawSingleLineText (hoverTitle.toUpperCase(), rightEdge, titleBaselineY, juce::Justification::right);
    }

    g.setColour (juce::Colours::black);
    g.setFont (juce::Font (CustomLookAndFeel::descriptionFaceName, descriptionHeight, juce::Font::plain));
    g.drawMultiLineText (description, textX, descriptionBaselineY, rightEdge - textX);
}
