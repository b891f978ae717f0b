#include "PedalStyle.h"

#include <vector>

namespace
{
using juce::Colour;

// Pointers stand where each effect starts out, so a fresh pedal looks set up.
std::vector<PedalStyle> makeStyles()
{
    std::vector<PedalStyle> list;

    // 1: gated ping-pong delay
    {
        PedalStyle s;
        s.body = Colour (0xff1d4f91);
        s.ink = Colour (0xffeaf3ff);
        s.accent = Colour (0xff7fd6ff);
        s.panel = Colour (0xffdfe9f5);
        s.glow = Colour (0xff3cc2ff);
        s.led = Colour (0xff43b4ff);
        s.knobCap = Colour (0xff202020);
        s.finish = PedalStyle::Finish::flakes;
        s.knobStyle = PedalStyle::KnobStyle::skirted;
        s.layout = PedalStyle::Layout::row;
        s.outline = PedalStyle::Outline::rounded;
        s.motif = PedalStyle::Motif::echoDots;
        s.width = 238.0f;
        s.height = 220.0f;
        s.cornerRadius = 12.0f;
        s.numControls = 4;
        s.switchIndex = 3;
        s.pointerValues = { 0.5f, 0.2f, 0.3f, 0.0f };
        s.screws = true;
        list.push_back (s);
    }

    // 2: phaser
    {
        PedalStyle s;
        s.body = Colour (0xff5e2a86);
        s.ink = Colour (0xffffd44f);
        s.accent = Colour (0xffff86d6);
        s.panel = Colour (0xfff3e6ff);
        s.glow = Colour (0xffc86bff);
        s.led = Colour (0xffff3b30);
        s.knobCap = Colour (0xff202020);
        s.finish = PedalStyle::Finish::flakes;
        s.knobStyle = PedalStyle::KnobStyle::chrome;
        s.layout = PedalStyle::Layout::triangle;
        s.outline = PedalStyle::Outline::rounded;
        s.motif = PedalStyle::Motif::swirl;
        s.width = 204.0f;
        s.height = 220.0f;
        s.cornerRadius = 24.0f;
        s.numControls = 3;
        s.switchIndex = -1;
        s.pointerValues = { 0.5f, 0.5f, 0.5f, 0.5f };
        s.screws = false;
        list.push_back (s);
    }

    // 3: plate reverb
    {
        PedalStyle s;
        s.body = Colour (0xffb8bec7);
        s.ink = Colour (0xff1b2b3d);
        s.accent = Colour (0xff2f80d4);
        s.panel = Colour (0xffe9edf2);
        s.glow = Colour (0xff8fe3ff);
        s.led = Colour (0xff43b4ff);
        s.knobCap = Colour (0xff202020);
        s.finish = PedalStyle::Finish::brushed;
        s.knobStyle = PedalStyle::KnobStyle::fluted;
        s.layout = PedalStyle::Layout::row;
        s.outline = PedalStyle::Outline::rounded;
        s.motif = PedalStyle::Motif::reflections;
        s.width = 240.0f;
        s.height = 220.0f;
        s.cornerRadius = 7.0f;
        s.numControls = 4;
        s.switchIndex = -1;
        s.pointerValues = { 0.2f, 0.5f, 0.2f, 1.0f };
        s.screws = true;
        list.push_back (s);
    }

    // 4: bit crusher
    {
        PedalStyle s;
        s.body = Colour (0xfff0c419);
        s.ink = Colour (0xff151515);
        s.accent = Colour (0xff2a2a2a);
        s.panel = Colour (0xff171717);
        s.glow = Colour (0xffffd21f);
        s.led = Colour (0xffff3b30);
        s.knobCap = Colour (0xff1a1a1a);
        s.finish = PedalStyle::Finish::matte;
        s.knobStyle = PedalStyle::KnobStyle::cap;
        s.layout = PedalStyle::Layout::row;
        s.outline = PedalStyle::Outline::chamfered;
        s.motif = PedalStyle::Motif::hazard;
        s.width = 200.0f;
        s.height = 220.0f;
        s.cornerRadius = 18.0f;
        s.numControls = 3;
        s.switchIndex = -1;
        s.pointerValues = { 0.0f, 0.0f, 1.0f, 0.5f };
        s.screws = true;
        list.push_back (s);
    }

    // 5: cassette lo-fi
    {
        PedalStyle s;
        s.body = Colour (0xffeee3c8);
        s.ink = Colour (0xff4a2c1a);
        s.accent = Colour (0xffd9772b);
        s.panel = Colour (0xffc9a227);
        s.glow = Colour (0xffff9d2e);
        s.led = Colour (0xffff3b30);
        s.knobCap = Colour (0xff202020);
        s.finish = PedalStyle::Finish::matte;
        s.knobStyle = PedalStyle::KnobStyle::cream;
        s.layout = PedalStyle::Layout::row;
        s.outline = PedalStyle::Outline::rounded;
        s.motif = PedalStyle::Motif::cassette;
        s.width = 200.0f;
        s.height = 220.0f;
        s.cornerRadius = 14.0f;
        s.numControls = 3;
        s.switchIndex = -1;
        s.pointerValues = { 0.5f, 0.0f, 0.0f, 0.5f };
        s.screws = false;
        list.push_back (s);
    }

    // 6: comb filter
    {
        PedalStyle s;
        s.body = Colour (0xffb3161f);
        s.ink = Colour (0xfffff1e0);
        s.accent = Colour (0xffffb04a);
        s.panel = Colour (0xfffff1e0);
        s.glow = Colour (0xffff3b3b);
        s.led = Colour (0xff7dff5a);
        s.knobCap = Colour (0xff202020);
        s.finish = PedalStyle::Finish::flakes;
        s.knobStyle = PedalStyle::KnobStyle::chrome;
        s.layout = PedalStyle::Layout::row;
        s.outline = PedalStyle::Outline::rounded;
        s.motif = PedalStyle::Motif::combTeeth;
        s.width = 240.0f;
        s.height = 220.0f;
        s.cornerRadius = 10.0f;
        s.numControls = 4;
        s.switchIndex = -1;
        s.pointerValues = { 0.5f, 0.5f, 0.0f, 0.5f };
        s.screws = true;
        list.push_back (s);
    }

    // 7: amplifier tone stack
    {
        PedalStyle s;
        s.body = Colour (0xff1e1c1b);
        s.ink = Colour (0xffe3c27a);
        s.accent = Colour (0xfff4e2b0);
        s.panel = Colour (0xffcfae62);
        s.glow = Colour (0xffffc45a);
        s.led = Colour (0xffff3b30);
        s.knobCap = Colour (0xff202020);
        s.finish = PedalStyle::Finish::hammered;
        s.knobStyle = PedalStyle::KnobStyle::cream;
        s.layout = PedalStyle::Layout::row;
        s.outline = PedalStyle::Outline::rounded;
        s.motif = PedalStyle::Motif::ampPanel;
        s.width = 200.0f;
        s.height = 220.0f;
        s.cornerRadius = 8.0f;
        s.numControls = 3;
        s.switchIndex = -1;
        s.pointerValues = { 0.5f, 0.5f, 0.5f, 0.5f };
        s.screws = true;
        list.push_back (s);
    }

    // 8: convolution
    {
        PedalStyle s;
        s.body = Colour (0xff4a4e53);
        s.ink = Colour (0xffd7874f);
        s.accent = Colour (0xfff0b48a);
        s.panel = Colour (0xff2b2d30);
        s.glow = Colour (0xffff8a3c);
        s.led = Colour (0xffffa53a);
        s.knobCap = Colour (0xff202020);
        s.finish = PedalStyle::Finish::hammered;
        s.knobStyle = PedalStyle::KnobStyle::skirted;
        s.layout = PedalStyle::Layout::row;
        s.outline = PedalStyle::Outline::rounded;
        s.motif = PedalStyle::Motif::grille;
        s.width = 200.0f;
        s.height = 220.0f;
        s.cornerRadius = 16.0f;
        s.numControls = 3;
        s.switchIndex = -1;
        s.pointerValues = { 0.5f, 0.0f, 1.0f, 0.5f };
        s.screws = false;
        list.push_back (s);
    }

    // 9: diode ladder filter
    {
        PedalStyle s;
        s.body = Colour (0xffe8671c);
        s.ink = Colour (0xff161616);
        s.accent = Colour (0xfffff3dc);
        s.panel = Colour (0xfffff3dc);
        s.glow = Colour (0xffff7a1a);
        s.led = Colour (0xff7dff5a);
        s.knobCap = Colour (0xff151515);
        s.finish = PedalStyle::Finish::gloss;
        s.knobStyle = PedalStyle::KnobStyle::cap;
        s.layout = PedalStyle::Layout::grid;
        s.outline = PedalStyle::Outline::rounded;
        s.motif = PedalStyle::Motif::ladder;
        s.width = 214.0f;
        s.height = 220.0f;
        s.cornerRadius = 12.0f;
        s.numControls = 4;
        s.switchIndex = -1;
        s.pointerValues = { 1.0f, 0.5f, 0.0f, 0.5f };
        s.screws = true;
        list.push_back (s);
    }

    // 10: feedback howl
    {
        PedalStyle s;
        s.body = Colour (0xffc8145f);
        s.ink = Colour (0xffffe3ef);
        s.accent = Colour (0xffffb3d3);
        s.panel = Colour (0xffffe3ef);
        s.glow = Colour (0xffff3fa4);
        s.led = Colour (0xffffd21f);
        s.knobCap = Colour (0xff202020);
        s.finish = PedalStyle::Finish::flakes;
        s.knobStyle = PedalStyle::KnobStyle::chrome;
        s.layout = PedalStyle::Layout::triangle;
        s.outline = PedalStyle::Outline::rounded;
        s.motif = PedalStyle::Motif::howl;
        s.width = 204.0f;
        s.height = 220.0f;
        s.cornerRadius = 20.0f;
        s.numControls = 3;
        s.switchIndex = -1;
        s.pointerValues = { 0.0f, 0.5f, 0.5f, 0.5f };
        s.screws = false;
        list.push_back (s);
    }

    // 11: chopping gate
    {
        PedalStyle s;
        s.body = Colour (0xffeeede8);
        s.ink = Colour (0xff141414);
        s.accent = Colour (0xffd23a2a);
        s.panel = Colour (0xff141414);
        s.glow = Colour (0xffd9d2ff);
        s.led = Colour (0xffff3b30);
        s.knobCap = Colour (0xff202020);
        s.finish = PedalStyle::Finish::gloss;
        s.knobStyle = PedalStyle::KnobStyle::fluted;
        s.layout = PedalStyle::Layout::row;
        s.outline = PedalStyle::Outline::rounded;
        s.motif = PedalStyle::Motif::chopper;
        s.width = 200.0f;
        s.height = 220.0f;
        s.cornerRadius = 6.0f;
        s.numControls = 3;
        s.switchIndex = -1;
        s.pointerValues = { 0.5f, 0.5f, 0.7f, 0.5f };
        s.screws = true;
        list.push_back (s);
    }

    // 12: vowel filter
    {
        PedalStyle s;
        s.body = Colour (0xfff2a9c4);
        s.ink = Colour (0xff4b1d3f);
        s.accent = Colour (0xff8e3a78);
        s.panel = Colour (0xfffbe2ec);
        s.glow = Colour (0xffff8fd0);
        s.led = Colour (0xff7dff5a);
        s.knobCap = Colour (0xff4b1d3f);
        s.finish = PedalStyle::Finish::gloss;
        s.knobStyle = PedalStyle::KnobStyle::cap;
        s.layout = PedalStyle::Layout::row;
        s.outline = PedalStyle::Outline::ears;
        s.motif = PedalStyle::Motif::formants;
        s.width = 240.0f;
        s.height = 204.0f;
        s.cornerRadius = 16.0f;
        s.numControls = 4;
        s.switchIndex = -1;
        s.pointerValues = { 0.0f, 0.5f, 0.0f, 0.5f };
        s.screws = false;
        list.push_back (s);
    }

    // 13: rotating speaker
    {
        PedalStyle s;
        s.body = Colour (0xff6b3a1f);
        s.ink = Colour (0xff2a160b);
        s.accent = Colour (0xffe9d9b4);
        s.panel = Colour (0xffe9d9b4);
        s.glow = Colour (0xffffb15c);
        s.led = Colour (0xffff3b30);
        s.knobCap = Colour (0xff202020);
        s.finish = PedalStyle::Finish::wood;
        s.knobStyle = PedalStyle::KnobStyle::cream;
        s.layout = PedalStyle::Layout::row;
        s.outline = PedalStyle::Outline::rounded;
        s.motif = PedalStyle::Motif::louvres;
        s.width = 238.0f;
        s.height = 220.0f;
        s.cornerRadius = 10.0f;
        s.numControls = 4;
        s.switchIndex = 3;
        s.pointerValues = { 0.5f, 0.5f, 1.0f, 0.0f };
        s.screws = true;
        list.push_back (s);
    }

    // 14: auto swell
    {
        PedalStyle s;
        s.body = Colour (0xff12887c);
        s.ink = Colour (0xfff6ecd2);
        s.accent = Colour (0xff0b4a43);
        s.panel = Colour (0xfff6ecd2);
        s.glow = Colour (0xff2ff5d9);
        s.led = Colour (0xffffd21f);
        s.knobCap = Colour (0xff202020);
        s.finish = PedalStyle::Finish::gloss;
        s.knobStyle = PedalStyle::KnobStyle::skirted;
        s.layout = PedalStyle::Layout::row;
        s.outline = PedalStyle::Outline::rounded;
        s.motif = PedalStyle::Motif::fHoles;
        s.width = 200.0f;
        s.height = 220.0f;
        s.cornerRadius = 18.0f;
        s.numControls = 3;
        s.switchIndex = -1;
        s.pointerValues = { 0.5f, 0.5f, 0.0f, 0.5f };
        s.screws = false;
        list.push_back (s);
    }

    return list;
}
} // namespace

const std::vector<PedalStyle>& pedalStyles()
{
    static const auto styles = makeStyles();
    return styles;
}
