// Cost per sample of the crusher, the plate reverb and the formant filter,
// each on its own at 48 kHz, at their defaults and at their busiest setting.

#include "engine/gadgets/GadgetN03.h"
#include "engine/gadgets/GadgetN04.h"
#include "engine/gadgets/GadgetN07.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace
{
constexpr double benchSampleRate = 48000.0;

struct Controls
{
    double p1, p2, p3, p4;
};

template <typename Gadget>
void runGadget (benchmark::State& state, Controls controls)
{
    const auto blockSize = (int) state.range (0);
    auto gadget = std::make_unique<Gadget>();
    gadget->initProcessing (benchSampleRate, blockSize);
    gadget->reset();
    gadget->setParameters (controls.p1, controls.p2, controls.p3, controls.p4, 0);

    juce::Random random (42);
    std::vector<float> inputL ((size_t) blockSize), inputR ((size_t) blockSize);
    for (int i = 0; i < blockSize; ++i)
    {
        inputL[(size_t) i] = random.nextFloat() * 0.5f - 0.25f;
        inputR[(size_t) i] = random.nextFloat() * 0.5f - 0.25f;
    }

    std::vector<float> left ((size_t) blockSize), right ((size_t) blockSize);
    for (auto _ : state)
    {
        left = inputL;
        right = inputR;
        gadget->processSamples (left.data(), right.data(), blockSize, 120.0f);
        benchmark::DoNotOptimize (left.data());
        benchmark::DoNotOptimize (right.data());
    }

    const auto samples = (double) state.iterations() * blockSize;
    // Inverted rate of (samples x 1e-9) per second: nanoseconds per sample.
    state.counters["ns_per_sample"] =
        benchmark::Counter (samples * 1.0e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void crusher (benchmark::State& state, Controls controls) { runGadget<GadgetN04> (state, controls); }
void reverb (benchmark::State& state, Controls controls) { runGadget<GadgetN03> (state, controls); }
void formant (benchmark::State& state, Controls controls) { runGadget<GadgetN07> (state, controls); }
} // namespace

BENCHMARK_CAPTURE (crusher, defaults, Controls { 0.0, 0.0, 1.0, 0.5 })->Arg (64)->Arg (512);
// Every bit reduced and the clipper applied twice, with holding.
BENCHMARK_CAPTURE (crusher, heavy, Controls { 1.0, 0.5, 0.5, 0.5 })->Arg (64)->Arg (512);
// The reverb's cost hardly depends on its knobs; the longest predelay reaches furthest in memory.
BENCHMARK_CAPTURE (reverb, defaults, Controls { 0.2, 0.5, 0.2, 1.0 })->Arg (64)->Arg (512);
BENCHMARK_CAPTURE (reverb, heavy, Controls { 1.0, 1.0, 1.0, 1.0 })->Arg (64)->Arg (512);
// LFO at full depth and rate, full envelope depth, sharpest resonance.
BENCHMARK_CAPTURE (formant, defaults, Controls { 0.0, 0.5, 0.0, 0.5 })->Arg (64)->Arg (512);
BENCHMARK_CAPTURE (formant, heavy, Controls { 0.5, 1.0, 1.0, 1.0 })->Arg (64)->Arg (512);
