#pragma once

#include <juce_core/juce_core.h>

/** Doubles or halves the sample rate of a block through one 25-tap half-band
    low-pass, run polyphase: the even phase is a single centre tap, the odd
    phase twelve symmetric taps. The filter's centre delays by 12 samples of
    the doubled rate. */
class Oversampling
{
public:
    Oversampling();

    static constexpr int oddTapCount = 12;
    static constexpr int evenTapCount = 13;
    static constexpr float centreTap = 0.49977398f;

    /** Makes room for 2n values; keeps the buffer when it already has that size. */
    void initOversampling (int n);

    /** n input samples -> 2n values in the buffer (initOversampling (n) first). */
    void processUp (const float* in, int n);

    /** The buffer's 2n values -> n output samples; positions beyond the buffer read as 0. */
    void processDown (float* out, int n);

    float* getData() noexcept { return buffer.getRawDataPointer(); }
    int getSize() const noexcept { return buffer.size(); }

    void reset();

    static const float oddTaps[oddTapCount];

private:
    // The centre tap sits 6 input samples back: a ring of 7 slots.
    static constexpr int centreRingSlots = 7;

    static int advanceRing (int index) noexcept { return index + 1 >= centreRingSlots ? 0 : index + 1; }
    static float oddPhase (const float (&line)[oddTapCount]) noexcept;
    static void pushFront (float (&line)[oddTapCount], float value) noexcept;
    float bufferAt (int position) const noexcept;

    juce::Array<float> buffer;
    float evenTaps[evenTapCount] {};
    float downAccumulator = 0.0f;
    int upIndex = 0, downIndex = 0;
    float upRing[evenTapCount] {};
    float upLine[oddTapCount] {};
    float downRing[evenTapCount] {};
    float downLine[oddTapCount] {};
};
