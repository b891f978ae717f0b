#include "GadgetN11.h"

namespace
{
constexpr float gainRangeDb = 60.0f;
// Below the knob's centre a low-pass from 100 Hz to 20 kHz, above it a
// high-pass from 20 Hz to 8 kHz, both on a cubic knob law.
constexpr float lowPassLowestHz = 100.0f;
constexpr float lowPassRangeHz = 19900.0f;
constexpr float highPassLowestHz = 20.0f;
constexpr float highPassRangeHz = 7980.0f;
} // namespace

GadgetN11::GadgetN11()
{
    describe ("Doviduduza", 7, { "Tone", "Dry", "Wet" }, { 0.5f, 0.0f, 1.0f });
    usesImpulse = true;
    description = "Convolution has always been fascinating. Everybody knows convolution reverbs and the impulse "
                  "responses of speaker cabinets, but what happens when anything at all is taken as an impulse "
                  "response? Here are a few random examples: a heartbeat, a metal pipe and a pole, thick glass, "
                  "a siren, a radar, a storm and a glass vase. Mix them with the dry sound and shape the result "
                  "with the tone knob.";
}

float GadgetN11::knobGain (float knob) noexcept
{
    if (knob == 0.0f)
        return 0.0f;

    return std::pow (10.0f, (knob * gainRangeDb - gainRangeDb) / 20.0f);
}

void GadgetN11::initProcessing (double newSampleRate, int newBlockSize)
{
    Gadgets::initProcessing (newSampleRate, newBlockSize);
    impulseIndexInUse = (int) impulseIndex;
    startLoads();

    const int samples = std::max (0, newBlockSize);

    if (dryBuffer.getNumSamples() != samples || dryBuffer.getNumChannels() != 2)
    {
        dryBuffer.setSize (2, samples, false, true, true);
        dryBuffer.clear();
    }
}

void GadgetN11::startLoads()
{
    // Choice n is response n + 1: response 0 belongs to the tape gadget.
    for (auto& convolver : convolvers)
        convolver.initFFT (impulseIndexInUse + 1, sampleRate, blockSize);
}

void GadgetN11::reset()
{
    for (auto& convolver : convolvers)
        convolver.reset();

    if (blockSize > 0)
        dryBuffer.clear();

    toneStateL = 0.0f;
    toneStateR = 0.0f;
}

void GadgetN11::updateCoefficients()
{
    const auto fs = sampleRateF();
    const float toneKnob = p1;

    dryGain = knobGain (p2);
    wetGain = knobGain (p3);

    if (toneKnob > 0.5f)
    {
        const auto amount = 2.0f * toneKnob - 1.0f;
        tone = forms::OnePole::highPass (
            forms::prewarp (amount * amount * amount * highPassRangeHz + highPassLowestHz, fs));
    }
    else
    {
        const auto amount = 2.0f * toneKnob;
        tone =
            forms::OnePole::lowPass (forms::prewarp (amount * amount * amount * lowPassRangeHz + lowPassLowestHz, fs));
    }

    // A new choice reloads once, here, on the audio thread: the loaders
    // take over and the audio passes unconvolved until they are done.
    if (impulseIndex != impulseIndexInUse)
    {
        impulseIndexInUse = (int) impulseIndex;
        startLoads();
    }
}

void GadgetN11::processSamples (float* left, float* right, int numSamples, float)
{
    if (! beginBlock())
        return;

    // The dry buffer holds one prepared block; a longer one goes in pieces.
    const int longestPiece = dryBuffer.getNumSamples();

    if (longestPiece > 0)
        for (int start = 0; start < numSamples; start += longestPiece)
            processPiece (left + start, right + start, std::min (longestPiece, numSamples - start));

    forms::flushDenormals (toneStateL, toneStateR);
}

void GadgetN11::processPiece (float* left, float* right, int numSamples) noexcept
{
    auto* dryL = dryBuffer.getWritePointer (0);
    auto* dryR = dryBuffer.getWritePointer (1);
    const float dry = dryGain;
    const float wet = wetGain;

    for (int i = 0; i < numSamples; ++i)
    {
        dryL[i] = dry * left[i];
        dryR[i] = dry * right[i];
    }

    convolvers[0].processSamples (left, numSamples);
    convolvers[1].processSamples (right, numSamples);

    // The mix and the tone in one loop, both channels side by side: the
    // tone filter is a chain of dependent operations that the mix rides on.
    const auto section = tone;
    auto stateL = toneStateL, stateR = toneStateR;

    for (int i = 0; i < numSamples; ++i)
    {
        left[i] = section.process (wet * left[i] + dryL[i], stateL);
        right[i] = section.process (wet * right[i] + dryR[i], stateR);
    }

    toneStateL = stateL;
    toneStateR = stateR;
}
