#include "PedalMotifs.h"

#include <cmath>

namespace
{
constexpr float pi = juce::MathConstants<float>::pi;

struct Canvas
{
    juce::Graphics& g;
    const PedalStyle& style;
    const PedalGeometry& geo;
    const MotifColours& c;

    juce::Rectangle<float> face() const { return geo.faceOutline.getBounds(); }
    float centreX() const { return geo.body.getCentreX(); }
};

// A thin line that follows the face outline a few pixels inside it.
void pinstripe (const Canvas& k, float inset, float thickness, juce::Colour colour)
{
    const auto face = k.face();
    const auto scaleX = (face.getWidth() - 2.0f * inset) / face.getWidth();
    const auto scaleY = (face.getHeight() - 2.0f * inset) / face.getHeight();
    const auto shrink = juce::AffineTransform::scale (scaleX, scaleY, face.getCentreX(), face.getCentreY());
    k.g.setColour (colour);
    k.g.strokePath (k.geo.faceOutline, juce::PathStrokeType (thickness), shrink);
}

juce::Path wave (float x0, float x1, float step, const std::function<float (float)>& yAt)
{
    juce::Path p;
    p.startNewSubPath (x0, yAt (x0));

    for (auto x = x0 + step; x <= x1 + 0.01f; x += step)
        p.lineTo (x, yAt (x));

    return p;
}

void echoDots (const Canvas& k)
{
    const auto band = k.geo.band.reduced (18.0f, 6.0f);
    constexpr int repeats = 7;
    juce::Path trail;
    std::vector<juce::Point<float>> dots;

    for (int i = 0; i < repeats; ++i)
    {
        const auto x = band.getX() + band.getWidth() * (float) i / (float) (repeats - 1);
        const auto y = band.getCentreY() + (i % 2 == 0 ? -1.0f : 1.0f) * band.getHeight() * 0.26f;
        dots.push_back ({ x, y });
        i == 0 ? trail.startNewSubPath (x, y) : trail.lineTo (x, y);
    }

    k.g.setColour (k.c.accent.withAlpha (0.55f));
    k.g.strokePath (trail, juce::PathStrokeType (1.2f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));

    auto radius = 9.5f;
    auto alpha = 1.0f;

    for (size_t i = 0; i < dots.size(); ++i)
    {
        const auto colour = i == 0 ? k.c.ink : k.c.accent;
        k.g.setColour (colour.withAlpha (alpha));
        k.g.fillEllipse (juce::Rectangle<float> (radius * 2.0f, radius * 2.0f).withCentre (dots[i]));
        radius *= 0.84f;
        alpha *= 0.86f;
    }

    pinstripe (k, 7.0f, 1.0f, k.c.ink.withAlpha (0.55f));
}

// Spiral arms whose width grows with the radius.
void swirl (const Canvas& k)
{
    const juce::Point<float> centre (k.centreX(), k.face().getY() + k.face().getHeight() * 0.5f);
    constexpr int arms = 3;
    constexpr float turns = 1.15f;
    constexpr float innerRadius = 6.0f;
    constexpr float outerRadius = 100.0f;

    for (int arm = 0; arm < arms; ++arm)
    {
        juce::Path shape;
        std::vector<juce::Point<float>> outer, inner;
        constexpr int steps = 120;

        for (int i = 0; i <= steps; ++i)
        {
            const auto t = (float) i / (float) steps;
            const auto angle = 2.0f * pi * ((float) arm / (float) arms + t * turns);
            const auto r = innerRadius + (outerRadius - innerRadius) * t;
            const auto halfWidth = 1.0f + 13.0f * t * t;
            const juce::Point<float> dir (std::cos (angle), std::sin (angle));
            outer.push_back (centre + dir * (r + halfWidth));
            inner.push_back (centre + dir * juce::jmax (0.0f, r - halfWidth));
        }

        shape.startNewSubPath (outer.front());
        for (auto& p : outer)
            shape.lineTo (p);
        for (auto it = inner.rbegin(); it != inner.rend(); ++it)
            shape.lineTo (*it);
        shape.closeSubPath();

        const auto colour = arm == 1 ? k.c.accent : k.c.ink;
        k.g.setGradientFill (juce::ColourGradient (colour.withAlpha (0.85f),
                                                   centre.x,
                                                   centre.y,
                                                   colour.withAlpha (0.2f),
                                                   centre.x + outerRadius,
                                                   centre.y,
                                                   true));
        k.g.fillPath (shape);
    }

    k.g.setColour (k.c.ink);
    k.g.fillEllipse (juce::Rectangle<float> (10.0f, 10.0f).withCentre (centre));
}

// An impulse response: the direct sound, a gap, then denser, fading reflections.
void reflections (const Canvas& k)
{
    const auto plate = k.geo.band.reduced (10.0f, 2.0f);
    k.g.setColour (k.c.ink.withAlpha (0.5f));
    k.g.drawRoundedRectangle (plate, 4.0f, 1.0f);

    for (auto corner : { plate.getTopLeft(), plate.getTopRight(), plate.getBottomLeft(), plate.getBottomRight() })
    {
        const auto inward = juce::Point<float> (corner.x < plate.getCentreX() ? 5.0f : -5.0f,
                                                corner.y < plate.getCentreY() ? 5.0f : -5.0f);
        k.g.fillEllipse (juce::Rectangle<float> (3.0f, 3.0f).withCentre (corner + inward));
    }

    const auto area = plate.reduced (14.0f, 8.0f);
    const auto baseY = area.getBottom();
    k.g.setColour (k.c.ink.withAlpha (0.7f));
    k.g.drawLine (area.getX(), baseY, area.getRight(), baseY, 1.0f);

    k.g.setColour (k.c.accent);
    k.g.fillRect (juce::Rectangle<float> (area.getX() + 2.0f, area.getY(), 3.0f, area.getHeight()));

    juce::Random random (1234);
    auto x = area.getX() + 22.0f;
    auto spacing = 7.0f;

    for (int i = 0; x < area.getRight() - 2.0f; ++i)
    {
        const auto decay = std::exp (-2.2f * (x - area.getX()) / area.getWidth());
        const auto height = area.getHeight() * decay * (0.5f + 0.5f * random.nextFloat());
        k.g.setColour (k.c.ink.withAlpha (0.45f + 0.5f * decay));
        k.g.fillRect (juce::Rectangle<float> (x, baseY - height, 1.8f, height));
        x += spacing;
        spacing = juce::jmax (3.0f, spacing * 0.93f);
    }
}

void hazard (const Canvas& k)
{
    // Warning stripes along the top edge.
    const auto face = k.face();
    const juce::Rectangle<float> strip (face.getX(), face.getY() + 6.0f, face.getWidth(), 9.0f);
    {
        juce::Graphics::ScopedSaveState state (k.g);
        k.g.reduceClipRegion (strip.toNearestInt());
        k.g.setColour (k.c.ink);

        for (auto x = strip.getX() - 20.0f; x < strip.getRight() + 20.0f; x += 14.0f)
        {
            juce::Path stripe;
            stripe.addQuadrilateral (x,
                                     strip.getBottom(),
                                     x + 7.0f,
                                     strip.getBottom(),
                                     x + 7.0f + strip.getHeight(),
                                     strip.getY(),
                                     x + strip.getHeight(),
                                     strip.getY());
            k.g.fillPath (stripe);
        }
    }

    // A black display with a sine wave cut into a few levels.
    const auto display = k.geo.band.reduced (12.0f, 3.0f);
    k.g.setColour (k.c.hot ? juce::Colours::black : k.c.panel);
    k.g.fillRoundedRectangle (display, 5.0f);
    k.g.setColour ((k.c.hot ? k.c.ink : juce::Colours::white).withAlpha (0.25f));
    k.g.drawRoundedRectangle (display, 5.0f, 1.0f);

    const auto lit = k.c.hot ? k.c.ink : k.style.body;
    const auto area = display.reduced (12.0f, 10.0f);
    constexpr float stepWidth = 8.0f;
    constexpr float levels = 3.0f;
    juce::Path stairs;

    for (auto x = area.getX(); x < area.getRight() - 0.5f; x += stepWidth)
    {
        const auto phase = (x - area.getX()) / area.getWidth() * 2.0f * pi * 1.5f;
        const auto level = std::round (std::sin (phase) * levels) / levels;
        const auto y = area.getCentreY() - level * area.getHeight() * 0.5f;
        x == area.getX() ? stairs.startNewSubPath (x, y) : stairs.lineTo (x, y);
        stairs.lineTo (juce::jmin (x + stepWidth, area.getRight()), y);
    }

    k.g.setColour (lit);
    k.g.strokePath (stairs, juce::PathStrokeType (2.4f, juce::PathStrokeType::mitered, juce::PathStrokeType::square));

    // Scattered pixels: the bits that fall away.
    juce::Random random (77);
    for (int i = 0; i < 18; ++i)
    {
        const auto px = area.getX() + random.nextFloat() * area.getWidth();
        const auto py = area.getY() + random.nextFloat() * area.getHeight();
        k.g.setColour (lit.withAlpha (0.25f + 0.35f * random.nextFloat()));
        k.g.fillRect (juce::Rectangle<float> (std::floor (px), std::floor (py), 3.0f, 3.0f));
    }
}

void cassette (const Canvas& k)
{
    const auto face = k.face();
    const auto centreY = k.geo.band.getCentreY();
    const std::array<juce::Colour, 3> stripes { k.c.panel, k.c.accent, k.c.ink };

    for (size_t i = 0; i < stripes.size(); ++i)
    {
        const auto y = centreY - 17.0f + 12.0f * (float) i;
        k.g.setColour (stripes[i]);
        k.g.fillRect (juce::Rectangle<float> (face.getX(), y, face.getWidth(), 9.0f));
    }

    const auto shell = juce::Rectangle<float> (104.0f, 56.0f).withCentre ({ k.centreX(), centreY });
    const auto shellColour = k.c.hot ? juce::Colour (0xff120d0a) : juce::Colour (0xff2b1d14);
    k.g.setColour (shellColour);
    k.g.fillRoundedRectangle (shell, 6.0f);
    k.g.setColour (k.c.hot ? k.c.ink : k.style.body);
    k.g.drawRoundedRectangle (shell.reduced (1.0f), 5.0f, 2.0f);

    const auto window = shell.reduced (16.0f, 14.0f).translated (0.0f, -3.0f);
    k.g.setColour (k.c.hot ? k.c.ink.withAlpha (0.15f) : juce::Colour (0xff4a3426));
    k.g.fillRoundedRectangle (window, 4.0f);

    for (auto side : { -1.0f, 1.0f })
    {
        const juce::Point<float> hub (k.centreX() + side * 24.0f, window.getCentreY());
        const auto reel = juce::Rectangle<float> (22.0f, 22.0f).withCentre (hub);
        k.g.setColour (k.c.hot ? k.c.ink : k.style.body);
        k.g.fillEllipse (reel);
        k.g.setColour (shellColour);
        k.g.fillEllipse (juce::Rectangle<float> (9.0f, 9.0f).withCentre (hub));

        for (int tooth = 0; tooth < 6; ++tooth)
        {
            const auto angle = (float) tooth * pi / 3.0f;
            const juce::Point<float> dir (std::cos (angle), std::sin (angle));
            k.g.drawLine ({ hub + dir * 4.0f, hub + dir * 7.5f }, 1.8f);
        }
    }

    // The recording head opening at the bottom edge of the shell.
    juce::Path head;
    const auto y0 = shell.getBottom() - 8.0f;
    head.addQuadrilateral (k.centreX() - 30.0f,
                           shell.getBottom(),
                           k.centreX() + 30.0f,
                           shell.getBottom(),
                           k.centreX() + 24.0f,
                           y0,
                           k.centreX() - 24.0f,
                           y0);
    k.g.setColour (k.c.hot ? k.c.ink.withAlpha (0.5f) : k.style.body.darker (0.3f));
    k.g.fillPath (head);
}

// The response of a comb filter: evenly spaced sharp peaks.
void combTeeth (const Canvas& k)
{
    const auto area = k.geo.band.reduced (14.0f, 6.0f);
    const auto base = area.getBottom();
    constexpr float period = 21.0f;
    const auto yAt = [&] (float x) {
        const auto peak = std::pow (std::abs (std::cos (pi * (x - area.getX()) / period)), 8.0f);
        return base - 4.0f - (area.getHeight() - 6.0f) * peak;
    };

    auto curve = wave (area.getX(), area.getRight(), 0.5f, yAt);
    juce::Path fill (curve);
    fill.lineTo (area.getRight(), base);
    fill.lineTo (area.getX(), base);
    fill.closeSubPath();

    k.g.setGradientFill (juce::ColourGradient (
        k.c.accent.withAlpha (0.9f), 0.0f, area.getY(), k.c.accent.withAlpha (0.1f), 0.0f, base, false));
    k.g.fillPath (fill);
    k.g.setColour (k.c.ink);
    k.g.strokePath (curve, juce::PathStrokeType (1.6f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
    k.g.drawLine (area.getX() - 4.0f, base + 0.5f, area.getRight() + 4.0f, base + 0.5f, 1.0f);
    k.g.setColour (k.c.ink.withAlpha (0.6f));
    k.g.drawLine (area.getX() - 4.0f, area.getY() - 3.5f, area.getRight() + 4.0f, area.getY() - 3.5f, 1.0f);
}

void ampPanel (const Canvas& k)
{
    // A gold plate behind the knob row.
    const auto knobY = k.geo.controls.front().centre.y;
    const auto face = k.face();
    const juce::Rectangle<float> plate (face.getX() + 7.0f, knobY - 31.0f, face.getWidth() - 14.0f, 62.0f);

    if (k.c.hot)
    {
        k.g.setColour (k.c.ink.withAlpha (0.9f));
        k.g.drawRoundedRectangle (plate, 4.0f, 1.4f);
    }
    else
    {
        juce::ColourGradient gold (
            juce::Colour (0xffefd596), 0.0f, plate.getY(), juce::Colour (0xffa8823a), 0.0f, plate.getBottom(), false);
        gold.addColour (0.5, k.c.panel);
        k.g.setGradientFill (gold);
        k.g.fillRoundedRectangle (plate, 4.0f);

        juce::Random random (5);
        for (auto y = plate.getY() + 1.0f; y < plate.getBottom() - 1.0f; y += 1.0f)
        {
            k.g.setColour ((random.nextBool() ? juce::Colours::white : juce::Colours::black)
                               .withAlpha (0.06f * random.nextFloat()));
            k.g.drawHorizontalLine ((int) y, plate.getX() + 2.0f, plate.getRight() - 2.0f);
        }

        k.g.setColour (juce::Colours::black.withAlpha (0.55f));
        k.g.drawRoundedRectangle (plate, 4.0f, 1.0f);
    }

    // Woven grille cloth with gold piping.
    const auto cloth = k.geo.band.reduced (8.0f, 3.0f);
    k.g.setColour (k.c.hot ? juce::Colour (0xff0c0b0a) : juce::Colour (0xff2b2520));
    k.g.fillRoundedRectangle (cloth, 4.0f);
    {
        juce::Graphics::ScopedSaveState state (k.g);
        juce::Path clip;
        clip.addRoundedRectangle (cloth, 4.0f);
        k.g.reduceClipRegion (clip);
        k.g.setColour (k.c.ink.withAlpha (k.c.hot ? 0.25f : 0.32f));

        for (auto d = -cloth.getHeight(); d < cloth.getWidth(); d += 4.0f)
        {
            k.g.drawLine (
                cloth.getX() + d, cloth.getBottom(), cloth.getX() + d + cloth.getHeight(), cloth.getY(), 1.0f);
            k.g.drawLine (
                cloth.getX() + d, cloth.getY(), cloth.getX() + d + cloth.getHeight(), cloth.getBottom(), 1.0f);
        }
    }
    k.g.setColour (k.c.ink);
    k.g.drawRoundedRectangle (cloth, 4.0f, 1.6f);
    pinstripe (k, 5.0f, 1.0f, k.c.ink.withAlpha (0.7f));
}

// A small speaker between two mirrored, decaying impulse responses.
void grille (const Canvas& k)
{
    const auto band = k.geo.band;
    const juce::Point<float> centre (k.centreX(), band.getCentreY());
    const auto radius = juce::jmin (band.getHeight() * 0.5f - 1.0f, 32.0f);

    for (auto side : { -1.0f, 1.0f })
    {
        const auto start = centre.x + side * (radius + 6.0f);
        const auto end = side < 0.0f ? band.getX() + 8.0f : band.getRight() - 8.0f;
        const auto length = std::abs (end - start);
        const auto yAt = [&] (float x) {
            const auto t = std::abs (x - start) / length;
            return centre.y - std::sin (t * 2.0f * pi * 4.5f) * std::exp (-3.5f * t) * radius * 0.55f;
        };
        k.g.setColour (k.c.ink);
        k.g.strokePath (wave (juce::jmin (start, end), juce::jmax (start, end), 0.5f, yAt),
                        juce::PathStrokeType (1.3f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
    }

    const auto cone = juce::Rectangle<float> (radius * 2.0f, radius * 2.0f).withCentre (centre);
    k.g.setColour (k.c.hot ? juce::Colours::black : k.c.panel);
    k.g.fillEllipse (cone);

    {
        juce::Graphics::ScopedSaveState state (k.g);
        juce::Path clip;
        clip.addEllipse (cone.reduced (3.0f));
        k.g.reduceClipRegion (clip);
        k.g.setColour (k.c.ink.withAlpha (0.8f));
        constexpr float pitch = 5.0f;
        int row = 0;

        for (auto y = cone.getY(); y < cone.getBottom(); y += pitch * 0.866f, ++row)
            for (auto x = cone.getX() + (row % 2 == 0 ? 0.0f : pitch * 0.5f); x < cone.getRight(); x += pitch)
                k.g.fillEllipse (x - 1.3f, y - 1.3f, 2.6f, 2.6f);
    }

    juce::ColourGradient ring (
        k.c.accent, cone.getX(), cone.getY(), k.c.ink.darker (0.6f), cone.getRight(), cone.getBottom(), false);
    k.g.setGradientFill (ring);
    k.g.drawEllipse (cone, 3.0f);
}

// Two rails and their rungs, each rung a diode: the filter's ladder.
void ladder (const Canvas& k)
{
    const auto top = k.geo.controls.front().centre.y - 24.0f;
    const auto bottom = k.geo.controls.back().centre.y + 22.0f;
    const auto x = k.centreX();
    constexpr float halfWidth = 11.0f;

    k.g.setColour (k.c.ink);
    k.g.drawLine (x - halfWidth, top, x - halfWidth, bottom, 2.0f);
    k.g.drawLine (x + halfWidth, top, x + halfWidth, bottom, 2.0f);

    constexpr int rungs = 6;
    for (int i = 0; i < rungs; ++i)
    {
        const auto y = top + 8.0f + (bottom - top - 16.0f) * (float) i / (float) (rungs - 1);
        k.g.drawLine (x - halfWidth, y, x + halfWidth, y, 1.6f);
        juce::Path diode;
        diode.addTriangle (x - 3.5f, y - 3.5f, x + 3.5f, y - 3.5f, x, y + 1.5f);
        k.g.fillPath (diode);
        k.g.drawLine (x - 3.5f, y + 1.8f, x + 3.5f, y + 1.8f, 1.4f);
    }

    // The resonant low-pass response under the knobs.
    const auto panel = k.geo.band.withTop (bottom + 8.0f).reduced (14.0f, 0.0f);
    if (panel.getHeight() < 8.0f)
        return;

    k.g.setColour (k.c.accent.withAlpha (k.c.hot ? 0.15f : 0.9f));
    k.g.fillRoundedRectangle (panel, 4.0f);
    const auto area = panel.reduced (8.0f, 5.0f);
    const auto cutoff = area.getX() + area.getWidth() * 0.55f;
    const auto yAt = [&] (float px) {
        const auto ratio = std::exp ((px - cutoff) / 18.0f);
        const auto resonance = 3.2f / (1.0f + std::pow ((px - cutoff) / 6.0f, 2.0f));
        const auto level = 1.0f / (1.0f + ratio * ratio * ratio * ratio) + resonance * 0.25f;
        return area.getBottom() - area.getHeight() * juce::jlimit (0.0f, 1.0f, level * 0.55f);
    };
    k.g.setColour (k.c.ink);
    k.g.strokePath (wave (area.getX(), area.getRight(), 0.5f, yAt), juce::PathStrokeType (1.8f));
}

// Sound waves rising from the footswitch.
void howl (const Canvas& k)
{
    const auto centre = k.geo.footswitch;

    for (int i = 0; i < 6; ++i)
    {
        const auto radius = 32.0f + 12.0f * (float) i;
        const auto spread = pi * (0.26f - 0.018f * (float) i);
        juce::Path arc;
        arc.addCentredArc (centre.x, centre.y, radius, radius, 0.0f, -spread, spread, true);
        k.g.setColour ((i % 2 == 0 ? k.c.ink : k.c.accent).withAlpha (1.0f - 0.12f * (float) i));
        k.g.strokePath (arc,
                        juce::PathStrokeType (
                            3.2f - 0.3f * (float) i, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
    }

    // Sparks either side: the loop tipping over.
    for (auto side : { -1.0f, 1.0f })
    {
        juce::Path bolt;
        const juce::Point<float> start (centre.x + side * 62.0f, centre.y - 78.0f);
        bolt.startNewSubPath (start);
        bolt.lineTo (start.x + side * 6.0f, start.y + 12.0f);
        bolt.lineTo (start.x - side * 1.0f, start.y + 13.0f);
        bolt.lineTo (start.x + side * 7.0f, start.y + 28.0f);
        k.g.setColour (k.c.ink);
        k.g.strokePath (bolt,
                        juce::PathStrokeType (2.0f, juce::PathStrokeType::mitered, juce::PathStrokeType::rounded));
    }

    pinstripe (k, 7.0f, 1.0f, k.c.ink.withAlpha (0.5f));
}

// A tone cut to silence every other half cycle of the gate.
void chopper (const Canvas& k)
{
    const auto area = k.geo.band.reduced (16.0f, 8.0f);
    constexpr int gates = 4;
    const auto gateWidth = area.getWidth() / (float) gates;

    for (int i = 0; i < gates; ++i)
    {
        const auto x0 = area.getX() + gateWidth * (float) i;
        const auto open = juce::Rectangle<float> (x0, area.getY(), gateWidth * 0.5f, area.getHeight());
        k.g.setColour (k.c.accent.withAlpha (0.18f));
        k.g.fillRect (open);

        const auto yAt = [&] (float x) {
            return area.getCentreY()
                   - std::sin ((x - x0) / (gateWidth * 0.5f) * 2.0f * pi * 3.0f) * area.getHeight() * 0.42f;
        };
        k.g.setColour (k.c.ink);
        k.g.strokePath (wave (x0, x0 + gateWidth * 0.5f, 0.5f, yAt),
                        juce::PathStrokeType (2.2f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
        k.g.drawLine (x0 + gateWidth * 0.5f, area.getCentreY(), x0 + gateWidth, area.getCentreY(), 2.2f);
    }

    // Chequered strips beside the footswitch.
    const auto y = k.geo.footswitch.y - 6.0f;
    constexpr float cell = 6.0f;
    for (auto side : { -1.0f, 1.0f })
    {
        const auto inner = k.centreX() + side * 30.0f;
        const auto outer = k.centreX() + side * (k.face().getWidth() * 0.5f - 12.0f);
        const auto from = juce::jmin (inner, outer);
        const auto to = juce::jmax (inner, outer);

        for (int row = 0; row < 2; ++row)
            for (int col = 0; from + cell * (float) col < to - 0.5f; ++col)
                if ((row + col) % 2 == 0)
                {
                    k.g.setColour (k.c.ink);
                    k.g.fillRect (
                        juce::Rectangle<float> (from + cell * (float) col, y + cell * (float) row, cell, cell));
                }
    }
}

// Three vowel formants, and whiskers either side of the LED nose.
void formants (const Canvas& k)
{
    const auto area = k.geo.band.reduced (14.0f, 4.0f);
    const std::array<float, 3> centres { 0.22f, 0.5f, 0.78f };
    const std::array<float, 3> heights { 0.95f, 0.7f, 0.5f };

    for (size_t i = 0; i < centres.size(); ++i)
    {
        const auto mid = area.getX() + area.getWidth() * centres[i];
        const auto yAt = [&] (float x) {
            const auto d = (x - mid) / (area.getWidth() * 0.11f);
            return area.getBottom() - area.getHeight() * heights[i] * std::exp (-d * d);
        };
        auto curve = wave (area.getX(), area.getRight(), 0.5f, yAt);
        juce::Path fill (curve);
        fill.lineTo (area.getRight(), area.getBottom());
        fill.lineTo (area.getX(), area.getBottom());
        fill.closeSubPath();
        k.g.setColour ((i == 1 ? k.c.ink : k.c.accent).withAlpha (0.28f));
        k.g.fillPath (fill);
        k.g.setColour (i == 1 ? k.c.ink : k.c.accent);
        k.g.strokePath (curve, juce::PathStrokeType (1.5f));
    }

    k.g.setColour (k.c.ink);
    k.g.drawLine (area.getX() - 4.0f, area.getBottom() + 0.5f, area.getRight() + 4.0f, area.getBottom() + 0.5f, 1.2f);

    // Inner ears.
    const auto body = k.geo.body;
    for (auto side : { -1.0f, 1.0f })
    {
        const auto edge = side < 0.0f ? body.getX() : body.getRight();
        juce::Path ear;
        ear.addTriangle (edge - side * 12.0f,
                         body.getY() + 2.0f,
                         edge - side * 12.0f,
                         body.getY() - 12.0f,
                         edge - side * 40.0f,
                         body.getY() + 2.0f);
        k.g.setColour (k.c.accent.withAlpha (0.55f));
        k.g.fillPath (ear.createPathWithRoundedCorners (3.0f));
    }

    const auto nose = k.geo.led;
    k.g.setColour (k.c.ink.withAlpha (0.7f));
    for (auto side : { -1.0f, 1.0f })
        for (int i = -1; i <= 1; ++i)
            k.g.drawLine (nose.x + side * 14.0f,
                          nose.y + (float) i * 3.0f,
                          nose.x + side * 52.0f,
                          nose.y + (float) i * 9.0f,
                          1.1f);
}

// A cabinet's louvres on a cream plate.
void louvres (const Canvas& k)
{
    const auto plate = k.geo.band.reduced (10.0f, 1.0f);

    if (k.c.hot)
    {
        k.g.setColour (k.c.ink);
        k.g.drawRoundedRectangle (plate, 5.0f, 1.4f);
    }
    else
    {
        k.g.setGradientFill (juce::ColourGradient (
            k.c.panel.brighter (0.2f), 0.0f, plate.getY(), k.c.panel.darker (0.15f), 0.0f, plate.getBottom(), false));
        k.g.fillRoundedRectangle (plate, 5.0f);
        k.g.setColour (juce::Colours::black.withAlpha (0.4f));
        k.g.drawRoundedRectangle (plate, 5.0f, 1.0f);
    }

    constexpr int slats = 6;
    const auto area = plate.reduced (12.0f, 7.0f);
    const auto pitch = area.getHeight() / (float) slats;

    for (int i = 0; i < slats; ++i)
    {
        const auto slot =
            juce::Rectangle<float> (area.getX(), area.getY() + pitch * (float) i + 1.0f, area.getWidth(), pitch - 3.0f);
        k.g.setGradientFill (juce::ColourGradient (k.c.hot ? k.c.ink : k.c.ink,
                                                   0.0f,
                                                   slot.getY(),
                                                   k.c.hot ? k.c.ink.withAlpha (0.3f) : k.c.ink.brighter (0.5f),
                                                   0.0f,
                                                   slot.getBottom(),
                                                   false));
        k.g.fillRoundedRectangle (slot, slot.getHeight() * 0.5f);
    }

    pinstripe (k, 6.0f, 1.0f, k.c.panel.withAlpha (k.c.hot ? 0.8f : 0.6f));
}

// A sound hole shaped like an integral sign: an eye at each end, the
// upper one towards the outside, a stem widest in the middle.
juce::Path fHole (juce::Point<float> centre, float height, float outward)
{
    const auto half = height * 0.5f - 4.0f;
    const juce::Point<float> top (centre.x + outward * 7.0f, centre.y - half);
    const juce::Point<float> bottom (centre.x - outward * 7.0f, centre.y + half);
    const auto stemAt = [&] (float t) {
        // Cubic through the two eyes with vertical tangents at the ends.
        const auto s = 1.0f - t;
        const auto x = s * s * s * top.x + 3.0f * s * s * t * (top.x - outward * 16.0f)
                       + 3.0f * s * t * t * (bottom.x + outward * 16.0f) + t * t * t * bottom.x;
        return juce::Point<float> (x, top.y + (bottom.y - top.y) * t);
    };

    juce::Path shape;
    constexpr int steps = 60;
    std::vector<juce::Point<float>> left, right;

    for (int i = 0; i <= steps; ++i)
    {
        const auto t = (float) i / (float) steps;
        const auto halfWidth = 1.1f + 2.3f * std::sin (t * pi);
        const auto p = stemAt (t);
        left.push_back (p.translated (-halfWidth, 0.0f));
        right.push_back (p.translated (halfWidth, 0.0f));
    }

    shape.startNewSubPath (left.front());
    for (auto& p : left)
        shape.lineTo (p);
    for (auto it = right.rbegin(); it != right.rend(); ++it)
        shape.lineTo (*it);
    shape.closeSubPath();

    shape.addEllipse (juce::Rectangle<float> (9.0f, 9.0f).withCentre (top));
    shape.addEllipse (juce::Rectangle<float> (9.0f, 9.0f).withCentre (bottom));

    // The two small nicks either side of the stem's middle.
    const auto middle = stemAt (0.5f);
    shape.addTriangle (middle.x - 7.0f, middle.y - 2.5f, middle.x, middle.y - 1.0f, middle.x, middle.y + 1.0f);
    shape.addTriangle (middle.x + 7.0f, middle.y + 2.5f, middle.x, middle.y + 1.0f, middle.x, middle.y - 1.0f);
    return shape;
}

// A violin's sound holes and purfling, with a swell mark between them.
void fHoles (const Canvas& k)
{
    const auto band = k.geo.band;
    const auto height = band.getHeight() - 2.0f;

    for (auto side : { -1.0f, 1.0f })
    {
        const auto hole = fHole ({ k.centreX() + side * 60.0f, band.getCentreY() }, height, side);
        k.g.setColour (k.c.hot ? k.c.ink : k.c.accent.darker (0.6f));
        k.g.fillPath (hole);
    }

    const auto y = band.getCentreY();
    k.g.setColour (k.c.ink);
    k.g.drawLine (k.centreX() - 30.0f, y, k.centreX() + 30.0f, y - 11.0f, 2.0f);
    k.g.drawLine (k.centreX() - 30.0f, y, k.centreX() + 30.0f, y + 11.0f, 2.0f);

    pinstripe (k, 6.0f, 1.0f, k.c.ink.withAlpha (0.8f));
    pinstripe (k, 9.0f, 1.0f, k.c.ink.withAlpha (0.8f));
}
} // namespace

void drawMotif (juce::Graphics& g, const PedalStyle& style, const PedalGeometry& geometry, const MotifColours& colours)
{
    const Canvas k { g, style, geometry, colours };

    switch (style.motif)
    {
        case PedalStyle::Motif::echoDots:
            echoDots (k);
            break;
        case PedalStyle::Motif::swirl:
            swirl (k);
            break;
        case PedalStyle::Motif::reflections:
            reflections (k);
            break;
        case PedalStyle::Motif::hazard:
            hazard (k);
            break;
        case PedalStyle::Motif::cassette:
            cassette (k);
            break;
        case PedalStyle::Motif::combTeeth:
            combTeeth (k);
            break;
        case PedalStyle::Motif::ampPanel:
            ampPanel (k);
            break;
        case PedalStyle::Motif::grille:
            grille (k);
            break;
        case PedalStyle::Motif::ladder:
            ladder (k);
            break;
        case PedalStyle::Motif::howl:
            howl (k);
            break;
        case PedalStyle::Motif::chopper:
            chopper (k);
            break;
        case PedalStyle::Motif::formants:
            formants (k);
            break;
        case PedalStyle::Motif::louvres:
            louvres (k);
            break;
        case PedalStyle::Motif::fHoles:
            fHoles (k);
            break;
    }
}
