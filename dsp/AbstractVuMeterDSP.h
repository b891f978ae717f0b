#pragma once

#include "dsp/RelaxedAtomic.h"

/** The measuring half of a level meter. The audio thread feeds it one
    channel a block at a time; a meter view on the message thread calls
    refresh() every 100 ms and then reads levelDb. */
class AbstractVuMeterDSP
{
public:
    /** What a view shows below the meter's floor. */
    static constexpr float silentDb = -200.0f;

    virtual ~AbstractVuMeterDSP() = default;

    /** Prepares the meter for a sample rate; until then it measures nothing. */
    virtual void setSampleRate (double sampleRate) = 0;

    /** Back to silence. */
    virtual void reset() = 0;

    /** Turns the envelope into levelDb (message thread). */
    virtual void refresh() = 0;

    /** Follows the envelope over one block of one channel; the samples are only read. */
    virtual void processSamples (const float* samples, int numSamples) = 0;

    /** The level to display in dB, silentDb below the floor. */
    RelaxedAtomic<float> levelDb { silentDb };
};
