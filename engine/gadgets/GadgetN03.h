#pragma once

#include "engine/GadgetForms.h"
#include "engine/Gadgets.h"

#include <memory>
#include <vector>

/** "Divoror Irovi": a figure-of-eight plate reverb. The mono sum passes a
    predelay, a bandwidth low-pass and four input diffusers into a tank of two
    cross-coupled halves (modulated all-pass, delay, damping low-pass, second
    all-pass, second delay); each output side gathers seven signed taps.
    Lengths are given at 29.8 kHz and scaled to the host rate (up to 192 kHz)
    when the gadget is prepared. */
class GadgetN03 final : public Gadgets
{
public:
    GadgetN03();

    void initProcessing (double newSampleRate, int newBlockSize) override;
    void reset() override;
    void processSamples (float* left, float* right, int numSamples, float bpm) override;
    void updateCoefficients() override;

    /** The lines after the predelay, in signal order. */
    enum Line
    {
        inputAllPass1,
        inputAllPass2,
        inputAllPass3,
        inputAllPass4,
        leftModulatedAllPass,
        leftDelay1,
        leftAllPass2,
        leftDelay2,
        rightModulatedAllPass,
        rightDelay1,
        rightAllPass2,
        rightDelay2,
        numLines
    };

    /** The output taps: seven for the left side, then seven for the right. */
    static constexpr int numTaps = 14;

    // The tank lengths were tuned at this rate; they scale with the host rate.
    static constexpr double designRateHz = 29800.0;
    // Above this rate the lengths stop growing, so the rings (sized for it) suffice.
    static constexpr double highestScaledRateHz = 192000.0;
    static constexpr int longestPredelayAtDesignRate = 10240;
    static constexpr int excursionAtDesignRate = 8;

    static constexpr int predelaySize = 131072;
    static constexpr int inputAllPass1Size = 2048;
    static constexpr int inputAllPass2Size = 1024;
    static constexpr int inputAllPass34Size = 4096;
    static constexpr int modulatedAllPassSize = 8192;
    static constexpr int delay1Size = 65536;
    static constexpr int leftAllPass2Size = 16384;
    static constexpr int rightAllPass2Size = 32768;
    static constexpr int delay2Size = 32768;
    static constexpr int ringSize[numLines] = { inputAllPass1Size,  inputAllPass2Size,    inputAllPass34Size,
                                                inputAllPass34Size, modulatedAllPassSize, delay1Size,
                                                leftAllPass2Size,   delay2Size,           modulatedAllPassSize,
                                                delay1Size,         rightAllPass2Size,    delay2Size };

    int predelay = 0;
    int excursion = 0;
    float decay = 0.0f;
    float decayDiffusion1 = 0.0f;
    float decayDiffusion2 = 0.0f;
    float inputDiffusion1 = 0.0f;
    float inputDiffusion2 = 0.0f;
    float bandwidth = 0.0f;
    float damping = 0.0f;
    float effect = 0.0f;

    int predelayWriteIndex = 0;
    int writeIndex[numLines] {};
    int lfoCounter = 0;

    int predelayMax = 0;
    int scaledExcursion = 0;
    int lineLength[numLines] {};
    int tapOffset[numTaps] {};

    float predelayRing[predelaySize] {};
    float inputAllPass1Ring[inputAllPass1Size] {};
    float inputAllPass2Ring[inputAllPass2Size] {};
    float inputAllPass3Ring[inputAllPass34Size] {};
    float inputAllPass4Ring[inputAllPass34Size] {};
    float leftModulatedRing[modulatedAllPassSize] {};
    float leftDelay1Ring[delay1Size] {};
    float leftAllPass2Ring[leftAllPass2Size] {};
    float leftDelay2Ring[delay2Size] {};
    float rightModulatedRing[modulatedAllPassSize] {};
    float rightDelay1Ring[delay1Size] {};
    float rightAllPass2Ring[rightAllPass2Size] {};
    float rightDelay2Ring[delay2Size] {};

    float bandwidthState = 0.0f;
    float dampingStateL = 0.0f, dampingStateR = 0.0f;
    float interpolationStateL = 0.0f, interpolationStateR = 0.0f;

private:
    struct Modulation
    {
        int cells;
        float eta;
    };

    struct Stereo
    {
        float left, right;
    };

    struct Working;

    /** The modulation for every value of the sample counter at one rate and
        excursion, shared by every plate of the process. */
    using ModulationTable = std::vector<Modulation>;
    static std::shared_ptr<const ModulationTable> modulationTableFor (double rate, int excursionSamples);
    static Modulation modulationAt (int counter, double rate, int excursionSamples) noexcept;

    // Built by initProcessing; without it (never prepared) each sample takes its sine.
    std::shared_ptr<const ModulationTable> modulationTable;

    float diffusedInput (Working& w, float mono) noexcept;
    Modulation nextModulation (Working& w) const noexcept;
    void runTank (Working& w, float diffused) noexcept;
    Stereo gatherTaps (const Working& w) const noexcept;

    template <int Size>
    static float diffuse (float (&ring)[Size], Working& w, Line line, float g, float x) noexcept;
    template <int Size>
    static float modulatedAllPass (float (&ring)[Size],
                                   Working& w,
                                   Line line,
                                   float g,
                                   float x,
                                   const Modulation& modulation,
                                   float& interpolationState) noexcept;
    template <int Size>
    static float decayAllPass (float (&ring)[Size], Working& w, Line line, float g, float x) noexcept;
    template <int Size>
    static float delay (float (&ring)[Size], Working& w, Line line, float x) noexcept;
    template <int Size>
    static float readLine (const float (&ring)[Size], const Working& w, Line line) noexcept;
    template <int Size>
    static float readTap (const float (&ring)[Size], const Working& w, Line line, int tap) noexcept;
    template <int Size>
    static void writeLine (float (&ring)[Size], Working& w, Line line, float value) noexcept;
};
