#include "dsp/DriveProcessing.h"
#include "engine/PluginProcessor.h"

#include <benchmark/benchmark.h>

namespace
{
constexpr double benchSampleRate = 48000.0;

/** One tube stage as a slot runs it with HOT on, over guitar-level noise. */
void BM_TubeStage (benchmark::State& state)
{
    const auto blockSize = (int) state.range (0);
    DriveProcessing stage;
    stage.setParameters (10.0f);
    stage.initProcessing (benchSampleRate, blockSize);

    std::vector<float> input ((size_t) blockSize), buffer ((size_t) blockSize);
    juce::Random random (42);

    for (auto& sample : input)
        sample = random.nextFloat() - 0.5f;

    for (auto _ : state)
    {
        std::copy (input.begin(), input.end(), buffer.begin());
        stage.processSamples (buffer.data(), blockSize);
        benchmark::DoNotOptimize (buffer.data());
    }

    const auto samples = (double) state.iterations() * blockSize;
    state.counters["ns_per_sample"] =
        benchmark::Counter (samples * 1.0e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

/** What a host does when it saves a project and opens it again. */
void BM_StateRoundTrip (benchmark::State& state)
{
    auto processor = std::make_unique<TarvolinAudioProcessor>();
    juce::Random random (42);

    for (int i = 0; i < TarvolinAudioProcessor::numParameters; ++i)
    {
        processor->setParameter (i, random.nextFloat());
        processor->params.midiCC[(size_t) i] = random.nextInt (128);
    }

    juce::MemoryBlock block;

    for (auto _ : state)
    {
        processor->getStateInformation (block);
        processor->setStateInformation (block.getData(), (int) block.getSize());
        benchmark::DoNotOptimize (block.getData());
    }

    state.counters["state_bytes"] = (double) block.getSize();
}
} // namespace

BENCHMARK (BM_TubeStage)->Arg (64)->Arg (256)->Arg (1024);
BENCHMARK (BM_StateRoundTrip)->Unit (benchmark::kMicrosecond);
