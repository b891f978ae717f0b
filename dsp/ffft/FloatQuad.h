#pragma once

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#elif defined(__ARM_NEON)
#include <arm_neon.h>
#else
#include <utility>
#endif

namespace ffft
{
/** Four floats that take one instruction per add, subtract or multiply where
    the processor has vectors (SSE2, NEON) and four scalar operations where it
    has not. Every lane rounds exactly as the scalar operation would, so a
    loop written with it gives the same bits as the loop written per value.
    Loads and stores need no alignment; the reversed forms serve the stages
    that walk one array upwards and another downwards, and transpose (a, b,
    c, d) swaps rows and columns of the 4 x 4 matrix whose rows they are. */
struct FloatQuad
{
#if defined(__SSE2__) || defined(_M_X64)
    __m128 v;

    static FloatQuad load (const float* p) noexcept { return { _mm_loadu_ps (p) }; }
    static FloatQuad broadcast (float x) noexcept { return { _mm_set1_ps (x) }; }
    void store (float* p) const noexcept { _mm_storeu_ps (p, v); }

    static void transpose (FloatQuad& a, FloatQuad& b, FloatQuad& c, FloatQuad& d) noexcept
    {
        _MM_TRANSPOSE4_PS (a.v, b.v, c.v, d.v);
    }
    FloatQuad reversed() const noexcept { return { _mm_shuffle_ps (v, v, _MM_SHUFFLE (0, 1, 2, 3)) }; }

    friend FloatQuad operator+ (FloatQuad a, FloatQuad b) noexcept { return { _mm_add_ps (a.v, b.v) }; }
    friend FloatQuad operator- (FloatQuad a, FloatQuad b) noexcept { return { _mm_sub_ps (a.v, b.v) }; }
    friend FloatQuad operator* (FloatQuad a, FloatQuad b) noexcept { return { _mm_mul_ps (a.v, b.v) }; }
#elif defined(__ARM_NEON)
    float32x4_t v;

    static FloatQuad load (const float* p) noexcept { return { vld1q_f32 (p) }; }
    static FloatQuad broadcast (float x) noexcept { return { vdupq_n_f32 (x) }; }
    void store (float* p) const noexcept { vst1q_f32 (p, v); }

    static void transpose (FloatQuad& a, FloatQuad& b, FloatQuad& c, FloatQuad& d) noexcept
    {
        const auto ab = vtrnq_f32 (a.v, b.v);
        const auto cd = vtrnq_f32 (c.v, d.v);
        a.v = vcombine_f32 (vget_low_f32 (ab.val[0]), vget_low_f32 (cd.val[0]));
        b.v = vcombine_f32 (vget_low_f32 (ab.val[1]), vget_low_f32 (cd.val[1]));
        c.v = vcombine_f32 (vget_high_f32 (ab.val[0]), vget_high_f32 (cd.val[0]));
        d.v = vcombine_f32 (vget_high_f32 (ab.val[1]), vget_high_f32 (cd.val[1]));
    }

    FloatQuad reversed() const noexcept
    {
        const auto pairsSwapped = vrev64q_f32 (v);
        return { vextq_f32 (pairsSwapped, pairsSwapped, 2) };
    }

    friend FloatQuad operator+ (FloatQuad a, FloatQuad b) noexcept { return { vaddq_f32 (a.v, b.v) }; }
    friend FloatQuad operator- (FloatQuad a, FloatQuad b) noexcept { return { vsubq_f32 (a.v, b.v) }; }
    friend FloatQuad operator* (FloatQuad a, FloatQuad b) noexcept { return { vmulq_f32 (a.v, b.v) }; }
#else
    float v[4];

    static FloatQuad load (const float* p) noexcept { return { { p[0], p[1], p[2], p[3] } }; }
    static FloatQuad broadcast (float x) noexcept { return { { x, x, x, x } }; }

    static void transpose (FloatQuad& a, FloatQuad& b, FloatQuad& c, FloatQuad& d) noexcept
    {
        FloatQuad* rows[] = { &a, &b, &c, &d };

        for (int r = 0; r < 4; ++r)
            for (int k = r + 1; k < 4; ++k)
                std::swap (rows[r]->v[k], rows[k]->v[r]);
    }

    void store (float* p) const noexcept
    {
        for (int k = 0; k < 4; ++k)
            p[k] = v[k];
    }

    FloatQuad reversed() const noexcept { return { { v[3], v[2], v[1], v[0] } }; }

    template <typename Op>
    static FloatQuad lanes (FloatQuad a, FloatQuad b, Op op) noexcept
    {
        return { { op (a.v[0], b.v[0]), op (a.v[1], b.v[1]), op (a.v[2], b.v[2]), op (a.v[3], b.v[3]) } };
    }

    friend FloatQuad operator+ (FloatQuad a, FloatQuad b) noexcept
    {
        return lanes (a, b, [] (float x, float y) { return x + y; });
    }
    friend FloatQuad operator- (FloatQuad a, FloatQuad b) noexcept
    {
        return lanes (a, b, [] (float x, float y) { return x - y; });
    }
    friend FloatQuad operator* (FloatQuad a, FloatQuad b) noexcept
    {
        return lanes (a, b, [] (float x, float y) { return x * y; });
    }
#endif

    /** The four values ending at p, last first: p[-3..0] read backwards. */
    static FloatQuad loadReversed (const float* p) noexcept { return load (p - 3).reversed(); }

    /** Writes the four values backwards so that the first lands at p: p[0], p[-1], ... */
    void storeReversed (float* p) const noexcept { reversed().store (p - 3); }
};
} // namespace ffft
