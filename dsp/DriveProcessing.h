#pragma once

#include "dsp/FloatLanes.h"
#include "dsp/TubeStep.h"

/** Mono triode gain stage behind a slot's "hot" switch: a common-cathode
    triode with a bypassed cathode resistor and a plate load, then a 30 Hz
    output coupling high-pass. Inverting, asymmetric soft saturation whose
    bias drifts with the level through the 10 ms cathode time constant. */
class DriveProcessing
{
public:
    DriveProcessing() = default;

    void setParameters (float driveDb);
    void initProcessing (double newSampleRate, int blockSize);
    void reset();
    void processSamples (float* samples, int numSamples);

    /** Two stages over two buffers of the same length in one loop, as one
        vector. The same values as two processSamples calls. */
    static void processPair (DriveProcessing& first,
                             float* firstSamples,
                             DriveProcessing& second,
                             float* secondSamples,
                             int numSamples);

    /** A slot's left and right stages stepped together, one sample at a time,
        so that a gadget can run them inside its own sample loop: its
        recurrence and theirs then overlap instead of following each other.
        Only for two active stages; finish() must end every block. */
    class Pair
    {
    public:
        Pair (DriveProcessing& left, DriveProcessing& right) noexcept;

        forcedinline FloatLanes process (FloatLanes input) noexcept { return tube::step (coefficients, state, input); }

        /** Hands the states back to the two stages and ends their block. */
        void finish() noexcept;

    private:
        DriveProcessing& left;
        DriveProcessing& right;
        tube::Coefficients<FloatLanes> coefficients;
        tube::State<FloatLanes> state;
    };

    float drive = 0.0f;
    float inGain = 1.0f;
    float outGain = 1.0f;
    double sampleRate = 44100.0;
    bool active = false;
    bool needsUpdate = true;
    float invRk = 0.001f;
    float invCk = 100000.0f;
    float supply = 300.0f;
    float invRp = 1.0e-5f;
    float gridGain = 5.0e-6f;
    float vk = 0.0f;
    float dt = 1.0f / 44100.0f;
    float ip = 0.0f;
    float ig = 0.0f;
    float hpA1 = 0.0f, hpB0 = 0.0f, hpB1 = 0.0f;
    float hpState = 0.0f;
    float gridSlope = 0.0f;
    float explicitSlopeLimit = 0.0f;

    // The stage's rest point with a silent input at 44.1 kHz: plate near
    // 183.45 V, cathode at plate current x 1 kOhm, the high-pass settled.
    float vkRest = 1.1655266f;
    float ipRest = 0.001165505f;
    float igRest = 0.0f;
    float hpRest = -183.0605f;
    float gridSlopeRest = 0.0f;

private:
    void updateCoefficients();
    void endBlock() noexcept;
    bool hasFiniteState() const noexcept;
    tube::Coefficients<float> currentCoefficients() const noexcept;
    tube::State<float> currentState() const noexcept;
    void setState (const tube::State<float>& state) noexcept;
};
