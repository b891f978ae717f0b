#pragma once

// What a host sees of the plug-in in every format, and the settings and
// signal the host tests drive it with. Shared by hosts that have nothing else
// in common, so it needs nothing but the standard library.

#include <cmath>
#include <string>

namespace hostContract
{
constexpr int numParameters = 40;
constexpr int numKinds = 10;
constexpr double sampleRateHz = 48000.0;
constexpr int blockSize = 256;

enum Kind
{
    input,
    output,
    algorithm,
    control1,
    control2,
    control3,
    control4,
    impulse,
    hot,
    enabled
};

inline int indexOf (int slot, int kind) { return slot * numKinds + kind; }

/** "INPUT-SLOT1" .. "ENABLED-SLOT4": slots counted from 1. */
inline std::string hostNameOf (int index)
{
    static const char* const stems[numKinds] = { "INPUT-SLOT", "OUTPUT-SLOT", "ALGO-SLOT", "PRM1-SLOT",
                                                 "PRM2-SLOT",  "PRM3-SLOT",   "PRM4-SLOT", "IMPULSE-SLOT",
                                                 "HOT-SLOT",   "ENABLED-SLOT" };
    return stems[index % numKinds] + std::to_string (index / numKinds + 1);
}

inline bool isAutomatable (int index) { return index % numKinds != enabled; }

struct ValueText
{
    int index;
    float value;
    const char* text;
};

inline const ValueText valueTexts[] = {
    { indexOf (0, output), 0.0f, "-40.0 dB" }, { indexOf (1, output), 0.5f, "0.0 dB" },
    { indexOf (2, input), 0.6f, "12.0 dB" },   { indexOf (3, algorithm), 0.5f, "6.0 " }, // 6.5 ties to even
    { indexOf (0, impulse), 0.5f, "4.0 " }, // 3.5 ties to even
    { indexOf (3, impulse), 1.0f, "7.0 " }, // the trailing blank reaches the host
    { indexOf (1, control3), 0.5f, "0.5 " },   { indexOf (2, hot), 1.0f, "1.0 " },
    { indexOf (3, enabled), 0.0f, "0.0 " },
};

struct Setting
{
    int index;
    float value;
};

/** Slot 1's comb gadget with a delay of about 170 samples and its strongest feedback. */
inline const Setting feedbackComb[] = {
    { indexOf (0, algorithm), 0.0f },
    { indexOf (0, control1), 0.8f },
    { indexOf (0, control2), 1.0f },
};

/** A patch worth saving: the comb above plus a value of every other sort.
    No gadget choice: choosing one rewrites the slot's controls without
    telling the host, whose view of them would then be stale. */
inline const Setting patchToSave[] = {
    { indexOf (0, control1), 0.8f }, { indexOf (0, control2), 1.0f },   { indexOf (0, input), 0.25f },
    { indexOf (1, output), 0.75f },  { indexOf (2, control3), 0.125f }, { indexOf (2, enabled), 1.0f },
    { indexOf (3, hot), 1.0f },
};

/** A quarter second of two different tones, so a channel mix-up would show. */
constexpr int numToneBlocks = (int) (sampleRateHz / 4) / blockSize;

inline float toneSample (int channel, int sampleIndex)
{
    constexpr double twoPi = 6.283185307179586;
    const auto t = (double) sampleIndex / sampleRateHz;
    return channel == 0 ? (float) (0.5 * std::sin (twoPi * 220.0 * t)) : (float) (0.4 * std::sin (twoPi * 331.0 * t));
}

/** Smallest change the feedback comb makes to the tones (it makes far more). */
constexpr float audibleChange = 0.05f;
} // namespace hostContract
