#include "WindowPictures.h"

#include "Effects.h"
#include "PictureFonts.h"

namespace window
{
namespace
{
    constexpr int width = 732;
    constexpr int height = 430;
    // The title band ends where the about panel's own picture starts, and
    // the bottom band where that panel ends, so the panel fits seamlessly.
    constexpr float titleBandBottom = 82.0f;
    constexpr float bottomBandTop = 359.0f;
    const juce::Colour accent (0xffff8a1e);
    const juce::Colour bandTop (0xff2d2d32);
    const juce::Colour bandBottom (0xff18181b);

    void fillBand (juce::Graphics& g, juce::Rectangle<float> area, juce::Colour top, juce::Colour bottom)
    {
        g.setGradientFill (juce::ColourGradient (top, 0.0f, area.getY(), bottom, 0.0f, area.getBottom(), false));
        g.fillRect (area);
    }

    void grain (juce::Graphics& g, juce::Rectangle<float> area, float strength, juce::uint32 seed)
    {
        juce::Path shape;
        shape.addRectangle (area);
        effects::fillGrain (g, { width, height }, shape, effects::Grain::fine, strength, seed);
    }

    // A shallow recess the controls of one group sit in.
    void recess (juce::Graphics& g, juce::Rectangle<float> area)
    {
        g.setColour (juce::Colours::black.withAlpha (0.28f));
        g.fillRoundedRectangle (area, 6.0f);
        g.setColour (juce::Colours::white.withAlpha (0.07f));
        g.drawRoundedRectangle (area.translated (0.0f, 0.8f), 6.0f, 0.8f);
        g.setColour (juce::Colours::black.withAlpha (0.6f));
        g.drawRoundedRectangle (area, 6.0f, 0.8f);
    }

    void screw (juce::Graphics& g, juce::Point<float> centre)
    {
        constexpr float radius = 3.5f;
        g.setColour (juce::Colours::black.withAlpha (0.5f));
        g.fillEllipse (juce::Rectangle<float> (radius * 2.0f + 1.5f, radius * 2.0f + 1.5f)
                           .withCentre (centre.translated (0.2f, 0.6f)));
        juce::ColourGradient head (juce::Colour (0xffa4a8ae),
                                   centre.x - 2.0f,
                                   centre.y - 2.5f,
                                   juce::Colour (0xff2e3034),
                                   centre.x + 3.0f,
                                   centre.y + 3.5f,
                                   true);
        g.setGradientFill (head);
        g.fillEllipse (juce::Rectangle<float> (radius * 2.0f, radius * 2.0f).withCentre (centre));
        g.setColour (juce::Colours::black.withAlpha (0.7f));
        g.drawLine (centre.x - 2.2f, centre.y + 1.0f, centre.x + 2.2f, centre.y - 1.0f, 1.0f);
    }

    void titleBand (juce::Graphics& g)
    {
        const juce::Rectangle<float> band (0.0f, 0.0f, (float) width, titleBandBottom);
        fillBand (g, band, bandTop, bandBottom);
        grain (g, band, 0.035f, 11);
        g.setColour (juce::Colours::white.withAlpha (0.09f));
        g.drawHorizontalLine (0, 0.0f, (float) width);

        // The product name, with a warm underline that fades out to the right.
        const auto titleFont = PictureFonts::italic (34.0f);
        g.setFont (titleFont);
        g.setColour (juce::Colours::black.withAlpha (0.6f));
        g.drawSingleLineText ("Tarvolin", 23, 36);
        g.setColour (juce::Colour (0xfff4f1ec));
        g.drawSingleLineText ("Tarvolin", 22, 35);

        const auto titleWidth = titleFont.getStringWidthFloat ("Tarvolin");
        g.setGradientFill (juce::ColourGradient (
            accent, 24.0f, 0.0f, accent.withAlpha (0.0f), 24.0f + titleWidth * 1.6f, 0.0f, false));
        g.fillRect (juce::Rectangle<float> (24.0f, 41.0f, titleWidth * 1.6f, 1.5f));

        // The preset row.
        recess (g, { 5.0f, 46.0f, 338.0f, 27.0f });

        screw (g, { 716.0f, 14.0f });
        screw (g, { 716.0f, 66.0f });

        g.setColour (juce::Colours::black);
        g.drawHorizontalLine ((int) titleBandBottom - 1, 0.0f, (float) width);
    }

    void lightPanel (juce::Graphics& g)
    {
        const juce::Rectangle<float> panel (0.0f, titleBandBottom, (float) width, bottomBandTop - titleBandBottom);
        fillBand (g, panel, juce::Colour (0xffefede8), juce::Colour (0xffd9d6ce));

        // A soft pool of light where the pedal stands.
        juce::ColourGradient pool (juce::Colours::white.withAlpha (0.5f),
                                   176.0f,
                                   200.0f,
                                   juce::Colours::white.withAlpha (0.0f),
                                   176.0f + 260.0f,
                                   200.0f,
                                   true);
        g.setGradientFill (pool);
        g.fillRect (panel);
        grain (g, panel, 0.018f, 12);

        // The bands above and below cast a little shadow onto the panel.
        g.setGradientFill (juce::ColourGradient (juce::Colours::black.withAlpha (0.35f),
                                                 0.0f,
                                                 titleBandBottom,
                                                 juce::Colours::black.withAlpha (0.0f),
                                                 0.0f,
                                                 titleBandBottom + 9.0f,
                                                 false));
        g.fillRect (panel.withHeight (9.0f));
        g.setGradientFill (juce::ColourGradient (juce::Colours::black.withAlpha (0.0f),
                                                 0.0f,
                                                 bottomBandTop - 6.0f,
                                                 juce::Colours::black.withAlpha (0.14f),
                                                 0.0f,
                                                 bottomBandTop,
                                                 false));
        g.fillRect (panel.withTop (bottomBandTop - 6.0f));
    }

    void bottomBand (juce::Graphics& g)
    {
        const juce::Rectangle<float> band (0.0f, bottomBandTop, (float) width, (float) height - bottomBandTop);
        fillBand (g, band, juce::Colour (0xff26262b), juce::Colour (0xff141416));
        grain (g, band, 0.035f, 13);
        g.setColour (juce::Colours::black);
        g.drawHorizontalLine ((int) bottomBandTop, 0.0f, (float) width);
        g.setColour (juce::Colours::white.withAlpha (0.1f));
        g.drawHorizontalLine ((int) bottomBandTop + 1, 0.0f, (float) width);

        // Gains and meters; the effect's controls; the hot switch.
        recess (g, { 8.0f, 364.0f, 284.0f, 60.0f });
        recess (g, { 300.0f, 364.0f, 356.0f, 60.0f });
        recess (g, { 662.0f, 364.0f, 62.0f, 60.0f });
    }
} // namespace

void background (juce::Graphics& g)
{
    titleBand (g);
    lightPanel (g);
    bottomBand (g);
}

void aboutPanel (juce::Graphics& g)
{
    const juce::Rectangle<float> panel (0.0f, 0.0f, (float) width, 277.0f);
    fillBand (g, panel, juce::Colour (0xff2a2a2f), juce::Colour (0xff101012));
    juce::ColourGradient light (juce::Colours::white.withAlpha (0.06f),
                                120.0f,
                                0.0f,
                                juce::Colours::white.withAlpha (0.0f),
                                520.0f,
                                200.0f,
                                true);
    g.setGradientFill (light);
    g.fillRect (panel);
    juce::Path shape;
    shape.addRectangle (panel);
    effects::fillGrain (g, { width, 277 }, shape, effects::Grain::fine, 0.03f, 14);
}
} // namespace window
