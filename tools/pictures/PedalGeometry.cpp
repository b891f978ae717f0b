#include "PedalGeometry.h"

namespace
{
constexpr float centreX = 190.0f;
constexpr float bottomY = 245.0f;
constexpr float bevel = 4.5f;
constexpr float earHeight = 22.0f;

juce::Path roundedOutline (juce::Rectangle<float> box, float radius)
{
    juce::Path p;
    p.addRoundedRectangle (box, radius);
    return p;
}

juce::Path chamferedOutline (juce::Rectangle<float> box, float cut)
{
    juce::Path p;
    p.startNewSubPath (box.getX() + cut, box.getY());
    p.lineTo (box.getRight() - cut, box.getY());
    p.lineTo (box.getRight(), box.getY() + cut);
    p.lineTo (box.getRight(), box.getBottom() - cut);
    p.lineTo (box.getRight() - cut, box.getBottom());
    p.lineTo (box.getX() + cut, box.getBottom());
    p.lineTo (box.getX(), box.getBottom() - cut);
    p.lineTo (box.getX(), box.getY() + cut);
    p.closeSubPath();
    return p.createPathWithRoundedCorners (3.0f);
}

juce::Path earOutline (juce::Rectangle<float> box, float radius, float earRise)
{
    const auto l = box.getX();
    const auto r = box.getRight();
    const auto t = box.getY();
    juce::Path p;
    p.startNewSubPath (l, box.getBottom());
    p.lineTo (l, t);
    p.lineTo (l + 6.0f, t - earRise);
    p.lineTo (l + 62.0f, t);
    p.lineTo (r - 62.0f, t);
    p.lineTo (r - 6.0f, t - earRise);
    p.lineTo (r, t);
    p.lineTo (r, box.getBottom());
    p.closeSubPath();
    return p.createPathWithRoundedCorners (radius);
}

juce::Path outlineFor (const PedalStyle& style, juce::Rectangle<float> box, float inset)
{
    const auto inner = box.reduced (inset);

    switch (style.outline)
    {
        case PedalStyle::Outline::chamfered:
            return chamferedOutline (inner, style.cornerRadius - inset * 0.4f);
        case PedalStyle::Outline::ears:
            return earOutline (inner, style.cornerRadius - inset * 0.6f, earHeight - inset * 0.4f);
        case PedalStyle::Outline::rounded:
            break;
    }

    return roundedOutline (inner, style.cornerRadius - inset * 0.6f);
}

std::vector<float> evenlySpaced (float from, float to, int count)
{
    std::vector<float> xs;

    for (int i = 0; i < count; ++i)
        xs.push_back (from + (to - from) * (float) i / (float) (count - 1));

    return xs;
}
} // namespace

PedalGeometry PedalGeometry::forStyle (const PedalStyle& style)
{
    PedalGeometry geometry;
    auto& body = geometry.body;
    body = { centreX - style.width * 0.5f, bottomY - style.height, style.width, style.height };
    geometry.bodyOutline = outlineFor (style, body, 0.0f);
    geometry.faceOutline = outlineFor (style, body, bevel);

    geometry.footswitch = { centreX, body.getBottom() - 34.0f };
    geometry.led = { centreX, body.getBottom() - 66.0f };

    const auto valueOf = [&] (int i) { return style.pointerValues[(size_t) i]; };
    const auto add = [&] (float x, float y, float radius, int i) {
        geometry.controls.push_back ({ { x, y }, radius, i == style.switchIndex, valueOf (i) });
    };

    const auto top = body.getY();
    auto bandTop = top + 80.0f;

    switch (style.layout)
    {
        case PedalStyle::Layout::row:
        {
            const auto four = style.numControls == 4;
            const auto margin = four ? 37.0f : 45.0f;
            const auto xs = evenlySpaced (body.getX() + margin, body.getRight() - margin, style.numControls);

            for (int i = 0; i < style.numControls; ++i)
                add (xs[(size_t) i], top + 48.0f, four ? 19.0f : 20.5f, i);

            break;
        }
        case PedalStyle::Layout::triangle:
            add (centreX - 50.0f, top + 44.0f, 20.5f, 0);
            add (centreX + 50.0f, top + 44.0f, 20.5f, 1);
            add (centreX, top + 88.0f, 20.5f, 2);
            bandTop = top + 116.0f;
            break;
        case PedalStyle::Layout::grid:
            add (centreX - 46.0f, top + 44.0f, 19.5f, 0);
            add (centreX + 46.0f, top + 44.0f, 19.5f, 1);
            add (centreX - 46.0f, top + 98.0f, 19.5f, 2);
            add (centreX + 46.0f, top + 98.0f, 19.5f, 3);
            bandTop = top + 126.0f;
            break;
    }

    const auto face = geometry.faceOutline.getBounds();
    geometry.band = { face.getX() + 4.0f, bandTop, face.getWidth() - 8.0f, geometry.led.y - 12.0f - bandTop };
    return geometry;
}
