#include "ui/ComboBoxMIDILearn.h"
#include "ui/CustomLookAndFeel.h"
#include "ui/GadgetChainerComponent.h"
#include "ui/MIDILearnComponent.h"
#include "ui/MIDIUnlearnComponent.h"

#include "BenchGui.h"

#include <benchmark/benchmark.h>

// The look and feel is built with every processor, on whatever thread the
// host uses; the editor repaints its controls up to ten times a second.
namespace
{
/** The control and its children painted once into an image of its size (the
    impulse box's text is a child label). */
void paintRepeatedly (benchmark::State& state, juce::Component& control)
{
    juce::Image canvas (juce::Image::ARGB, control.getWidth(), control.getHeight(), true);

    for (auto _ : state)
    {
        juce::Graphics g (canvas);
        control.paintEntireComponent (g, false);
        benchmark::ClobberMemory();
    }
}

void BM_LookAndFeelConstruction (benchmark::State& state)
{
    for (auto _ : state)
    {
        CustomLookAndFeel lookAndFeel;
        benchmark::DoNotOptimize (&lookAndFeel);
    }
}

void BM_PaintSlotStrip (benchmark::State& state)
{
    startGui();
    CustomLookAndFeel lookAndFeel;
    GadgetChainerComponent strip (&lookAndFeel);
    std::fill (std::begin (strip.slotEnabled), std::end (strip.slotEnabled), true);
    strip.setBounds (0, 0, 97, 35);
    paintRepeatedly (state, strip);
}

void BM_PaintImpulseBox (benchmark::State& state)
{
    startGui();
    CustomLookAndFeel lookAndFeel;
    ComboBoxMIDILearn box;
    box.setLookAndFeel (&lookAndFeel);
    box.setBounds (0, 0, 150, 19);
    box.addItem ("Impulse 3", 3);
    box.setSelectedId (3, juce::dontSendNotification);
    box.armed = state.range (0) != 0;
    paintRepeatedly (state, box);
}

template <typename Indicator>
void BM_PaintIndicator (benchmark::State& state)
{
    startGui();
    CustomLookAndFeel lookAndFeel;
    Indicator indicator (&lookAndFeel);
    indicator.setBounds (0, 0, 95, 24);
    paintRepeatedly (state, indicator);
}
} // namespace

BENCHMARK (BM_LookAndFeelConstruction)->Unit (benchmark::kMicrosecond);
BENCHMARK (BM_PaintSlotStrip);
BENCHMARK (BM_PaintImpulseBox)->Arg (0)->Arg (1)->ArgName ("armed");
BENCHMARK_TEMPLATE (BM_PaintIndicator, MIDILearnComponent);
BENCHMARK_TEMPLATE (BM_PaintIndicator, MIDIUnlearnComponent);
