#include "ControlTestSupport.h"

#include "ui/KnobComponent.h"
#include "ui/SelectorComponent.h"
#include "ui/SwitchComponent.h"

#include <cmath>

using namespace controltest;

namespace
{
bool isNearWhite (juce::Colour c) { return c.getRed() > 200 && c.getGreen() > 200 && c.getBlue() > 200; }

/** The pixel under a point at a radius from the knob's centre (23, 23),
    along the angle the pointer has at a value. */
juce::Colour pixelAlongPointer (const juce::Image& image, float value, float radius)
{
    const auto angle = juce::MathConstants<float>::pi * (5.0f / 6.0f + value * 4.0f / 3.0f);
    return image.getPixelAt ((int) std::floor (23.0f + std::cos (angle) * radius),
                             (int) std::floor (23.0f + std::sin (angle) * radius));
}
} // namespace

TEST (KnobPixels, PointerRunsFromAQuarterToSevenTwentiethsOfTheKnobAtItsAngle)
{
    KnobComponent knob;
    knob.setBounds (0, 0, 47, 47);
    const auto& bare = knob.knobImage;
    // The line runs from 11.75 to 16.45 px out; probe inside it and past both ends.
    constexpr float onLine[] { 12.5f, 14.1f, 15.8f };
    constexpr float offLine[] { 9.0f, 19.0f };
    const std::vector<float> values { 0.0f, 0.5f, 1.0f };

    for (const auto value : values)
    {
        knob.value = value;
        const auto image = snapshot (knob, "knob-" + juce::String (value));

        for (const auto other : values)
        {
            for (const auto radius : onLine)
                EXPECT_EQ (isNearWhite (pixelAlongPointer (image, other, radius)), other == value)
                    << "value " << value << ", probe for " << other << " at radius " << radius;

            for (const auto radius : offLine)
                EXPECT_EQ (pixelAlongPointer (image, other, radius), pixelAlongPointer (bare, other, radius))
                    << "value " << value << ", probe for " << other << " at radius " << radius;
        }
    }

    // At the middle the line stands straight up over x = 23, from y 11.25 to 6.55.
    knob.value = 0.5f;
    const auto upright = snapshot (knob);
    EXPECT_TRUE (isNearWhite (upright.getPixelAt (23, 7)) && isNearWhite (upright.getPixelAt (23, 10)));
    EXPECT_EQ (upright.getPixelAt (23, 5), bare.getPixelAt (23, 5));
    EXPECT_EQ (upright.getPixelAt (23, 12), bare.getPixelAt (23, 12));
}

TEST (SelectorPixels, CircleOfDiameter22At4In30By30ColouredBySelectionAndArming)
{
    struct Case
    {
        bool selected, armed;
        juce::Colour fill;
    };

    const std::vector<Case> cases {
        { true, false, juce::Colours::white },
        { false, false, juce::Colours::grey },
        { true, true, juce::Colours::red },
        { false, true, juce::Colours::red.brighter (0.5f) },
    };

    SelectorComponent selector;
    selector.setBounds (0, 0, 30, 30);

    for (const auto& c : cases)
    {
        selector.selected = c.selected;
        selector.armed = c.armed;
        const auto image =
            snapshot (selector, juce::String ("selector-") + (c.selected ? "on" : "off") + (c.armed ? "-armed" : ""));

        for (const auto& [x, y] :
             std::vector<std::pair<int, int>> { { 15, 15 }, { 5, 15 }, { 24, 15 }, { 15, 5 }, { 15, 24 } })
            EXPECT_EQ (image.getPixelAt (x, y), c.fill) << x << ", " << y;

        for (const auto& [x, y] :
             std::vector<std::pair<int, int>> { { 2, 15 }, { 27, 15 }, { 15, 2 }, { 15, 27 }, { 5, 5 } })
            EXPECT_EQ (image.getPixelAt (x, y).getAlpha(), 0) << x << ", " << y;

        EXPECT_LT (image.getPixelAt (4, 15).getBrightness(), c.fill.getBrightness()); // the black outline
    }
}

TEST (ArmedTint, TurnsThePictureRedInsideItsOwnShapeOnly)
{
    KnobComponent knob;
    knob.setBounds (0, 0, 47, 47);
    SwitchComponent toggle;
    toggle.setBounds (0, 0, 12, 32);
    const std::vector<std::tuple<juce::Component*, bool*, juce::Point<int>>> cases {
        { &knob, &knob.armed, { 23, 30 } },
        { &toggle, &toggle.armed, { 6, 16 } },
    };

    for (const auto& [control, armed, inside] : cases)
    {
        *armed = false;
        const auto plain = snapshot (*control);
        *armed = true;
        const auto tinted = snapshot (*control, "armed-" + juce::String (control->getWidth()));
        const auto redness = [] (juce::Colour c) { return c.getRed() - juce::jmax (c.getGreen(), c.getBlue()); };

        EXPECT_GT (redness (tinted.getPixelAt (inside.x, inside.y)),
                   redness (plain.getPixelAt (inside.x, inside.y)) + 40);

        for (int y = 0; y < plain.getHeight(); ++y)
            for (int x = 0; x < plain.getWidth(); ++x)
                if (plain.getPixelAt (x, y).getAlpha() == 0)
                    ASSERT_EQ (tinted.getPixelAt (x, y).getAlpha(), 0) << x << ", " << y;
    }
}

TEST (KnobPixels, NameIsDrawnLowerCasedAndAPointerlessValueDrawsOnlyThePicture)
{
    KnobComponent knob;
    knob.setBounds (0, 0, 47, 47);
    knob.font = juce::Font (16.0f);
    knob.value = std::nanf ("");
    EXPECT_TRUE (samePixels (snapshot (knob), knob.knobImage));

    knob.name = "Gain";
    const auto mixedCase = snapshot (knob, "knob-named");
    knob.name = "gain";
    EXPECT_TRUE (samePixels (snapshot (knob), mixedCase));
    EXPECT_FALSE (samePixels (mixedCase, knob.knobImage));
}
