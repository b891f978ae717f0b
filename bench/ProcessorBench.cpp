#include "dsp/FiniteBlock.h"
#include "engine/PluginProcessor.h"

#include <benchmark/benchmark.h>

namespace
{
constexpr double benchSampleRate = 48000.0;

void fillNoise (juce::AudioBuffer<float>& buffer)
{
    juce::Random random (42);

    for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            buffer.setSample (channel, i, random.nextFloat() * 0.5f - 0.25f);
}

/** Four enabled comb slots with LFO, envelope and feedback: the busiest
    Derurevore patch. */
void setHeavyCombPatch (TarvolinAudioProcessor& processor)
{
    for (int slot = 0; slot < TarvolinAudioProcessor::numSlots; ++slot)
    {
        auto index = [slot] (int kind) { return ParameterMapping::indexOf (slot, kind); };
        processor.setParameter (index (ParameterMapping::enabled), 1.0f);
        processor.setParameter (index (ParameterMapping::control1), 0.4f);
        processor.setParameter (index (ParameterMapping::control2), 0.9f);
        processor.setParameter (index (ParameterMapping::control3), 0.6f);
        processor.setParameter (index (ParameterMapping::control4), 0.8f);
        processor.setParameter (index (ParameterMapping::output), 0.45f);
    }
}

/** Four diode ladders with HOT on, at their default controls: a chain
    whose cost is set by the ladder's per-sample solve. */
void setFourLaddersHotPatch (TarvolinAudioProcessor& processor)
{
    constexpr float ladderChoice = 3.0f / 13.0f;

    for (int slot = 0; slot < TarvolinAudioProcessor::numSlots; ++slot)
    {
        auto index = [slot] (int kind) { return ParameterMapping::indexOf (slot, kind); };
        processor.setParameter (index (ParameterMapping::enabled), 1.0f);
        processor.setParameter (index (ParameterMapping::algorithm), ladderChoice);
        processor.setParameter (index (ParameterMapping::hot), 1.0f);
    }
}

void runProcessBlock (benchmark::State& state, void (*setPatch) (TarvolinAudioProcessor&))
{
    const auto blockSize = (int) state.range (0);
    auto processor = std::make_unique<TarvolinAudioProcessor>();

    if (setPatch != nullptr)
        setPatch (*processor);

    processor->prepareToPlay (benchSampleRate, blockSize);
    juce::AudioBuffer<float> input (2, blockSize), buffer (2, blockSize);
    fillNoise (input);
    juce::MidiBuffer midi;

    for (auto _ : state)
    {
        buffer.makeCopyOf (input, true);
        processor->processBlock (buffer, midi);
        benchmark::DoNotOptimize (buffer.getReadPointer (0));
    }

    const auto samples = (double) state.iterations() * blockSize;
    // Inverted rate of (samples x 1e-9) per second: nanoseconds per sample.
    state.counters["ns_per_sample"] =
        benchmark::Counter (samples * 1.0e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["realtime_factor"] = benchmark::Counter (samples / benchSampleRate, benchmark::Counter::kIsRate);
}

void BM_ProcessBlockDefault (benchmark::State& state) { runProcessBlock (state, nullptr); }
void BM_ProcessBlockFourCombs (benchmark::State& state) { runProcessBlock (state, setHeavyCombPatch); }
void BM_ProcessBlockFourLaddersHot (benchmark::State& state) { runProcessBlock (state, setFourLaddersHotPatch); }
} // namespace

/** The last guard each enabled slot runs over its block: the whole check alone. */
void BM_SlotFiniteCheck (benchmark::State& state)
{
    const auto blockSize = (int) state.range (0);
    juce::AudioBuffer<float> buffer (2, blockSize);
    fillNoise (buffer);

    for (auto _ : state)
        benchmark::DoNotOptimize (isFiniteBlock (buffer.getReadPointer (0), buffer.getReadPointer (1), blockSize));

    state.counters["ns_per_sample"] = benchmark::Counter ((double) state.iterations() * blockSize * 1.0e-9,
                                                          benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK (BM_SlotFiniteCheck)->Arg (32)->Arg (64)->Arg (256)->Arg (1024);
BENCHMARK (BM_ProcessBlockDefault)->Arg (32)->Arg (64)->Arg (256)->Arg (1024);
BENCHMARK (BM_ProcessBlockFourCombs)->Arg (32)->Arg (64)->Arg (256)->Arg (1024);
BENCHMARK (BM_ProcessBlockFourLaddersHot)->Arg (64)->Arg (512);
