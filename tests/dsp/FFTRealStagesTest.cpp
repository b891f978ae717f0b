// The stages run in quads (and the three narrowest fused, four blocks at a
// time) must give the bits of the same stages run value by value.

#include "dsp/ffft/FFTRealStages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace
{
using namespace ffft;

std::vector<float> randomValues (size_t length, unsigned salt)
{
    std::mt19937 generator (4711 + salt);
    std::uniform_real_distribution<float> uniform (-1.0f, 1.0f);
    std::vector<float> values (length);

    for (auto& v : values)
        v = uniform (generator);

    return values;
}

long reverseBits (long value, int bits)
{
    long reversed = 0;

    for (int bit = 0; bit < bits; ++bit)
        if ((value >> bit) & 1)
            reversed |= 1L << (bits - 1 - bit);

    return reversed;
}

bool sameBits (const std::vector<float>& a, const std::vector<float>& b)
{
    return a.size() == b.size() && std::memcmp (a.data(), b.data(), a.size() * sizeof (float)) == 0;
}
} // namespace

TEST (FFTRealStages, QuadsGiveTheBitsOfTheScalarStages)
{
    for (int bits = 6; bits <= 14; ++bits)
    {
        const long n = 1L << bits;
        const auto input = randomValues ((size_t) n, (unsigned) bits);
        // Any values serve as twiddles: the question is only whether both paths do the same arithmetic.
        const auto twiddles = randomValues ((size_t) n - 8, 100 + (unsigned) bits);
        std::vector<float> quads ((size_t) n), scalar ((size_t) n), a ((size_t) n), b ((size_t) n);

        for (int level = 3; level < bits; ++level)
        {
            const auto tw = stages::levelTwiddles (twiddles.data(), level);
            stages::forwardPass<true> (quads.data(), input.data(), n, 1L << level, tw);
            stages::forwardPass<false> (scalar.data(), input.data(), n, 1L << level, tw);
            EXPECT_TRUE (sameBits (quads, scalar)) << "forward level " << level << ", N = " << n;

            stages::inversePass<true> (quads.data(), input.data(), n, 1L << level, tw);
            stages::inversePass<false> (scalar.data(), input.data(), n, 1L << level, tw);
            EXPECT_TRUE (sameBits (quads, scalar)) << "inverse level " << level << ", N = " << n;
        }

        std::vector<long> bitReversed ((size_t) n), firstBlocks;

        for (long i = 0; i < n; ++i)
            bitReversed[(size_t) i] = reverseBits (i, bits);

        for (long group = 0; group < n / 64; ++group)
            firstBlocks.push_back (reverseBits (4 * group, bits - 4));

        const auto level3 = stages::levelTwiddles (twiddles.data(), 3);

        stages::forwardFused (quads.data(), input.data(), n, firstBlocks.data(), level3);
        stages::forwardPass4 (a.data(), input.data(), n, bitReversed.data());
        stages::forwardPass8 (b.data(), a.data(), n);
        stages::forwardPass<false> (scalar.data(), b.data(), n, 8, level3);
        EXPECT_TRUE (sameBits (quads, scalar)) << "forward first stages, N = " << n;

        stages::inverseFused (quads.data(), input.data(), n, firstBlocks.data(), level3);
        stages::inversePass<false> (a.data(), input.data(), n, 8, level3);
        stages::inversePass8 (b.data(), a.data(), n);
        stages::inversePass4 (scalar.data(), b.data(), n, bitReversed.data());
        EXPECT_TRUE (sameBits (quads, scalar)) << "inverse last stages, N = " << n;
    }
}
