#pragma once

#include "dsp/Oversampling.h"

#include <vector>

/** Converts one buffer between two sample rates: an exact factor of two up
    or down through the half-band Oversampling, any other ratio through
    libresample. Used once per impulse load, on the loader thread only. */
class TnResampling
{
public:
    enum Mode
    {
        twiceUp = 0,
        twiceDown = 1,
        generalRatio = 2
    };

    TnResampling();
    ~TnResampling();

    /** Chooses the path; the general converter is reopened only when its
        output length or ratio changes. */
    void initResampling (double newRateIn, double newRateOut, int newNumIn, int newNumOut);

    /** Returns the chosen path to its starting state, so equal inputs give equal outputs. */
    void reset();

    /** numIn samples of in -> numOut samples of out. */
    void processResampling (const float* in, float* out);

    int getMode() const noexcept { return mode; }
    double getConverterFactor() const noexcept { return converterFactor; }

private:
    static constexpr int highQuality = 1;

    int mode = generalRatio;
    double rateIn = 0.0, rateOut = 0.0;
    int numIn = 0, numOut = 0;
    void* converter = nullptr;
    int converterNumIn = 0;
    int converterNumOut = 0;
    double converterFactor = 0.0;
    // Opened by the first general-ratio request; until then the output is
    // one silent float.
    std::vector<float> converterOut;
    // Nothing converted since the converter was opened or cleaned.
    bool converterFresh = true;
    Oversampling oversampler;

    JUCE_DECLARE_NON_COPYABLE (TnResampling)
};
