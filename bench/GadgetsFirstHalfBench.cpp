// Cost of the gate chopper, the feedback howl, the diode ladder, the phaser
// and the gated ping-pong delay, each on its own at 48 kHz.

#include "engine/gadgets/GadgetN01.h"
#include "engine/gadgets/GadgetN02.h"
#include "engine/gadgets/GadgetN05.h"
#include "engine/gadgets/GadgetN09.h"
#include "engine/gadgets/GadgetN10.h"

#include "BenchNoise.h"

#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <random>
#include <vector>

namespace
{
constexpr double benchSampleRate = 48000.0;
constexpr float benchTempoBpm = 120.0f;

using Controls = std::array<double, 4>;

// The heavy settings keep every per-sample path busy: the fastest LFOs,
// full resonance and feedback, the longest delay, and for the delay a gate
// that stays below its threshold so its power law runs on every sample.
constexpr Controls vuvuruDefault { 0.5, 0.5, 0.7, 0.5 };
constexpr Controls vuvuruHeavy { 1.0, 1.0, 1.0, 0.5 };
constexpr Controls dirizovaziDefault { 0.0, 0.5, 0.5, 0.5 };
constexpr Controls dirizovaziHeavy { 1.0, 1.0, 1.0, 0.5 };
constexpr Controls virozidurDefault { 1.0, 0.5, 0.0, 0.5 };
constexpr Controls virozidurHeavy { 0.5, 1.0, 1.0, 1.0 };
constexpr Controls rezovIdidizDefault { 0.5, 0.5, 0.5, 0.5 };
constexpr Controls rezovIdidizHeavy { 1.0, 1.0, 1.0, 0.5 };
constexpr Controls dovidUdizurDefault { 0.5, 0.2, 0.3, 0.0 };
constexpr Controls dovidUdizurHeavy { 1.0, 0.9, 0.0, 0.0 };

template <typename Gadget>
void runGadget (benchmark::State& state, Controls controls)
{
    const auto blockSize = (int) state.range (0);
    auto gadget = std::make_unique<Gadget>(); // the delay holds 4 MiB of rings
    gadget->initProcessing (benchSampleRate, blockSize);
    gadget->setParameters (controls[0], controls[1], controls[2], controls[3], 0);
    gadget->reset();

    const auto inputL = benchNoise (blockSize, 1), inputR = benchNoise (blockSize, 2);
    auto left = inputL, right = inputR;

    for (auto _ : state)
    {
        std::copy (inputL.begin(), inputL.end(), left.begin());
        std::copy (inputR.begin(), inputR.end(), right.begin());
        gadget->processSamples (left.data(), right.data(), blockSize, benchTempoBpm);
        benchmark::DoNotOptimize (left.data());
        benchmark::DoNotOptimize (right.data());
    }

    const auto samples = (double) state.iterations() * blockSize;
    state.counters["ns_per_sample"] =
        benchmark::Counter (samples * 1.0e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void Vuvuru (benchmark::State& state, Controls controls) { runGadget<GadgetN09> (state, controls); }
void Dirizovazi (benchmark::State& state, Controls controls) { runGadget<GadgetN05> (state, controls); }
void Virozidur (benchmark::State& state, Controls controls) { runGadget<GadgetN10> (state, controls); }
void RezovIdidiz (benchmark::State& state, Controls controls) { runGadget<GadgetN02> (state, controls); }
void DovidUdizur (benchmark::State& state, Controls controls) { runGadget<GadgetN01> (state, controls); }
} // namespace

BENCHMARK_CAPTURE (Vuvuru, default, vuvuruDefault)->Arg (64)->Arg (512);
BENCHMARK_CAPTURE (Vuvuru, heavy, vuvuruHeavy)->Arg (64)->Arg (512);
BENCHMARK_CAPTURE (Dirizovazi, default, dirizovaziDefault)->Arg (64)->Arg (512);
BENCHMARK_CAPTURE (Dirizovazi, heavy, dirizovaziHeavy)->Arg (64)->Arg (512);
BENCHMARK_CAPTURE (Virozidur, default, virozidurDefault)->Arg (64)->Arg (512);
BENCHMARK_CAPTURE (Virozidur, heavy, virozidurHeavy)->Arg (64)->Arg (512);
BENCHMARK_CAPTURE (RezovIdidiz, default, rezovIdidizDefault)->Arg (64)->Arg (512);
BENCHMARK_CAPTURE (RezovIdidiz, heavy, rezovIdidizHeavy)->Arg (64)->Arg (512);
BENCHMARK_CAPTURE (DovidUdizur, default, dovidUdizurDefault)->Arg (64)->Arg (512);
BENCHMARK_CAPTURE (DovidUdizur, heavy, dovidUdizurHeavy)->Arg (64)->Arg (512);
