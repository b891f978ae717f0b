#include "PedalHardware.h"

#include "Effects.h"

#include <cmath>

namespace hardware
{
namespace
{
    constexpr float pi = juce::MathConstants<float>::pi;
    constexpr float sweepStartRadians = 150.0f * pi / 180.0f;
    constexpr float sweepRadians = 240.0f * pi / 180.0f;

    juce::Path circle (juce::Point<float> centre, float radius)
    {
        juce::Path p;
        p.addEllipse (centre.x - radius, centre.y - radius, radius * 2.0f, radius * 2.0f);
        return p;
    }

    // A disc with a scalloped rim of the given number of flutes.
    juce::Path fluted (juce::Point<float> centre, float radius, int flutes, float depth)
    {
        juce::Path p;
        constexpr int steps = 240;

        for (int i = 0; i <= steps; ++i)
        {
            const auto angle = 2.0f * pi * (float) i / (float) steps;
            const auto r = radius * (1.0f - depth + depth * std::cos ((float) flutes * angle));
            const juce::Point<float> point (centre.x + r * std::cos (angle), centre.y + r * std::sin (angle));

            if (i == 0)
                p.startNewSubPath (point);
            else
                p.lineTo (point);
        }

        p.closeSubPath();
        return p;
    }

    juce::Path polygon (juce::Point<float> centre, float radius, int sides, float rotation)
    {
        juce::Path p;
        p.addPolygon (centre, sides, radius, rotation);
        return p;
    }

    void fillVertical (juce::Graphics& g, const juce::Path& shape, juce::Colour top, juce::Colour bottom)
    {
        const auto b = shape.getBounds();
        g.setGradientFill (juce::ColourGradient (top, b.getX(), b.getY(), bottom, b.getX(), b.getBottom(), false));
        g.fillPath (shape);
    }

    // Light from the upper left: bright spot, then the body colour, then shade.
    void fillDome (juce::Graphics& g,
                   juce::Point<float> centre,
                   float radius,
                   juce::Colour highlight,
                   juce::Colour mid,
                   juce::Colour shade)
    {
        juce::ColourGradient gradient (highlight,
                                       centre.x - radius * 0.35f,
                                       centre.y - radius * 0.4f,
                                       shade,
                                       centre.x + radius * 0.6f,
                                       centre.y + radius * 0.9f,
                                       true);
        gradient.addColour (0.45, mid);
        g.setGradientFill (gradient);
        g.fillPath (circle (centre, radius));
    }

    void knurl (juce::Graphics& g, juce::Point<float> centre, float inner, float outer, int lines, float alpha)
    {
        for (int i = 0; i < lines; ++i)
        {
            const auto angle = 2.0f * pi * (float) i / (float) lines;
            const juce::Point<float> dir (std::cos (angle), std::sin (angle));
            // The upper left of the rim catches the light.
            const auto lit = -0.5f * (dir.x + dir.y);
            g.setColour (
                (lit > 0.0f ? juce::Colours::white : juce::Colours::black).withAlpha (alpha * (0.4f + std::abs (lit))));
            g.drawLine ({ centre + dir * inner, centre + dir * outer }, 0.7f);
        }
    }

    void softShadow (juce::Graphics& g, juce::Rectangle<int> picture, const juce::Path& shape, float size)
    {
        effects::drawShadow (g,
                             picture,
                             shape,
                             juce::Colours::black.withAlpha (0.55f),
                             size * 0.12f + 0.8f,
                             { size * 0.05f, size * 0.16f });
    }

    void pointer (juce::Graphics& g,
                  juce::Rectangle<int> picture,
                  juce::Point<float> centre,
                  float value,
                  float from,
                  float to,
                  float width,
                  juce::Colour colour,
                  bool glowing)
    {
        const auto dir = pointerDirection (value);
        const juce::Line<float> line (centre + dir * from, centre + dir * to);

        if (! glowing)
        {
            g.setColour (colour);
            g.drawLine (line, width);
            return;
        }

        auto layer = effects::makeLayer (picture);
        {
            juce::Graphics lg (layer);
            lg.setColour (colour);
            lg.drawLine (line, width);
        }
        effects::drawWithBloom (g, layer, 2.2f, 1.0f);
        effects::drawWithBloom (g, layer, 1.0f, 0.8f);
    }

    void skirtedKnob (juce::Graphics& g,
                      juce::Rectangle<int> picture,
                      juce::Point<float> c,
                      float r,
                      const PedalStyle& style,
                      float value,
                      bool hot)
    {
        const auto skirt = circle (c, r);
        fillVertical (g,
                      skirt,
                      hot ? juce::Colour (0xff505056) : juce::Colour (0xffeeeef0),
                      hot ? juce::Colour (0xff141416) : juce::Colour (0xff5a5c61));
        knurl (g, c, r * 0.8f, r * 0.98f, 44, 0.35f);
        g.setColour (juce::Colours::black.withAlpha (0.6f));
        g.strokePath (skirt, juce::PathStrokeType (0.8f));

        // The skirt carries its own index line under the cap's pointer.
        pointer (g, picture, c, value, r * 0.74f, r * 0.97f, 1.6f, hot ? style.glow : juce::Colour (0xff1a1a1a), hot);

        const auto capRadius = r * 0.7f;
        effects::drawShadow (
            g, picture, circle (c, capRadius), juce::Colours::black.withAlpha (0.5f), 1.2f, { 0.0f, 1.0f });
        fillDome (g, c, capRadius, juce::Colour (0xff4a4a50), juce::Colour (0xff232326), juce::Colour (0xff050506));
        knurl (g, c, capRadius * 0.84f, capRadius, 36, 0.3f);
        fillDome (
            g, c, capRadius * 0.8f, juce::Colour (0xff3c3c42), juce::Colour (0xff1c1c1f), juce::Colour (0xff0a0a0b));
        pointer (g,
                 picture,
                 c,
                 value,
                 capRadius * 0.15f,
                 capRadius * 0.95f,
                 1.8f,
                 hot ? style.glow : juce::Colours::white,
                 hot);
    }

    void chromeKnob (juce::Graphics& g,
                     juce::Rectangle<int> picture,
                     juce::Point<float> c,
                     float r,
                     const PedalStyle& style,
                     float value,
                     bool hot)
    {
        if (hot)
            fillDome (g, c, r, juce::Colour (0xff8a8c92), juce::Colour (0xff34363a), juce::Colour (0xff0c0c0e));
        else
            fillDome (g, c, r, juce::Colours::white, juce::Colour (0xffb9bec6), juce::Colour (0xff3a3d42));

        knurl (g, c, r * 0.84f, r * 0.99f, 56, 0.45f);
        g.setColour (juce::Colours::black.withAlpha (0.55f));
        g.strokePath (circle (c, r), juce::PathStrokeType (0.8f));
        g.setColour (juce::Colours::black.withAlpha (0.2f));
        g.strokePath (circle (c, r * 0.82f), juce::PathStrokeType (0.7f));
        pointer (g, picture, c, value, r * 0.2f, r * 0.8f, 2.2f, hot ? style.glow : juce::Colour (0xff101010), hot);
    }

    void creamKnob (juce::Graphics& g,
                    juce::Rectangle<int> picture,
                    juce::Point<float> c,
                    float r,
                    const PedalStyle& style,
                    float value,
                    bool hot)
    {
        const auto outline = fluted (c, r, 18, 0.06f);
        fillVertical (g,
                      outline,
                      hot ? juce::Colour (0xff3a3430) : juce::Colour (0xfffdf6e6),
                      hot ? juce::Colour (0xff0d0b0a) : juce::Colour (0xffc9b990));
        g.setColour ((hot ? juce::Colours::black : juce::Colour (0xff7a6a48)).withAlpha (0.6f));
        g.strokePath (outline, juce::PathStrokeType (0.8f));

        const auto top = r * 0.72f;
        juce::ColourGradient face (hot ? juce::Colour (0xff2a2624) : juce::Colour (0xffe4d6b4),
                                   c.x,
                                   c.y - top,
                                   hot ? juce::Colour (0xff3c3632) : juce::Colour (0xfffffbf0),
                                   c.x,
                                   c.y + top,
                                   false);
        g.setGradientFill (face);
        g.fillPath (circle (c, top));
        g.setColour (juce::Colours::black.withAlpha (0.18f));
        g.strokePath (circle (c, top), juce::PathStrokeType (0.8f));
        pointer (g, picture, c, value, r * 0.12f, r * 0.9f, 2.2f, hot ? style.glow : juce::Colour (0xff2a2017), hot);
    }

    void capKnob (juce::Graphics& g,
                  juce::Rectangle<int> picture,
                  juce::Point<float> c,
                  float r,
                  const PedalStyle& style,
                  float value,
                  bool hot)
    {
        const auto colour = hot ? juce::Colour (0xff141315) : style.knobCap;
        fillDome (g, c, r, colour.brighter (0.9f), colour, colour.darker (0.8f));
        g.setColour (juce::Colours::black.withAlpha (0.6f));
        g.strokePath (circle (c, r), juce::PathStrokeType (0.9f));

        // Glossy plastic: a soft reflection across the upper half.
        juce::Path gloss;
        gloss.addEllipse (c.x - r * 0.62f, c.y - r * 0.86f, r * 1.24f, r * 0.8f);
        g.setGradientFill (juce::ColourGradient (juce::Colours::white.withAlpha (0.42f),
                                                 c.x,
                                                 c.y - r * 0.86f,
                                                 juce::Colours::white.withAlpha (0.0f),
                                                 c.x,
                                                 c.y - r * 0.1f,
                                                 false));
        g.fillPath (gloss);

        const auto mark = style.body.getPerceivedBrightness() > 0.35f ? style.body : style.panel;
        pointer (g, picture, c, value, r * 0.25f, r * 0.92f, 2.6f, hot ? style.glow : mark, hot);
    }

    void flutedKnob (juce::Graphics& g,
                     juce::Rectangle<int> picture,
                     juce::Point<float> c,
                     float r,
                     const PedalStyle& style,
                     float value,
                     bool hot)
    {
        const auto outline = fluted (c, r, 22, 0.05f);
        fillVertical (g, outline, juce::Colour (0xff48484c), juce::Colour (0xff08080a));
        g.setColour (juce::Colours::black);
        g.strokePath (outline, juce::PathStrokeType (0.8f));
        knurl (g, c, r * 0.7f, r * 0.93f, 22, 0.35f);

        const auto top = r * 0.64f;
        fillDome (g, c, top, juce::Colour (0xff3a3a3e), juce::Colour (0xff1a1a1c), juce::Colour (0xff070708));
        g.setColour (juce::Colours::white.withAlpha (0.08f));
        g.strokePath (circle (c, top), juce::PathStrokeType (0.8f));
        pointer (g, picture, c, value, r * 0.1f, r * 0.92f, 2.0f, hot ? style.glow : juce::Colours::white, hot);
    }
} // namespace

juce::Point<float> pointerDirection (float value)
{
    const auto angle = sweepStartRadians + value * sweepRadians;
    return { std::cos (angle), std::sin (angle) };
}

void knob (juce::Graphics& g,
           juce::Rectangle<int> picture,
           juce::Point<float> centre,
           float radius,
           const PedalStyle& style,
           float value,
           bool hot)
{
    softShadow (g, picture, circle (centre, radius), radius);

    switch (style.knobStyle)
    {
        case PedalStyle::KnobStyle::skirted:
            skirtedKnob (g, picture, centre, radius, style, value, hot);
            break;
        case PedalStyle::KnobStyle::chrome:
            chromeKnob (g, picture, centre, radius, style, value, hot);
            break;
        case PedalStyle::KnobStyle::cream:
            creamKnob (g, picture, centre, radius, style, value, hot);
            break;
        case PedalStyle::KnobStyle::cap:
            capKnob (g, picture, centre, radius, style, value, hot);
            break;
        case PedalStyle::KnobStyle::fluted:
            flutedKnob (g, picture, centre, radius, style, value, hot);
            break;
    }
}

void toggle (juce::Graphics& g,
             juce::Rectangle<int> picture,
             juce::Point<float> centre,
             bool on,
             const PedalStyle& style,
             bool hot)
{
    const auto nut = polygon (centre, 10.0f, 6, pi / 6.0f);
    softShadow (g, picture, nut, 10.0f);
    const auto light = hot ? juce::Colour (0xff6a6c72) : juce::Colour (0xfff4f5f7);
    const auto dark = hot ? juce::Colour (0xff101012) : juce::Colour (0xff6c7077);
    g.setGradientFill (
        juce::ColourGradient (light, centre.x - 8.0f, centre.y - 8.0f, dark, centre.x + 8.0f, centre.y + 8.0f, false));
    g.fillPath (nut);
    g.setColour (juce::Colours::black.withAlpha (0.5f));
    g.strokePath (nut, juce::PathStrokeType (0.8f));
    fillDome (g, centre, 5.5f, light, light.interpolatedWith (dark, 0.5f), dark);
    g.setColour (juce::Colours::black.withAlpha (0.8f));
    g.fillPath (circle (centre, 2.6f));

    // The bat lever leans towards its position; its ball end is nearest the eye.
    const auto direction = on ? 1.0f : -1.0f;
    const juce::Point<float> tip (centre.x, centre.y + direction * 15.0f);
    juce::Path lever;
    lever.startNewSubPath (centre.x - 2.0f, centre.y);
    lever.lineTo (tip.x - 2.6f, tip.y);
    lever.lineTo (tip.x + 2.6f, tip.y);
    lever.lineTo (centre.x + 2.0f, centre.y);
    lever.closeSubPath();
    lever.addEllipse (tip.x - 3.6f, tip.y - 3.6f, 7.2f, 7.2f);
    effects::drawShadow (g, picture, lever, juce::Colours::black.withAlpha (0.6f), 1.6f, { 2.0f, 3.0f });
    g.setGradientFill (juce::ColourGradient (dark, tip.x - 3.6f, 0.0f, dark, tip.x + 3.6f, 0.0f, false));
    g.fillPath (lever);
    fillDome (g, tip, 3.6f, juce::Colours::white.withAlpha (hot ? 0.5f : 1.0f), light, dark);

    if (hot)
    {
        g.setColour (style.glow.withAlpha (0.7f));
        g.strokePath (circle (tip, 3.6f), juce::PathStrokeType (0.8f));
    }
}

void footswitch (juce::Graphics& g, juce::Rectangle<int> picture, juce::Point<float> centre, bool hot)
{
    const auto light = hot ? juce::Colour (0xff74767c) : juce::Colours::white;
    const auto mid = hot ? juce::Colour (0xff2c2e32) : juce::Colour (0xffaab0b8);
    const auto dark = hot ? juce::Colour (0xff0a0a0c) : juce::Colour (0xff51555c);

    const auto nut = polygon (centre, 21.0f, 6, 0.0f);
    softShadow (g, picture, nut, 21.0f);
    juce::ColourGradient nutGradient (
        light, centre.x - 16.0f, centre.y - 18.0f, dark, centre.x + 14.0f, centre.y + 18.0f, false);
    nutGradient.addColour (0.5, mid);
    g.setGradientFill (nutGradient);
    g.fillPath (nut);
    g.setColour (juce::Colours::black.withAlpha (0.55f));
    g.strokePath (nut, juce::PathStrokeType (0.9f));

    // Washer, then the plunger's domed cap.
    juce::ColourGradient washer (
        dark, centre.x - 15.0f, centre.y - 15.0f, light, centre.x + 15.0f, centre.y + 15.0f, false);
    g.setGradientFill (washer);
    g.fillPath (circle (centre, 16.0f));
    effects::drawShadow (
        g, picture, circle (centre, 12.5f), juce::Colours::black.withAlpha (0.6f), 1.5f, { 0.6f, 1.2f });
    fillDome (g, centre, 12.5f, light, mid, dark);
    g.setColour (juce::Colours::black.withAlpha (0.35f));
    g.strokePath (circle (centre, 12.5f), juce::PathStrokeType (0.8f));
    g.setColour (juce::Colours::black.withAlpha (0.15f));
    g.strokePath (circle (centre, 6.5f), juce::PathStrokeType (1.0f));
}

void led (juce::Graphics& g, juce::Rectangle<int> picture, juce::Point<float> centre, juce::Colour colour, bool hot)
{
    const auto bezel = circle (centre, 6.2f);
    softShadow (g, picture, bezel, 6.0f);
    g.setGradientFill (juce::ColourGradient (hot ? juce::Colour (0xff606266) : juce::Colours::white,
                                             centre.x - 5.0f,
                                             centre.y - 5.0f,
                                             hot ? juce::Colour (0xff0c0c0e) : juce::Colour (0xff5c6068),
                                             centre.x + 5.0f,
                                             centre.y + 5.0f,
                                             false));
    g.fillPath (bezel);

    auto layer = effects::makeLayer (picture);
    {
        juce::Graphics lg (layer);
        juce::ColourGradient lens (juce::Colours::white,
                                   centre.x - 1.2f,
                                   centre.y - 1.5f,
                                   colour.darker (0.6f),
                                   centre.x + 4.2f,
                                   centre.y + 4.2f,
                                   true);
        lens.addColour (0.35, colour.brighter (0.4f));
        lg.setGradientFill (lens);
        lg.fillPath (circle (centre, 4.2f));
    }
    effects::drawWithBloom (g, layer, hot ? 5.0f : 3.0f, hot ? 1.0f : 0.7f);

    if (hot)
        effects::drawWithBloom (g, layer, 10.0f, 0.8f);
}

void jack (juce::Graphics& g, juce::Rectangle<float> bounds, bool hot)
{
    // A threaded bush seen from above: bright bands across a cylinder.
    juce::ColourGradient metal (hot ? juce::Colour (0xff1a1a1c) : juce::Colour (0xff60646b),
                                bounds.getX(),
                                bounds.getY(),
                                hot ? juce::Colour (0xff151517) : juce::Colour (0xff4a4d53),
                                bounds.getX(),
                                bounds.getBottom(),
                                false);
    metal.addColour (0.3, hot ? juce::Colour (0xff6a6c72) : juce::Colour (0xfff5f6f8));
    metal.addColour (0.55, hot ? juce::Colour (0xff3a3c40) : juce::Colour (0xffa9aeb6));
    g.setGradientFill (metal);
    g.fillRoundedRectangle (bounds, 1.5f);

    g.setColour (juce::Colours::black.withAlpha (0.25f));
    for (auto x = bounds.getX() + 2.0f; x < bounds.getRight() - 1.0f; x += 2.0f)
        g.drawLine (x, bounds.getY() + 1.0f, x, bounds.getBottom() - 1.0f, 0.6f);

    g.setColour (juce::Colours::black.withAlpha (0.6f));
    g.drawRoundedRectangle (bounds, 1.5f, 0.8f);
}

void screw (juce::Graphics& g, juce::Point<float> centre, float slotAngle, bool hot)
{
    constexpr float radius = 3.6f;
    g.setColour (juce::Colours::black.withAlpha (0.35f));
    g.fillPath (circle (centre.translated (0.3f, 0.8f), radius + 0.6f));
    fillDome (g,
              centre,
              radius,
              hot ? juce::Colour (0xff5a5c60) : juce::Colours::white,
              hot ? juce::Colour (0xff2a2b2e) : juce::Colour (0xffa7acb3),
              hot ? juce::Colour (0xff0b0b0c) : juce::Colour (0xff565a60));

    // Cross-head slot.
    g.setColour (juce::Colours::black.withAlpha (0.65f));
    for (int i = 0; i < 2; ++i)
    {
        const auto angle = slotAngle + (float) i * pi * 0.5f;
        const juce::Point<float> d (std::cos (angle) * radius * 0.7f, std::sin (angle) * radius * 0.7f);
        g.drawLine ({ centre - d, centre + d }, 1.0f);
    }
}
} // namespace hardware
