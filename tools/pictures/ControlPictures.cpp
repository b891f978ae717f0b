#include "ControlPictures.h"

#include "Effects.h"

#include <cmath>

namespace controls
{
namespace
{
    constexpr float pi = juce::MathConstants<float>::pi;
    const juce::Colour hotOrange (0xffff8a1e);

    juce::Path circle (juce::Point<float> centre, float radius)
    {
        juce::Path p;
        p.addEllipse (centre.x - radius, centre.y - radius, radius * 2.0f, radius * 2.0f);
        return p;
    }
} // namespace

void knob (juce::Graphics& g)
{
    // The editor turns its pointer around the integer centre of the picture.
    const juce::Point<float> c (23.0f, 23.0f);
    const juce::Rectangle<int> picture (47, 47);
    constexpr float skirtRadius = 21.5f;
    constexpr float capRadius = 18.0f;

    effects::drawShadow (
        g, picture, circle (c, skirtRadius), juce::Colours::black.withAlpha (0.8f), 1.2f, { 0.0f, 1.2f });

    g.setGradientFill (juce::ColourGradient (
        juce::Colour (0xff85878d), c.x, c.y - skirtRadius, juce::Colour (0xff18181a), c.x, c.y + skirtRadius, false));
    g.fillPath (circle (c, skirtRadius));

    // Knurled grip, catching the light on the upper left.
    constexpr int grooves = 60;
    for (int i = 0; i < grooves; ++i)
    {
        const auto angle = 2.0f * pi * (float) i / (float) grooves;
        const juce::Point<float> dir (std::cos (angle), std::sin (angle));
        const auto lit = -0.5f * (dir.x + dir.y);
        g.setColour ((i % 2 == 0 ? juce::Colours::black : juce::Colours::white)
                         .withAlpha (i % 2 == 0 ? 0.35f : 0.06f + 0.12f * juce::jmax (0.0f, lit)));
        g.drawLine ({ c + dir * (capRadius + 0.5f), c + dir * (skirtRadius - 0.3f) }, 0.8f);
    }

    g.setColour (juce::Colours::white.withAlpha (0.18f));
    juce::Path rimLight;
    rimLight.addCentredArc (c.x, c.y, skirtRadius - 0.5f, skirtRadius - 0.5f, 0.0f, -pi * 0.55f, pi * 0.35f, true);
    g.strokePath (rimLight, juce::PathStrokeType (0.9f));
    g.setColour (juce::Colours::black);
    g.strokePath (circle (c, skirtRadius), juce::PathStrokeType (0.8f));

    // A dark cap, so the editor's white name and pointer read on it, set
    // in a polished chamfer.
    effects::drawShadow (
        g, picture, circle (c, capRadius), juce::Colours::black.withAlpha (0.7f), 1.0f, { 0.0f, 0.8f });
    g.setGradientFill (juce::ColourGradient (juce::Colour (0xffd8dade),
                                             c.x - capRadius,
                                             c.y - capRadius,
                                             juce::Colour (0xff2a2b2e),
                                             c.x + capRadius * 0.6f,
                                             c.y + capRadius,
                                             false));
    g.fillPath (circle (c, capRadius + 1.0f));
    juce::ColourGradient cap (
        juce::Colour (0xff3e3f45), c.x - 6.0f, c.y - 9.0f, juce::Colour (0xff0b0b0c), c.x + 10.0f, c.y + 16.0f, true);
    cap.addColour (0.5, juce::Colour (0xff202124));
    g.setGradientFill (cap);
    g.fillPath (circle (c, capRadius));

    for (auto r = 3.0f; r < capRadius - 1.0f; r += 2.0f)
    {
        g.setColour (juce::Colours::white.withAlpha (0.025f));
        g.strokePath (circle (c, r), juce::PathStrokeType (0.6f));
    }

    juce::Path capLight;
    capLight.addCentredArc (c.x, c.y, capRadius - 0.8f, capRadius - 0.8f, 0.0f, -pi * 0.45f, pi * 0.2f, true);
    g.setColour (juce::Colours::white.withAlpha (0.22f));
    g.strokePath (capLight, juce::PathStrokeType (0.9f));
    g.setColour (juce::Colours::black.withAlpha (0.8f));
    g.strokePath (circle (c, capRadius), juce::PathStrokeType (0.7f));
}

namespace
{
    // A slide switch: the slider sits at the top when off, at the bottom
    // when on, with the uncovered slot glowing like a warm valve.
    void slideSwitch (juce::Graphics& g, int height, bool on)
    {
        const juce::Rectangle<float> slot (1.0f, 0.5f, 10.0f, (float) height - 1.0f);
        g.setGradientFill (juce::ColourGradient (
            juce::Colour (0xff050506), 0.0f, slot.getY(), juce::Colour (0xff1c1c1f), 0.0f, slot.getBottom(), false));
        g.fillRoundedRectangle (slot, 3.5f);

        if (on)
        {
            const auto lit = slot.reduced (2.0f).withTrimmedBottom (14.0f);
            juce::ColourGradient glow (hotOrange.brighter (0.4f),
                                       lit.getCentreX(),
                                       lit.getCentreY(),
                                       hotOrange.withAlpha (0.35f),
                                       lit.getCentreX(),
                                       lit.getY() - 2.0f,
                                       true);
            g.setGradientFill (glow);
            g.fillRoundedRectangle (lit, 2.5f);
        }

        g.setColour (juce::Colours::white.withAlpha (0.22f));
        g.drawRoundedRectangle (slot.translated (0.0f, 0.5f), 3.5f, 0.8f);
        g.setColour (juce::Colours::black);
        g.drawRoundedRectangle (slot, 3.5f, 0.8f);

        constexpr float sliderHeight = 13.0f;
        const auto sliderY = on ? slot.getBottom() - sliderHeight - 1.0f : slot.getY() + 1.0f;
        const juce::Rectangle<float> slider (2.0f, sliderY, 8.0f, sliderHeight);
        juce::ColourGradient metal (
            juce::Colour (0xff8c9097), slider.getX(), 0.0f, juce::Colour (0xff7a7e85), slider.getRight(), 0.0f, false);
        metal.addColour (0.4, juce::Colour (0xfff2f3f5));
        g.setGradientFill (metal);
        g.fillRoundedRectangle (slider, 2.0f);
        g.setColour (juce::Colours::black.withAlpha (0.7f));
        g.drawRoundedRectangle (slider, 2.0f, 0.7f);

        for (int i = -1; i <= 1; ++i)
        {
            const auto y = slider.getCentreY() + 3.0f * (float) i;
            g.setColour (juce::Colours::black.withAlpha (0.45f));
            g.drawLine (slider.getX() + 1.5f, y, slider.getRight() - 1.5f, y, 0.8f);
            g.setColour (juce::Colours::white.withAlpha (0.5f));
            g.drawLine (slider.getX() + 1.5f, y + 0.8f, slider.getRight() - 1.5f, y + 0.8f, 0.5f);
        }
    }
} // namespace

void switchOff (juce::Graphics& g) { slideSwitch (g, 31, false); }

void switchOn (juce::Graphics& g) { slideSwitch (g, 32, true); }

void comboBox (juce::Graphics& g, int width)
{
    const juce::Rectangle<float> bar (0.5f, 0.5f, (float) width - 1.0f, 18.0f);
    g.setGradientFill (juce::ColourGradient (
        juce::Colour (0xff1b1b1e), 0.0f, bar.getY(), juce::Colours::black, 0.0f, bar.getBottom(), false));
    g.fillRoundedRectangle (bar, 5.0f);
    g.setColour (juce::Colours::white.withAlpha (0.07f));
    g.drawHorizontalLine (2, 5.0f, (float) width - 5.0f);
    g.setColour (juce::Colour (0xffc8c8cc).withAlpha (0.85f));
    g.drawRoundedRectangle (bar, 5.0f, 1.0f);
}

void slotButtons (juce::Graphics& g)
{
    constexpr int frameHeight = 35;
    constexpr int width = 97;
    constexpr int buttons = 4;
    const juce::Rectangle<int> picture (width, frameHeight * buttons);

    for (int frame = 0; frame < buttons; ++frame)
    {
        const auto top = (float) (frame * frameHeight);
        const juce::Rectangle<float> plate (1.0f, top + 2.5f, (float) width - 2.0f, 29.0f);
        g.setColour (juce::Colour (0xff0c0c0e).withAlpha (0.9f));
        g.fillRoundedRectangle (plate, 5.0f);
        g.setColour (juce::Colours::white.withAlpha (0.1f));
        g.drawRoundedRectangle (plate.translated (0.0f, 0.6f), 5.0f, 0.8f);
        g.setColour (juce::Colours::black);
        g.drawRoundedRectangle (plate, 5.0f, 0.8f);

        for (int i = 0; i < buttons; ++i)
        {
            // The editor centres slot numbers in cells of (width - 12) / 4 from x 6.
            const auto cellX = (float) (i * (width - 12) / buttons + 6);
            const juce::Rectangle<float> button (cellX + 1.0f, top + 7.0f, 19.0f, 19.0f);
            const auto lit = i == frame;

            if (lit)
            {
                juce::Path shape;
                shape.addRoundedRectangle (button, 3.0f);
                effects::drawShadow (g, picture, shape, hotOrange.withAlpha (0.9f), 2.5f);
            }

            const auto topColour = lit ? juce::Colour (0xffffa347) : juce::Colour (0xff7a7b80);
            const auto bottomColour = lit ? juce::Colour (0xffc9500c) : juce::Colour (0xff45464b);
            g.setGradientFill (
                juce::ColourGradient (topColour, 0.0f, button.getY(), bottomColour, 0.0f, button.getBottom(), false));
            g.fillRoundedRectangle (button, 3.0f);
            g.setColour (juce::Colours::white.withAlpha (lit ? 0.45f : 0.25f));
            g.drawLine (
                button.getX() + 2.5f, button.getY() + 1.0f, button.getRight() - 2.5f, button.getY() + 1.0f, 0.8f);
            g.setColour (juce::Colours::black.withAlpha (0.9f));
            g.drawRoundedRectangle (button, 3.0f, 0.9f);
        }
    }
}

void meterFrame (juce::Graphics& g, int litSegments)
{
    constexpr int segments = 10;
    const juce::Rectangle<int> picture (11, 51);
    g.setColour (juce::Colour (0xff070708));
    g.fillRoundedRectangle (picture.toFloat(), 2.0f);
    g.setColour (juce::Colours::white.withAlpha (0.12f));
    g.drawRoundedRectangle (picture.toFloat().reduced (0.5f), 2.0f, 0.8f);

    auto layer = effects::makeLayer (picture);
    {
        juce::Graphics lg (layer);

        for (int s = 0; s < segments; ++s)
        {
            // Green up to the sixth segment, then yellow, red for the top two.
            const auto hue = s < 6   ? juce::Colour (0xff39e05a)
                             : s < 8 ? juce::Colour (0xfff5d23a)
                                     : juce::Colour (0xffff3b2f);
            const juce::Rectangle<float> segment (2.0f, (float) (46 - 5 * s), 7.0f, 4.0f);
            const auto lit = s < litSegments;
            const auto colour = lit ? hue : hue.withMultipliedBrightness (0.2f);
            juce::ColourGradient face (
                colour.darker (0.25f), segment.getX(), 0.0f, colour.darker (0.25f), segment.getRight(), 0.0f, false);
            face.addColour (0.4, lit ? colour.brighter (0.5f) : colour.brighter (0.2f));
            auto& target = lit ? lg : g;
            target.setGradientFill (face);
            target.fillRoundedRectangle (segment, 1.0f);
        }
    }

    effects::drawWithBloom (g, layer, 1.0f, 0.5f);
}
} // namespace controls
