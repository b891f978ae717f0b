#include "PedalStyle.h"

namespace
{
    using S = PedalStyle;
    using juce::Colour;

    // Pointers stand where each effect starts out, so a fresh pedal looks set up.
    const std::array<PedalStyle, 14> styles { {
        // 1: gated ping-pong delay
        { Colour (0xff1d4f91), Colour (0xffeaf3ff), Colour (0xff7fd6ff), Colour (0xffdfe9f5), Colour (0xff3cc2ff),
          Colour (0xff43b4ff), Colour (0xff202020), S::Finish::flakes, S::KnobStyle::skirted, S::Layout::row,
          S::Outline::rounded, S::Motif::echoDots, 238.0f, 220.0f, 12.0f, 4, 3, { 0.5f, 0.2f, 0.3f, 0.0f }, true },
        // 2: phaser
        { Colour (0xff5e2a86), Colour (0xffffd44f), Colour (0xffff86d6), Colour (0xfff3e6ff), Colour (0xffc86bff),
          Colour (0xffff3b30), Colour (0xff202020), S::Finish::flakes, S::KnobStyle::chrome, S::Layout::triangle,
          S::Outline::rounded, S::Motif::swirl, 204.0f, 220.0f, 24.0f, 3, -1, { 0.5f, 0.5f, 0.5f, 0.5f }, false },
        // 3: plate reverb
        { Colour (0xffb8bec7), Colour (0xff1b2b3d), Colour (0xff2f80d4), Colour (0xffe9edf2), Colour (0xff8fe3ff),
          Colour (0xff43b4ff), Colour (0xff202020), S::Finish::brushed, S::KnobStyle::fluted, S::Layout::row,
          S::Outline::rounded, S::Motif::reflections, 240.0f, 220.0f, 7.0f, 4, -1, { 0.2f, 0.5f, 0.2f, 1.0f }, true },
        // 4: bit crusher
        { Colour (0xfff0c419), Colour (0xff151515), Colour (0xff2a2a2a), Colour (0xff171717), Colour (0xffffd21f),
          Colour (0xffff3b30), Colour (0xff1a1a1a), S::Finish::matte, S::KnobStyle::cap, S::Layout::row,
          S::Outline::chamfered, S::Motif::hazard, 200.0f, 220.0f, 18.0f, 3, -1, { 0.0f, 0.0f, 1.0f, 0.5f }, true },
        // 5: cassette lo-fi
        { Colour (0xffeee3c8), Colour (0xff4a2c1a), Colour (0xffd9772b), Colour (0xffc9a227), Colour (0xffff9d2e),
          Colour (0xffff3b30), Colour (0xff202020), S::Finish::matte, S::KnobStyle::cream, S::Layout::row,
          S::Outline::rounded, S::Motif::cassette, 200.0f, 220.0f, 14.0f, 3, -1, { 0.5f, 0.0f, 0.0f, 0.5f }, false },
        // 6: comb filter
        { Colour (0xffb3161f), Colour (0xfffff1e0), Colour (0xffffb04a), Colour (0xfffff1e0), Colour (0xffff3b3b),
          Colour (0xff7dff5a), Colour (0xff202020), S::Finish::flakes, S::KnobStyle::chrome, S::Layout::row,
          S::Outline::rounded, S::Motif::combTeeth, 240.0f, 220.0f, 10.0f, 4, -1, { 0.5f, 0.5f, 0.0f, 0.5f }, true },
        // 7: amplifier tone stack
        { Colour (0xff1e1c1b), Colour (0xffe3c27a), Colour (0xfff4e2b0), Colour (0xffcfae62), Colour (0xffffc45a),
          Colour (0xffff3b30), Colour (0xff202020), S::Finish::hammered, S::KnobStyle::cream, S::Layout::row,
          S::Outline::rounded, S::Motif::ampPanel, 200.0f, 220.0f, 8.0f, 3, -1, { 0.5f, 0.5f, 0.5f, 0.5f }, true },
        // 8: convolution
        { Colour (0xff4a4e53), Colour (0xffd7874f), Colour (0xfff0b48a), Colour (0xff2b2d30), Colour (0xffff8a3c),
          Colour (0xffffa53a), Colour (0xff202020), S::Finish::hammered, S::KnobStyle::skirted, S::Layout::row,
          S::Outline::rounded, S::Motif::grille, 200.0f, 220.0f, 16.0f, 3, -1, { 0.5f, 0.0f, 1.0f, 0.5f }, false },
        // 9: diode ladder filter
        { Colour (0xffe8671c), Colour (0xff161616), Colour (0xfffff3dc), Colour (0xfffff3dc), Colour (0xffff7a1a),
          Colour (0xff7dff5a), Colour (0xff151515), S::Finish::gloss, S::KnobStyle::cap, S::Layout::grid,
          S::Outline::rounded, S::Motif::ladder, 214.0f, 220.0f, 12.0f, 4, -1, { 1.0f, 0.5f, 0.0f, 0.5f }, true },
        // 10: feedback howl
        { Colour (0xffc8145f), Colour (0xffffe3ef), Colour (0xffffb3d3), Colour (0xffffe3ef), Colour (0xffff3fa4),
          Colour (0xffffd21f), Colour (0xff202020), S::Finish::flakes, S::KnobStyle::chrome, S::Layout::triangle,
          S::Outline::rounded, S::Motif::howl, 204.0f, 220.0f, 20.0f, 3, -1, { 0.0f, 0.5f, 0.5f, 0.5f }, false },
        // 11: chopping gate
        { Colour (0xffeeede8), Colour (0xff141414), Colour (0xffd23a2a), Colour (0xff141414), Colour (0xffd9d2ff),
          Colour (0xffff3b30), Colour (0xff202020), S::Finish::gloss, S::KnobStyle::fluted, S::Layout::row,
          S::Outline::rounded, S::Motif::chopper, 200.0f, 220.0f, 6.0f, 3, -1, { 0.5f, 0.5f, 0.7f, 0.5f }, true },
        // 12: vowel filter
        { Colour (0xfff2a9c4), Colour (0xff4b1d3f), Colour (0xff8e3a78), Colour (0xfffbe2ec), Colour (0xffff8fd0),
          Colour (0xff7dff5a), Colour (0xff4b1d3f), S::Finish::gloss, S::KnobStyle::cap, S::Layout::row,
          S::Outline::ears, S::Motif::formants, 240.0f, 204.0f, 16.0f, 4, -1, { 0.0f, 0.5f, 0.0f, 0.5f }, false },
        // 13: rotating speaker
        { Colour (0xff6b3a1f), Colour (0xff2a160b), Colour (0xffe9d9b4), Colour (0xffe9d9b4), Colour (0xffffb15c),
          Colour (0xffff3b30), Colour (0xff202020), S::Finish::wood, S::KnobStyle::cream, S::Layout::row,
          S::Outline::rounded, S::Motif::louvres, 238.0f, 220.0f, 10.0f, 4, 3, { 0.5f, 0.5f, 1.0f, 0.0f }, true },
        // 14: auto swell
        { Colour (0xff12887c), Colour (0xfff6ecd2), Colour (0xff0b4a43), Colour (0xfff6ecd2), Colour (0xff2ff5d9),
          Colour (0xffffd21f), Colour (0xff202020), S::Finish::gloss, S::KnobStyle::skirted, S::Layout::row,
          S::Outline::rounded, S::Motif::fHoles, 200.0f, 220.0f, 18.0f, 3, -1, { 0.5f, 0.5f, 0.0f, 0.5f }, false },
    } };
}

const std::array<PedalStyle, 14>& pedalStyles()
{
    return styles;
}
