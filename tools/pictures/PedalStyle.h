#pragma once

#include <juce_graphics/juce_graphics.h>

#include <array>
#include <vector>

// Everything that makes one stompbox look like itself: paint, print, knobs,
// layout and outline. The fourteen styles are listed in PedalStyles.cpp.
struct PedalStyle
{
    enum class Finish
    {
        matte,
        flakes,
        hammered,
        brushed,
        gloss,
        wood,
    };

    enum class KnobStyle
    {
        skirted, // black cap on a knurled silver skirt
        chrome, // polished dome
        cream, // fluted ivory
        cap, // glossy coloured cap
        fluted, // black fluted
    };

    enum class Layout
    {
        row, // all controls in one line under the top edge
        triangle, // two knobs above, one centred below
        grid, // two by two
    };

    enum class Outline
    {
        rounded,
        chamfered, // cut corners
        ears, // two pointed ears on the top edge
    };

    enum class Motif
    {
        echoDots,
        swirl,
        reflections,
        hazard,
        cassette,
        combTeeth,
        ampPanel,
        grille,
        ladder,
        howl,
        chopper,
        formants,
        louvres,
        fHoles,
    };

    juce::Colour body; // top face paint
    juce::Colour ink; // main print
    juce::Colour accent; // second print
    juce::Colour panel; // light plate some prints stand on
    juce::Colour glow; // light of the hot finish
    juce::Colour led;
    juce::Colour knobCap; // for KnobStyle::cap
    Finish finish = Finish::matte;
    KnobStyle knobStyle = KnobStyle::skirted;
    Layout layout = Layout::row;
    Outline outline = Outline::rounded;
    Motif motif = Motif::echoDots;
    float width = 200.0f;
    float height = 220.0f;
    float cornerRadius = 10.0f;
    int numControls = 3;
    int switchIndex = -1; // -1 when every control is a knob
    std::array<float, 4> pointerValues {}; // where the painted pointers stand
    bool screws = false;
};

// The fourteen pedals in picture order (entry i is drawn as pedal i + 1).
const std::vector<PedalStyle>& pedalStyles();
