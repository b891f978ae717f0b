#pragma once

#include "dsp/RelaxedAtomic.h"

#include <juce_core/juce_core.h>

class DriveProcessing;

/** Base of the fourteen effect algorithms ("gadgets") a slot can run.

    The engine calls the virtual operations; the editor only reads the
    descriptive fields. Setters store values and raise needsUpdate; a gadget
    derives its coefficients on the audio thread at the start of its next
    block, so nothing here is ever recomputed mid-block. */
class Gadgets
{
public:
    Gadgets() = default;
    virtual ~Gadgets() = default;

    /** Stores the four controls (0..1) and the impulse choice; picked up at the next block. */
    virtual void setParameters (double newP1, double newP2, double newP3, double newP4, int impulse);

    /** Stores the host's sample rate and largest block size. */
    virtual void initProcessing (double newSampleRate, int newBlockSize);

    /** Clears the audio state: delay lines, filter states, envelopes, LFO phases. */
    virtual void reset() = 0;

    /** Processes both channels in place; bpm is the host tempo, 0 when unknown. */
    virtual void processSamples (float* left, float* right, int numSamples, float bpm) = 0;

    /** processSamples, then the slot's two tube stages over the block. A
        gadget may run the stages inside its own sample loop instead, with
        the same result. */
    virtual void processSamplesThenDrive (float* left,
                                          float* right,
                                          int numSamples,
                                          float bpm,
                                          DriveProcessing& leftDrive,
                                          DriveProcessing& rightDrive);

    /** Derives every coefficient from p1..p4, the impulse choice and the sample rate. */
    virtual void updateCoefficients() = 0;

    double sampleRate = 44100.0;
    int blockSize = 0;
    RelaxedAtomic<bool> needsUpdate { true };
    RelaxedAtomic<bool> prepared { false };

    juce::String name;
    juce::String description;
    int pedalImageIndex = 0;
    bool usesImpulse = false;
    RelaxedAtomic<int> impulseIndexInUse { 0 };
    RelaxedAtomic<int> impulseIndex { 0 };

    int numControls = 4;
    // A three-control gadget never reads p4, but the slot copies it into its
    // fourth control when it switches here, so it starts at the knob's centre.
    RelaxedAtomic<float> p1 { 0.5f }, p2 { 0.5f }, p3 { 0.5f }, p4 { 0.5f };
    juce::String controlLabel[4];
    bool isSwitch[4] {};

    /** The slot's linear input gain; some gadgets undo or reuse it. */
    RelaxedAtomic<float> inputGain { 1.0f };

protected:
    /** The start of every processSamples: false while unprepared (leave the
        audio alone), otherwise refreshes the coefficients when a change is
        pending. The flag is lowered before the controls are read, so a
        change that lands during the update is picked up next block. */
    bool beginBlock()
    {
        if (! prepared)
            return false;

        // A plain read first: the locked exchange is only worth paying when a change is pending.
        if (needsUpdate && needsUpdate.exchange (false))
            updateCoefficients();

        return true;
    }

    /** The sample rate as the float the forms compute with. */
    float sampleRateF() const noexcept { return (float) sampleRate; }

    void describe (const char* gadgetName,
                   int pictureIndex,
                   std::initializer_list<const char*> labels,
                   std::initializer_list<float> defaults);

    JUCE_DECLARE_NON_COPYABLE (Gadgets)
};
