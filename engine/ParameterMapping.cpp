#include "ParameterMapping.h"

#include <cmath>

namespace
{
constexpr const char* nameStems[] = { "INPUT-SLOT", "OUTPUT-SLOT", "ALGO-SLOT",    "PRM1-SLOT", "PRM2-SLOT",
                                      "PRM3-SLOT",  "PRM4-SLOT",   "IMPULSE-SLOT", "HOT-SLOT",  "ENABLED-SLOT" };
constexpr const char* idStems[] = { "INPUT", "OUTPUT", "INDXALGO", "PRM1", "PRM2",
                                    "PRM3",  "PRM4",   "INDXCOMB", "HOT",  "ENABLED" };

constexpr float inputRangeDb = 20.0f;
constexpr float outputRangeDb = 80.0f;
constexpr float outputFloorDb = -40.0f;
constexpr float lastGadget = 13.0f;
constexpr float lastImpulse = 7.0f;
} // namespace

ParameterMapping::ParameterMapping()
{
    for (int i = 0; i < numParameters; ++i)
    {
        values[(size_t) i] = defaultValue (i);
        midiCC[(size_t) i] = noController;
    }

    initParameterUniqueIDs();
}

void ParameterMapping::initParameterUniqueIDs()
{
    for (int i = 0; i < numParameters; ++i)
        uniqueIDs[(size_t) i] = uniqueIDFor (i);
}

juce::String ParameterMapping::uniqueIDFor (int index)
{
    return juce::String (idStems[kindOf (index)]) + juce::String (slotOf (index));
}

juce::String ParameterMapping::nameFor (int index)
{
    return juce::String (nameStems[kindOf (index)]) + juce::String (slotOf (index) + 1);
}

float ParameterMapping::defaultValue (int index) noexcept
{
    switch (kindOf (index))
    {
        case output:
        case control1:
        case control2:
        case control3:
        case control4:
            return 0.5f;
        case enabled:
            return slotOf (index) == 0 ? 1.0f : 0.0f;
        default:
            return 0.0f;
    }
}

float ParameterMapping::roundChoice (float normalised, float steps) noexcept
{
    const float product = normalised * steps;
    return (float) std::nearbyint ((double) product); // the default rounding mode ties to even
}

float ParameterMapping::toEngineering (int index, float v) noexcept
{
    switch (kindOf (index))
    {
        case input:
            return inputRangeDb * v;
        case output:
            return outputRangeDb * v + outputFloorDb;
        case algorithm:
            return roundChoice (v, lastGadget);
        case impulse:
            return roundChoice (v, lastImpulse);
        case hot:
        case enabled:
            return v >= switchThreshold ? 1.0f : 0.0f;
        default:
            return v;
    }
}

float ParameterMapping::toNormalised (int index, float e) noexcept
{
    switch (kindOf (index))
    {
        case input:
            return e / inputRangeDb;
        case output:
            return (e - outputFloorDb) / outputRangeDb;
        case algorithm:
            return e / lastGadget;
        case impulse:
            return e / lastImpulse;
        default:
            return e;
    }
}

juce::String ParameterMapping::textFor (int index, float normalised)
{
    const auto kind = kindOf (index);
    const auto unit = (kind == input || kind == output) ? "dB" : "";
    return juce::String (toEngineering (index, normalised), 1) + " " + unit;
}

float ParameterMapping::sanitise (int index, float value) noexcept
{
    if (! std::isfinite (value))
        return defaultValue (index);

    return juce::jlimit (0.0f, 1.0f, value);
}
