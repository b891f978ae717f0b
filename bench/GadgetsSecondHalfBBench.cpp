// Cost of the tone stack, the rotating speaker and the auto-swell on their
// own, and of the busiest four-slot chains through the whole processor.

#include "engine/PluginProcessor.h"
#include "engine/gadgets/GadgetN12.h"
#include "engine/gadgets/GadgetN13.h"
#include "engine/gadgets/GadgetN14.h"

#include <benchmark/benchmark.h>

namespace
{
constexpr double benchSampleRate = 48000.0;
constexpr int inputLength = 8192;

std::vector<float> benchNoise (std::int64_t seed)
{
    juce::Random random (seed);
    std::vector<float> samples (inputLength);
    for (auto& x : samples)
        x = random.nextFloat() - 0.5f;
    return samples;
}

void reportPerSample (benchmark::State& state, int blockSize)
{
    const auto samples = (double) state.iterations() * blockSize;
    // Inverted rate of (samples x 1e-9) per second: nanoseconds per sample.
    state.counters["ns_per_sample"] =
        benchmark::Counter (samples * 1.0e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["realtime_factor"] = benchmark::Counter (samples / benchSampleRate, benchmark::Counter::kIsRate);
}

struct Controls
{
    double p1, p2, p3, p4;
};

/** Runs one gadget over blocks of range(0) samples; range(1) = 1 picks the heavy setting.
    beforeBlock may put the gadget into its costliest state before each block. */
template <typename Gadget, typename BeforeBlock>
void runGadget (benchmark::State& state, Controls defaults, Controls heavy, BeforeBlock beforeBlock)
{
    const auto blockSize = (int) state.range (0);
    const auto controls = state.range (1) != 0 ? heavy : defaults;
    auto gadget = std::make_unique<Gadget>();
    gadget->initProcessing (benchSampleRate, blockSize);
    gadget->setParameters (controls.p1, controls.p2, controls.p3, controls.p4, 0);
    gadget->reset();

    const auto inputL = benchNoise (1), inputR = benchNoise (2);
    std::vector<float> left ((size_t) blockSize), right ((size_t) blockSize);
    size_t position = 0;

    for (auto _ : state)
    {
        if (position + (size_t) blockSize > inputL.size())
            position = 0;
        std::copy_n (inputL.begin() + (std::ptrdiff_t) position, blockSize, left.begin());
        std::copy_n (inputR.begin() + (std::ptrdiff_t) position, blockSize, right.begin());
        position += (size_t) blockSize;

        beforeBlock (*gadget);
        gadget->processSamples (left.data(), right.data(), blockSize, 120.0f);
        benchmark::DoNotOptimize (left.data());
        benchmark::DoNotOptimize (right.data());
    }

    reportPerSample (state, blockSize);
}

void BM_ToneStack (benchmark::State& state)
{
    // Every setting costs the same: one third-order filter per channel.
    runGadget<GadgetN12> (state, { 0.5, 0.5, 0.5, 0.5 }, { 1.0, 1.0, 1.0, 0.5 }, [] (GadgetN12&) {});
}

void BM_RotatingSpeaker (benchmark::State& state)
{
    // Heavy: fast rotors and both dry and wet paths.
    runGadget<GadgetN13> (state, { 0.5, 0.5, 1.0, 0.0 }, { 1.0, 1.0, 0.5, 1.0 }, [] (GadgetN13&) {});
}

void BM_AutoSwell (benchmark::State& state)
{
    // Heavy: full depth, and held in the middle of a 3 s fade, the only
    // path with a power per sample.
    const bool heavy = state.range (1) != 0;
    runGadget<GadgetN14> (state, { 0.5, 0.5, 0.0, 0.5 }, { 1.0, 1.0, 1.0, 0.5 }, [heavy] (GadgetN14& gadget) {
        if (heavy)
            gadget.fadeCount = gadget.fadeLength / 2;
    });
}

/** Four enabled slots all running gadget range(1) (ALGO index) with HOT on
    and busy controls, through the processor. */
void BM_FourSlotChainHot (benchmark::State& state)
{
    const auto blockSize = (int) state.range (0);
    const auto gadgetIndex = (int) state.range (1);
    auto processor = std::make_unique<TarvolinAudioProcessor>();

    for (int slot = 0; slot < TarvolinAudioProcessor::numSlots; ++slot)
    {
        auto index = [slot] (int kind) { return ParameterMapping::indexOf (slot, kind); };
        processor->setParameter (index (ParameterMapping::enabled), 1.0f);
        processor->setParameter (index (ParameterMapping::algorithm), (float) gadgetIndex / 13.0f);
        processor->setParameter (index (ParameterMapping::hot), 1.0f);
        for (int kind : { ParameterMapping::control1,
                          ParameterMapping::control2,
                          ParameterMapping::control3,
                          ParameterMapping::control4 })
            processor->setParameter (index (kind), 0.9f);
        processor->setParameter (index (ParameterMapping::output), 0.45f);
    }

    processor->prepareToPlay (benchSampleRate, blockSize);
    juce::AudioBuffer<float> input (2, blockSize), buffer (2, blockSize);
    const auto noiseL = benchNoise (3), noiseR = benchNoise (4);
    input.copyFrom (0, 0, noiseL.data(), blockSize);
    input.copyFrom (1, 0, noiseR.data(), blockSize);
    juce::MidiBuffer midi;

    for (auto _ : state)
    {
        buffer.makeCopyOf (input, true);
        processor->processBlock (buffer, midi);
        benchmark::DoNotOptimize (buffer.getReadPointer (0));
    }

    reportPerSample (state, blockSize);
}
} // namespace

BENCHMARK (BM_ToneStack)->ArgNames ({ "block", "heavy" })->ArgsProduct ({ { 64, 512 }, { 0, 1 } });
BENCHMARK (BM_RotatingSpeaker)->ArgNames ({ "block", "heavy" })->ArgsProduct ({ { 64, 512 }, { 0, 1 } });
BENCHMARK (BM_AutoSwell)->ArgNames ({ "block", "heavy" })->ArgsProduct ({ { 64, 512 }, { 0, 1 } });
BENCHMARK (BM_FourSlotChainHot)
    ->ArgNames ({ "block", "algo" })
    ->ArgsProduct ({ { 64, 512 }, benchmark::CreateDenseRange (0, 13, 1) });
