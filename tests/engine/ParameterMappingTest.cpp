#include "engine/ParameterMapping.h"
#include "engine/PluginProcessor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace
{
int at (int slot, int kind) { return ParameterMapping::indexOf (slot, kind); }
} // namespace

TEST (ParameterMapping, FreshInstanceHoldsTheDefaults)
{
    ParameterMapping mapping;

    for (int slot = 0; slot < ParameterMapping::numSlots; ++slot)
    {
        EXPECT_EQ (mapping.getValue (at (slot, ParameterMapping::enabled)), slot == 0 ? 1.0f : 0.0f);
        EXPECT_EQ (mapping.getValue (at (slot, ParameterMapping::output)), 0.5f);
        EXPECT_EQ (mapping.getMappedValue (at (slot, ParameterMapping::output)), 0.0f);
        EXPECT_EQ (mapping.getValue (at (slot, ParameterMapping::input)), 0.0f);
        EXPECT_EQ (mapping.getValue (at (slot, ParameterMapping::algorithm)), 0.0f);
        EXPECT_EQ (mapping.getValue (at (slot, ParameterMapping::hot)), 0.0f);

        for (int kind = ParameterMapping::control1; kind <= ParameterMapping::control4; ++kind)
            EXPECT_EQ (mapping.getValue (at (slot, kind)), 0.5f);
    }

    for (int i = 0; i < ParameterMapping::numParameters; ++i)
        EXPECT_EQ (mapping.getMidiCCParameter (i), -1);
}

TEST (ParameterMapping, NamesAndUniqueIDs)
{
    ParameterMapping mapping;

    const struct
    {
        int index;
        const char* name;
        const char* uniqueID;
    } cases[] = {
        { 0, "INPUT-SLOT1", "INPUT0" }, { 2, "ALGO-SLOT1", "INDXALGO0" }, { 7, "IMPULSE-SLOT1", "INDXCOMB0" },
        { 15, "PRM3-SLOT2", "PRM31" },  { 28, "HOT-SLOT3", "HOT2" },      { 39, "ENABLED-SLOT4", "ENABLED3" },
    };

    for (const auto& c : cases)
    {
        EXPECT_EQ (mapping.getParameterName (c.index), c.name);
        EXPECT_EQ (mapping.getParameterUniqueID (c.index), c.uniqueID);
    }
}

TEST (ParameterMapping, EngineeringValues)
{
    const struct
    {
        int kind;
        float normalised;
        float engineering;
    } cases[] = {
        { ParameterMapping::input, 1.0f, 20.0f },
        { ParameterMapping::input, 0.5f, 10.0f },
        { ParameterMapping::output, 0.0f, -40.0f },
        { ParameterMapping::output, 1.0f, 40.0f },
        // The choices round half to even, as a float product.
        { ParameterMapping::algorithm, 0.5f, 6.0f },
        { ParameterMapping::algorithm, 1.0f, 13.0f },
        { ParameterMapping::algorithm, 0.6f, 8.0f },
        { ParameterMapping::impulse, 0.5f, 4.0f },
        { ParameterMapping::impulse, 1.0f, 7.0f },
        // The engine's switches are on from the threshold itself.
        { ParameterMapping::hot, ParameterMapping::switchThreshold, 1.0f },
        { ParameterMapping::hot, 0.4999f, 0.0f },
        { ParameterMapping::enabled, ParameterMapping::switchThreshold, 1.0f },
        { ParameterMapping::enabled, 0.4999f, 0.0f },
        { ParameterMapping::control3, 0.25f, 0.25f },
    };

    for (const auto& c : cases)
        EXPECT_EQ (ParameterMapping::toEngineering (c.kind, c.normalised), c.engineering)
            << "kind " << c.kind << " value " << c.normalised;
}

TEST (ParameterMapping, SetMappedValueStoresTheNormalisedFormUnrounded)
{
    ParameterMapping mapping;
    const auto algo = at (1, ParameterMapping::algorithm);
    const auto output = at (1, ParameterMapping::output);

    mapping.setMappedValue (algo, 13.0f);
    EXPECT_EQ (mapping.getMappedValue (algo), 13.0f);

    mapping.setMappedValue (algo, 5.0f);
    EXPECT_EQ (mapping.getValue (algo), 5.0f / 13.0f);

    mapping.setMappedValue (output, 0.0f);
    EXPECT_EQ (mapping.getValue (output), 0.5f);

    mapping.setMappedValue (at (1, ParameterMapping::hot), 0.7f);
    EXPECT_EQ (mapping.getValue (at (1, ParameterMapping::hot)), 0.7f);
}

TEST (ParameterMapping, ValueTextsCarryOneDecimalAndTheUnit)
{
    const struct
    {
        int index;
        float value;
        const char* text;
    } cases[] = {
        { at (0, ParameterMapping::output), 0.0f, "-40.0 dB" }, { at (0, ParameterMapping::input), 0.6f, "12.0 dB" },
        { at (0, ParameterMapping::algorithm), 0.5f, "6.0 " },  { at (0, ParameterMapping::control1), 0.5f, "0.5 " },
        { at (0, ParameterMapping::enabled), 1.0f, "1.0 " },    { at (0, ParameterMapping::impulse), 1.0f, "7.0 " },
        { at (2, ParameterMapping::control2), 0.26f, "0.3 " },
    };

    for (const auto& c : cases)
        EXPECT_EQ (ParameterMapping::textFor (c.index, c.value), c.text);

    // A host asks each parameter for the text of any value, whatever it holds.
    // Held at 0.4 and at 0.6, every parameter shows a text other than some of
    // those asked for, switches included.
    const char* textsOfZeroQuarterOne[ParameterMapping::numKinds][3] = {
        { "0.0 dB", "5.0 dB", "20.0 dB" }, // input
        { "-40.0 dB", "-20.0 dB", "40.0 dB" }, // output
        { "0.0 ", "3.0 ", "13.0 " }, // algorithm: 3.25 rounds to 3
        { "0.0 ", "0.2 ", "1.0 " },
        { "0.0 ", "0.2 ", "1.0 " }, // controls: the tie goes to even
        { "0.0 ", "0.2 ", "1.0 " },
        { "0.0 ", "0.2 ", "1.0 " },
        { "0.0 ", "2.0 ", "7.0 " }, // impulse: 1.75 rounds to 2
        { "0.0 ", "0.0 ", "1.0 " }, // hot
        { "0.0 ", "0.0 ", "1.0 " }, // enabled
    };

    TarvolinAudioProcessor processor;
    const auto& parameters = processor.getParameters();
    ASSERT_EQ (parameters.size(), ParameterMapping::numParameters);

    for (const float held : { 0.4f, 0.6f })
    {
        for (auto* parameter : parameters)
            parameter->setValue (held);

        for (int i = 0; i < ParameterMapping::numParameters; ++i)
        {
            const auto& texts = textsOfZeroQuarterOne[ParameterMapping::kindOf (i)];
            const auto& parameter = *parameters[i];
            EXPECT_EQ (parameter.getText (0.0f, 100), texts[0]) << i << " holding " << held;
            EXPECT_EQ (parameter.getText (0.25f, 100), texts[1]) << i << " holding " << held;
            EXPECT_EQ (parameter.getText (1.0f, 100), texts[2]) << i << " holding " << held;
        }
    }

    // What a host types is read back in the text's own units, to its one decimal.
    constexpr float halfTheLastDecimal = 0.05f + 1.0e-6f;

    for (int i = 0; i < ParameterMapping::numParameters; ++i)
    {
        for (const float value : { 0.0f, 0.25f, 0.6f, 1.0f })
        {
            const auto text = parameters[i]->getText (value, 100);
            const auto readBack = parameters[i]->getValueForText (text);
            EXPECT_NEAR (ParameterMapping::toEngineering (i, readBack),
                         ParameterMapping::toEngineering (i, value),
                         halfTheLastDecimal)
                << i << " from " << text;
        }
    }

    EXPECT_EQ (parameters[at (3, ParameterMapping::output)]->getText (0.0f, 3), "-40") << "cut to the host's length";
}

TEST (ParameterMapping, RemovingAControllerLeavesTheOthers)
{
    ParameterMapping mapping;
    mapping.midiCC[3] = 7;
    mapping.midiCC[4] = 7;

    mapping.removeMIDICCFromParameter (3);

    EXPECT_EQ (mapping.getMidiCCParameter (3), -1);
    EXPECT_EQ (mapping.getMidiCCParameter (4), 7);
}

TEST (ParameterMapping, SanitiseKeepsInRangeBitsAndDefaultsTheRest)
{
    const auto enabled0 = at (0, ParameterMapping::enabled);
    const auto output2 = at (2, ParameterMapping::output);
    const auto nan = std::numeric_limits<float>::quiet_NaN();
    const auto inf = std::numeric_limits<float>::infinity();

    EXPECT_EQ (ParameterMapping::sanitise (enabled0, nan), 1.0f);
    EXPECT_EQ (ParameterMapping::sanitise (output2, inf), 0.5f);
    EXPECT_EQ (ParameterMapping::sanitise (output2, -inf), 0.5f);
    EXPECT_EQ (ParameterMapping::sanitise (output2, -5.0f), 0.0f);
    EXPECT_EQ (ParameterMapping::sanitise (output2, 3.0f), 1.0f);

    const float inRange = 0.123456789f;
    const float kept = ParameterMapping::sanitise (output2, inRange);
    EXPECT_EQ (std::memcmp (&kept, &inRange, sizeof (float)), 0);
}
