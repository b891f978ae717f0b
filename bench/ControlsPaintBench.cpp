#include "dsp/SimpleVuMeter.h"
#include "engine/PresetManagement.h"
#include "ui/ComponentPedalAnim.h"
#include "ui/KnobComponent.h"
#include "ui/SelectorComponent.h"
#include "ui/SpecialComboBox.h"
#include "ui/SwitchComponent.h"
#include "ui/VuMeterComponent.h"

#include "BenchGui.h"

#include <Images.h>
#include <benchmark/benchmark.h>

namespace
{
/** One call of the control's own paint into an image of its size: what a
    repaint costs the editor before the cached image is reused. */
void paintRepeatedly (benchmark::State& state, juce::Component& control)
{
    juce::Image canvas (juce::Image::ARGB, control.getWidth(), control.getHeight(), true);
    juce::Graphics g (canvas);

    for (auto _ : state)
    {
        control.paint (g);
        benchmark::ClobberMemory();
    }
}

void BM_PaintKnob (benchmark::State& state)
{
    startGui();
    KnobComponent knob;
    knob.setBounds (0, 0, 47, 47);
    knob.value = 0.7f;
    knob.name = "Drive";
    knob.font = juce::Font (16.0f);
    knob.armed = state.range (0) != 0;
    paintRepeatedly (state, knob);
}

void BM_PaintSwitch (benchmark::State& state)
{
    startGui();
    SwitchComponent toggle;
    toggle.setBounds (0, 0, 12, 32);
    toggle.state = true;
    toggle.armed = state.range (0) != 0;
    paintRepeatedly (state, toggle);
}

void BM_PaintSelector (benchmark::State& state)
{
    startGui();
    SelectorComponent selector;
    selector.setBounds (0, 0, 30, 30);
    selector.selected = true;
    paintRepeatedly (state, selector);
}

void BM_PaintPedalView (benchmark::State& state)
{
    startGui();
    auto picture = juce::ImageCache::getFromMemory (Images::pedal01_png, Images::pedal01_pngSize);
    ComponentPedalAnim pedal (juce::Font (24.0f));
    pedal.setBounds (0, 0, 732, 300);
    pedal.picture = &picture;
    pedal.title = "Derurevore";
    pedal.hoverTitle = "Vuvuru";
    pedal.description = "A four-band drive with a gentle low end and a bright top. Turn the first knob for more "
                        "gain, the second for tone; the switch picks the voicing.";
    paintRepeatedly (state, pedal);
}

/** The box asks the store for the loaded preset's name on every paint,
    which lists the preset folders on disk. */
void BM_PaintPresetBox (benchmark::State& state)
{
    startGui();
    const auto root = juce::File::createTempFile ("tarvolin-bench-presets");
    ParameterMapping mapping;
    PresetManagement store (&mapping, root);

    for (int i = 0; i < 20; ++i)
        store.savePreset (root.getChildFile ("Guitar/preset " + juce::String (i) + ".pmt"));

    store.loadPreset (0, 10);
    SpecialComboBox box (&store);
    box.setBounds (0, 0, 200, 19);
    paintRepeatedly (state, box);
    root.deleteRecursively();
}

void BM_PaintMeterView (benchmark::State& state)
{
    startGui();
    SimpleVuMeter meter;
    meter.levelDb = -7.0f;
    VuMeterComponent view (&meter);
    view.setBounds (0, 0, 11, 51);
    paintRepeatedly (state, view);
}
} // namespace

BENCHMARK (BM_PaintKnob)->Arg (0)->Arg (1)->ArgName ("armed");
BENCHMARK (BM_PaintSwitch)->Arg (0)->Arg (1)->ArgName ("armed");
BENCHMARK (BM_PaintSelector);
BENCHMARK (BM_PaintPedalView);
BENCHMARK (BM_PaintPresetBox);
BENCHMARK (BM_PaintMeterView);
