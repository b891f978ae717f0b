#include "engine/PluginProcessor.h"
#include "ui/TarvolinAudioProcessorEditor.h"

#include "BenchGui.h"

#include <benchmark/benchmark.h>

namespace
{
/** What a host waits for when it opens the window: the editor built, laid
    out and painted once, children included, into an image of its size.
    Argument 1: every picture decoded afresh, as at the first opening;
    argument 0: the pictures come from the framework's image cache, as when
    a user opens the window again. */
void BM_EditorOpenToFirstPaint (benchmark::State& state)
{
    startGui();
    TarvolinAudioProcessor processor;
    juce::Image canvas (juce::Image::ARGB, 732, 430, true);

    for (auto _ : state)
    {
        auto editor = std::unique_ptr<juce::AudioProcessorEditor> (processor.createEditor());
        juce::Graphics g (canvas);
        editor->paintEntireComponent (g, true);
        benchmark::ClobberMemory();

        if (state.range (0) != 0)
        {
            editor.reset();
            juce::ImageCache::releaseUnusedImages();
        }
    }
}

/** The 200 ms poll when no value moved: the six continuous values of the
    shown slot, and the seven choices (its gadget, impulse and HOT, every
    enabled flag) compared bit for bit with the last tick's. */
void BM_EditorPollWithNothingChanged (benchmark::State& state)
{
    startGui();
    TarvolinAudioProcessor processor;
    TarvolinAudioProcessorEditor editor (&processor);

    for (auto _ : state)
    {
        editor.timerCallback();
        benchmark::ClobberMemory();
    }
}
} // namespace

BENCHMARK (BM_EditorOpenToFirstPaint)->Arg (0)->Arg (1)->Unit (benchmark::kMillisecond);
BENCHMARK (BM_EditorPollWithNothingChanged);
