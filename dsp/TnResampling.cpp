#include "TnResampling.h"

#include "dsp/ResampleClean.h"

#include <libresample.h>

TnResampling::TnResampling()
    : converterOut (1, 0.0f)
{
    oversampler.reset();
}

TnResampling::~TnResampling()
{
    if (converter != nullptr)
        resample_close (converter);
}

void TnResampling::initResampling (double newRateIn, double newRateOut, int newNumIn, int newNumOut)
{
    rateIn = newRateIn;
    rateOut = newRateOut;
    numIn = std::max (0, newNumIn);
    numOut = std::max (0, newNumOut);

    if (rateIn * 2.0 == rateOut)
    {
        oversampler.initOversampling (numIn);
        mode = twiceUp;
        return;
    }

    if (rateOut * 2.0 == rateIn)
    {
        oversampler.initOversampling (numOut);
        mode = twiceDown;
        return;
    }

    converterNumIn = numIn;
    const double factor = rateOut / rateIn;

    if (numOut != converterNumOut || factor != converterFactor)
    {
        converterNumOut = numOut;
        converterOut.assign ((size_t) numOut, 0.0f);

        if (converter != nullptr)
            resample_close (converter);

        // The ratio is fixed at this one value: a converter refuses ratios
        // outside the bounds it was opened with.
        converter = resample_open (highQuality, factor, factor);
        converterFresh = true;
    }

    converterFactor = factor;
    mode = generalRatio;
}

void TnResampling::reset()
{
    if (mode == generalRatio)
    {
        // Designing the converter's filter is the costly part: a converter
        // that has converted nothing since it was opened is already clean,
        // and one never opened has nothing to clean.
        if (converter != nullptr && ! converterFresh)
            converter = resample_clean (converter, highQuality, converterFactor, converterFactor);

        converterFresh = true;
    }
    else
        oversampler.reset();
}

void TnResampling::processResampling (const float* in, float* out)
{
    if (mode == twiceUp)
    {
        oversampler.processUp (in, numIn);
        const int available = std::min (numOut, oversampler.getSize());
        std::copy (oversampler.getData(), oversampler.getData() + available, out);
        std::fill (out + available, out + numOut, 0.0f);
        return;
    }

    if (mode == twiceDown)
    {
        const int toCopy = std::min (numIn, oversampler.getSize());
        std::copy (in, in + toCopy, oversampler.getData());
        oversampler.processDown (out, numOut);
        return;
    }

    if (converter != nullptr && converterNumIn > 0)
    {
        // The library only reads the input, through a non-const pointer.
        int inputUsed = 0;
        resample_process (converter,
                          converterFactor,
                          const_cast<float*> (in),
                          converterNumIn,
                          1,
                          &inputUsed,
                          converterOut.data(),
                          converterNumOut);
        converterFresh = false;
    }

    std::copy (converterOut.begin(), converterOut.begin() + converterNumOut, out);
}
