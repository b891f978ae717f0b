#include "ui/ComboBoxMIDILearn.h"
#include "ui/CustomLookAndFeel.h"
#include "ui/GadgetChainerComponent.h"
#include "ui/MIDILearnComponent.h"
#include "ui/MIDIUnlearnComponent.h"

#include <benchmark/benchmark.h>

// The look and feel is built with every processor, on whatever thread the
// host uses; the editor repaints its controls up to ten times a second.
namespace
{
void lookAndFeelConstruction (benchmark::State& state)
{
    for (auto _ : state)
    {
        CustomLookAndFeel lookAndFeel;
        benchmark::DoNotOptimize (&lookAndFeel);
    }
}
BENCHMARK (lookAndFeelConstruction)->Unit (benchmark::kMicrosecond);

/** Paints a control into an image the size of its bounds, as the editor's
    buffered image receives it. */
void paintRepeatedly (benchmark::State& state, juce::Component& control)
{
    juce::Image image (juce::Image::ARGB, control.getWidth(), control.getHeight(), true);

    for (auto _ : state)
    {
        image.clear (image.getBounds());
        juce::Graphics g (image);
        control.paintEntireComponent (g, false);
        benchmark::ClobberMemory();
    }
}

enum class Control
{
    slotStrip,
    impulseBox,
    armedImpulseBox,
    learnIndicator,
    unlearnIndicator,
};

void paintControl (benchmark::State& state)
{
    const juce::ScopedJuceInitialiser_GUI gui;
    CustomLookAndFeel lookAndFeel;

    switch ((Control) state.range (0))
    {
        case Control::slotStrip:
        {
            GadgetChainerComponent strip (&lookAndFeel);
            std::fill (std::begin (strip.slotEnabled), std::end (strip.slotEnabled), true);
            strip.setSize (97, 35);
            paintRepeatedly (state, strip);
            break;
        }
        case Control::impulseBox:
        case Control::armedImpulseBox:
        {
            ComboBoxMIDILearn box;
            box.setLookAndFeel (&lookAndFeel);
            box.setSize (150, 19);
            box.addItem ("Impulse 3", 3);
            box.setSelectedId (3, juce::dontSendNotification);
            box.armed = (Control) state.range (0) == Control::armedImpulseBox;
            paintRepeatedly (state, box);
            break;
        }
        case Control::learnIndicator:
        {
            MIDILearnComponent indicator (&lookAndFeel);
            indicator.setSize (75, 24);
            paintRepeatedly (state, indicator);
            break;
        }
        case Control::unlearnIndicator:
        {
            MIDIUnlearnComponent indicator (&lookAndFeel);
            indicator.setSize (95, 24);
            paintRepeatedly (state, indicator);
            break;
        }
    }
}
BENCHMARK (paintControl)
    ->ArgName ("control")
    ->DenseRange ((int) Control::slotStrip, (int) Control::unlearnIndicator)
    ->Unit (benchmark::kMicrosecond);
} // namespace
