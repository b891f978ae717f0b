#pragma once

/** One half of a fourth-order Linkwitz-Riley crossover: two identical
    second-order Butterworth state-variable sections in cascade, in the
    topology-preserving (trapezoidal) form. A low-pass and a high-pass at the
    same cutoff sum to an all-pass, so splitting a signal and adding the bands
    back loses nothing in level. */
class LinkwitzRileyFilter
{
public:
    enum Type
    {
        lowPass = 0,
        highPass = 1
    };

    explicit LinkwitzRileyFilter (int filterType) noexcept
        : type (filterType)
    {
    }

    /** The new corner is derived before the next sample; the states are kept. */
    void setCutoff (double newSampleRate, float cutoffHz) noexcept;

    void reset() noexcept;

    void processSample (float& sample) noexcept;

    double sampleRate = 44100.0;
    float cutoff = 200.0f;
    bool needsUpdate = true;
    int type = lowPass;
    float g = 0.0f;
    float k = 1.4142135f;
    float h = 0.0f;
    float s1 = 0.0f, s2 = 0.0f, s3 = 0.0f, s4 = 0.0f;

private:
    void updateCoefficients() noexcept;
    float lowPassSection (float x, float& bandState, float& lowState) const noexcept;
    float highPassSection (float x, float& bandState, float& lowState) const noexcept;
};
