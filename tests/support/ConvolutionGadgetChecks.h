#pragma once

#include "support/PollUntil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

/** Checks shared by the two gadgets that own convolution engines, whose
    kernels arrive from loader threads: each test waits for them with a
    bounded poll (the gadget's own readiness test) before it listens. */
namespace convolutiongadgets
{
inline std::vector<float> noise (size_t length, unsigned seed, float amplitude = 1.0f)
{
    std::mt19937 generator (seed);
    std::uniform_real_distribution<float> uniform (-amplitude, amplitude);
    std::vector<float> x (length);

    for (auto& v : x)
        v = uniform (generator);

    return x;
}

inline bool allFinite (const std::vector<float>& x)
{
    return std::all_of (x.begin(), x.end(), [] (float v) { return std::isfinite (v); });
}

/** Every knob at 0, 0.5 and 1 (all 27 combinations) at 22.05 to 192 kHz,
    with a loud input and a high input gain: nothing turns into NaN or
    infinity, whatever the impulse choice. Each new gadget is first handed
    to prepare (to seed a gadget's own noise, say). */
template <typename Gadget, typename KernelsReady, typename Prepare = void (*) (Gadget&)>
void expectFiniteOnKnobGrid (KernelsReady kernelsReady, Prepare prepare = [] (Gadget&) {})
{
    constexpr int blockSize = 256;
    const float positions[] = { 0.0f, 0.5f, 1.0f };

    for (const double rate : { 22050.0, 44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0 })
    {
        auto gadget = std::make_unique<Gadget>();
        prepare (*gadget);
        gadget->inputGain = 10.0f;
        gadget->initProcessing (rate, blockSize);
        gadget->reset();
        ASSERT_TRUE (pollUntil ([&] { return kernelsReady (*gadget); }));
        unsigned combination = 0;

        for (const float a : positions)
            for (const float b : positions)
                for (const float c : positions)
                {
                    gadget->setParameters (a, b, c, 0.5, (int) combination % 8);

                    for (unsigned block = 0; block < 8; ++block)
                    {
                        auto left = noise (blockSize, combination * 16 + block, 3.0f);
                        auto right = noise (blockSize, combination * 16 + block + 8, 3.0f);
                        gadget->processSamples (left.data(), right.data(), blockSize, 120.0f);
                        ASSERT_TRUE (allFinite (left) && allFinite (right))
                            << gadget->name << " at " << rate << " Hz, knobs " << a << " " << b << " " << c;
                    }

                    ++combination;
                }
    }
}

/** Unprepared, and with an empty block, both buffers stay as they were. */
template <typename Gadget>
void expectUntouchedUnpreparedAndEmpty()
{
    auto gadget = std::make_unique<Gadget>();
    auto left = noise (64, 1), right = noise (64, 2);
    const auto leftIn = left, rightIn = right;

    gadget->processSamples (left.data(), right.data(), 64, 120.0f);
    EXPECT_EQ (left, leftIn) << "unprepared";
    EXPECT_EQ (right, rightIn);

    gadget->initProcessing (44100.0, 64);
    gadget->reset();
    gadget->processSamples (left.data(), right.data(), 0, 120.0f);
    EXPECT_EQ (left, leftIn) << "empty block";
    EXPECT_EQ (right, rightIn);
}
} // namespace convolutiongadgets
