#include "PedalPainter.h"

#include "Effects.h"
#include "PedalHardware.h"
#include "PedalMotifs.h"

#include <cmath>

namespace
{
// The hot finish: near-black paint keeping a trace of the pedal's own hue.
const juce::Colour hotBlack (0xff0e0d10);
constexpr float hotPaintTint = 0.11f;
} // namespace

PedalPainter::PedalPainter (const PedalStyle& styleToUse, bool hotFinish)
    : style (styleToUse)
    , hot (hotFinish)
    , geometry (PedalGeometry::forStyle (styleToUse))
{
}

juce::Colour PedalPainter::facePaint() const
{
    return hot ? hotBlack.interpolatedWith (style.body, hotPaintTint) : style.body;
}

void PedalPainter::paint (juce::Graphics& g) const
{
    if (hot)
        paintHalo (g);

    paintShadow (g);
    paintJacks (g);
    paintBody (g);
    paintFinish (g);
    paintPrint (g);

    if (hot)
        paintHotEdge (g);

    if (style.screws)
        paintScrews (g);

    paintControls (g);
}

void PedalPainter::paintHalo (juce::Graphics& g) const
{
    effects::drawShadow (
        g, geometry.picture, geometry.bodyOutline, style.glow.withAlpha (0.55f), 11.0f, { 0.0f, 2.0f });
}

void PedalPainter::paintShadow (juce::Graphics& g) const
{
    effects::drawShadow (
        g, geometry.picture, geometry.bodyOutline, juce::Colours::black.withAlpha (0.45f), 6.0f, { 0.0f, 7.0f });
    effects::drawShadow (
        g, geometry.picture, geometry.bodyOutline, juce::Colours::black.withAlpha (0.5f), 1.6f, { 0.0f, 2.0f });
}

void PedalPainter::paintJacks (juce::Graphics& g) const
{
    const auto& body = geometry.body;
    const auto y = body.getY() + 56.0f;
    constexpr float depth = 9.0f;
    constexpr float height = 22.0f;

    hardware::jack (g, { body.getX() - depth, y, depth + 3.0f, height }, hot);
    hardware::jack (g, { body.getRight() - 3.0f, y, depth + 3.0f, height }, hot);

    if (style.outline != PedalStyle::Outline::ears)
        hardware::jack (g, { body.getCentreX() - 9.0f, body.getY() - 6.0f, 18.0f, 9.0f }, hot);
}

void PedalPainter::paintBody (juce::Graphics& g) const
{
    const auto paint = facePaint();
    const auto& body = geometry.body;

    // The bevelled rim, lit from above.
    juce::ColourGradient rim (
        paint.brighter (0.35f), 0.0f, body.getY(), paint.darker (0.9f), 0.0f, body.getBottom(), false);
    rim.addColour (0.15, paint.darker (0.2f));
    g.setGradientFill (rim);
    g.fillPath (geometry.bodyOutline);

    const auto face = geometry.faceOutline.getBounds();
    juce::ColourGradient top (paint.brighter (0.12f),
                              face.getX(),
                              face.getY(),
                              paint.darker (0.18f),
                              face.getRight(),
                              face.getBottom(),
                              false);
    g.setGradientFill (top);
    g.fillPath (geometry.faceOutline);

    g.setColour (juce::Colours::black.withAlpha (0.55f));
    g.strokePath (geometry.bodyOutline, juce::PathStrokeType (1.0f));
    g.setColour (juce::Colours::white.withAlpha (hot ? 0.08f : 0.22f));
    g.strokePath (geometry.faceOutline, juce::PathStrokeType (0.8f), juce::AffineTransform::translation (0.0f, 0.6f));
    g.setColour (juce::Colours::black.withAlpha (0.3f));
    g.strokePath (geometry.faceOutline, juce::PathStrokeType (0.8f));
}

void PedalPainter::paintFinish (juce::Graphics& g) const
{
    using Finish = PedalStyle::Finish;
    const auto seed = (juce::uint32) (style.body.getARGB() ^ (hot ? 0x5a5au : 0u));
    const auto& face = geometry.faceOutline;

    switch (style.finish)
    {
        case Finish::matte:
            effects::fillGrain (g, geometry.picture, face, effects::Grain::fine, 0.05f, seed);
            break;
        case Finish::flakes:
            effects::fillGrain (g, geometry.picture, face, effects::Grain::flakes, 0.08f, seed);
            break;
        case Finish::hammered:
            effects::fillGrain (g, geometry.picture, face, effects::Grain::hammered, 0.10f, seed);
            break;
        case Finish::brushed:
            effects::fillGrain (g, geometry.picture, face, effects::Grain::brushed, 0.10f, seed);
            break;
        case Finish::wood:
            paintWoodGrain (g);
            break;
        case Finish::gloss:
            break;
    }

    // Clear coat: a soft reflection across the upper left of every face.
    const auto bounds = face.getBounds();
    const auto strength = style.finish == Finish::gloss || style.finish == Finish::wood ? 0.3f : 0.14f;
    juce::Graphics::ScopedSaveState state (g);
    g.reduceClipRegion (face);
    juce::ColourGradient sheen (juce::Colours::white.withAlpha (strength * (hot ? 0.4f : 1.0f)),
                                bounds.getX(),
                                bounds.getY(),
                                juce::Colours::white.withAlpha (0.0f),
                                bounds.getX() + bounds.getWidth() * 0.55f,
                                bounds.getY() + bounds.getHeight() * 0.45f,
                                false);
    g.setGradientFill (sheen);
    g.fillPath (face);
}

void PedalPainter::paintWoodGrain (juce::Graphics& g) const
{
    juce::Graphics::ScopedSaveState state (g);
    g.reduceClipRegion (geometry.faceOutline);
    const auto face = geometry.faceOutline.getBounds();
    juce::Random random (2024);

    for (auto y = face.getY() - 10.0f; y < face.getBottom() + 10.0f; y += 2.2f + random.nextFloat() * 2.5f)
    {
        juce::Path line;
        const auto phase = random.nextFloat() * 6.0f;
        const auto amplitude = 1.0f + random.nextFloat() * 2.5f;

        for (auto x = face.getX() - 4.0f; x <= face.getRight() + 4.0f; x += 3.0f)
        {
            const auto py = y + amplitude * std::sin (x * 0.025f + phase) + 0.8f * std::sin (x * 0.11f + phase * 2.0f);
            x <= face.getX() - 4.0f ? line.startNewSubPath (x, py) : line.lineTo (x, py);
        }

        const auto darker = random.nextBool();
        g.setColour ((darker ? juce::Colour (0xff2a140a) : juce::Colour (0xffc98a55))
                         .withAlpha ((hot ? 0.08f : 0.18f) + random.nextFloat() * 0.12f));
        g.strokePath (line, juce::PathStrokeType (0.6f + random.nextFloat() * 1.4f));
    }
}

void PedalPainter::paintPrint (juce::Graphics& g) const
{
    auto layer = effects::makeLayer (geometry.picture);
    {
        juce::Graphics lg (layer);
        lg.reduceClipRegion (geometry.faceOutline);
        const auto brightGlow = style.glow.interpolatedWith (juce::Colours::white, 0.35f);
        const MotifColours colours { hot ? style.glow : style.ink,
                                     hot ? brightGlow : style.accent,
                                     hot ? style.glow : style.panel,
                                     facePaint(),
                                     hot };
        drawMotif (lg, style, geometry, colours);
        paintScales (lg, colours.ink);
    }

    if (hot)
        effects::drawWithBloom (g, layer, 3.5f, 1.0f);
    else
        effects::drawLayer (g, layer);
}

// Printed scales around the knobs and position marks beside the switches.
void PedalPainter::paintScales (juce::Graphics& g, juce::Colour colour) const
{
    constexpr int ticks = 11;
    g.setColour (colour.withAlpha (0.85f));

    for (const auto& control : geometry.controls)
    {
        if (control.isSwitch)
        {
            for (auto side : { -1.0f, 1.0f })
                g.fillEllipse (
                    juce::Rectangle<float> (3.4f, 3.4f).withCentre (control.centre.translated (0.0f, side * 19.0f)));

            continue;
        }

        for (int i = 0; i < ticks; ++i)
        {
            const auto dir = hardware::pointerDirection ((float) i / (float) (ticks - 1));
            const auto major = i == 0 || i == ticks / 2 || i == ticks - 1;
            const auto inner = control.radius + 2.5f;
            const auto outer = control.radius + (major ? 7.0f : 5.0f);
            g.drawLine ({ control.centre + dir * inner, control.centre + dir * outer }, major ? 1.5f : 1.0f);
        }
    }
}

void PedalPainter::paintHotEdge (juce::Graphics& g) const
{
    auto layer = effects::makeLayer (geometry.picture);
    {
        juce::Graphics lg (layer);
        lg.setColour (style.glow);
        lg.strokePath (geometry.faceOutline, juce::PathStrokeType (1.2f));
    }
    effects::drawWithBloom (g, layer, 2.5f, 1.0f);
}

void PedalPainter::paintScrews (juce::Graphics& g) const
{
    const auto face = geometry.faceOutline.getBounds();
    const auto inset = juce::jmax (9.5f, style.cornerRadius * 0.45f + 5.0f);
    const auto area = face.reduced (inset);
    const std::array<juce::Point<float>, 4> corners {
        area.getTopLeft(), area.getTopRight(), area.getBottomLeft(), area.getBottomRight()
    };
    // Screws end up at random angles, as they do on a real box.
    const std::array<float, 4> angles { 0.3f, 1.1f, 0.75f, 0.1f };

    for (size_t i = 0; i < corners.size(); ++i)
        hardware::screw (g, corners[i], angles[i], hot);
}

void PedalPainter::paintControls (juce::Graphics& g) const
{
    for (const auto& control : geometry.controls)
    {
        if (control.isSwitch)
            hardware::toggle (g, geometry.picture, control.centre, control.value >= 0.5f, style, hot);
        else
            hardware::knob (g, geometry.picture, control.centre, control.radius, style, control.value, hot);
    }

    hardware::led (g, geometry.picture, geometry.led, hot ? style.glow : style.led, hot);
    hardware::footswitch (g, geometry.picture, geometry.footswitch, hot);
}
