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

    // Defined here so that a sample loop can inline it.
    void processSample (float& sample) noexcept
    {
        if (needsUpdate)
            updateCoefficients();

        if (type == lowPass)
            sample = lowPassSection (lowPassSection (sample, s1, s2), s3, s4);
        else
            sample = highPassSection (highPassSection (sample, s1, s2), s3, s4);
    }

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

    float lowPassSection (float x, float& bandState, float& lowState) const noexcept
    {
        const auto t = (x - k * bandState - g * bandState - lowState) * h * g;
        const auto band = bandState + t;
        const auto low = lowState + g * band;
        bandState = band + t;
        lowState = low + g * band;
        return low;
    }

    float highPassSection (float x, float& bandState, float& lowState) const noexcept
    {
        const auto high = (x - k * bandState - g * bandState - lowState) * h;
        const auto band = bandState + g * high;
        bandState = band + g * high;
        lowState = lowState + 2.0f * g * band;
        return high;
    }
};
