// What hosts, project files and preset files may hand over, through both
// doors that read it: the host state and the preset loader. Run under
// AddressSanitizer and UndefinedBehaviorSanitizer in CI.

#include "engine/PluginProcessor.h"
#include "engine/SafeXml.h"

#include "support/StateBlob.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

namespace
{
constexpr int numParameters = ParameterMapping::numParameters;
constexpr int testBlockSize = 128;
constexpr float defaultValue = -1.0f; // in the table: "the parameter's default"

int indexOfID (const ParameterMapping& params, const juce::String& id)
{
    for (int i = 0; i < numParameters; ++i)
        if (params.getParameterUniqueID (i) == id)
            return i;

    return -1;
}

void expectDefinedValues (const TarvolinAudioProcessor& processor, const juce::String& context)
{
    for (int i = 0; i < numParameters; ++i)
    {
        const auto value = processor.params.getValue (i);
        ASSERT_TRUE (value >= 0.0f && value <= 1.0f) << context << ": parameter " << i << " = " << value;
        const auto controller = processor.params.getMidiCCParameter (i);
        ASSERT_TRUE (controller >= -1 && controller <= 127) << context << ": controller " << i;
    }

    for (const auto& slot : processor.slots)
        ASSERT_TRUE (slot.getCurrentIndex() >= 0 && slot.getCurrentIndex() <= 13) << context;
}

/** Every slot switched on with its tube stage, whatever else was restored. */
void expectFiniteAudioFromEverySlot (TarvolinAudioProcessor& processor, const juce::String& context)
{
    for (int slot = 0; slot < ParameterMapping::numSlots; ++slot)
    {
        processor.setParameter (ParameterMapping::indexOf (slot, ParameterMapping::enabled), 1.0f);
        processor.setParameter (ParameterMapping::indexOf (slot, ParameterMapping::hot), 1.0f);
    }

    juce::AudioBuffer<float> buffer (2, testBlockSize);
    juce::Random random (7);

    for (int block = 0; block < 4; ++block)
    {
        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < testBlockSize; ++i)
                buffer.setSample (ch, i, random.nextFloat() - 0.5f);

        juce::MidiBuffer midi;
        processor.processBlock (buffer, midi);

        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < testBlockSize; ++i)
                ASSERT_TRUE (std::isfinite (buffer.getSample (ch, i))) << context;
    }
}

struct ValueCase
{
    const char* attribute;
    const char* text;
    float expected; // normalised, or defaultValue
};

// Clamped to 0..1; not finite gives the default; a gadget index outside
// 0..13 gives gadget 0; numbers too long for the readers saturate.
const ValueCase valueCases[] = {
    { "PRM10", "nan", defaultValue },
    { "PRM10", "NaN", defaultValue },
    { "PRM10", "1e400", defaultValue },
    { "PRM10", "-1e400", defaultValue },
    { "PRM10", "inf", defaultValue },
    { "PRM10", "1e99999999999999", defaultValue },
    { "PRM10", "1e-99999999999999", 0.0f },
    { "PRM10", "-5", 0.0f },
    { "PRM10", "5", 1.0f },
    { "PRM10", "3.5e38", 1.0f },
    { "PRM10", "1e300", 1.0f },
    { "PRM10", "0.25abc", 0.25f },
    { "PRM10", "abc", 0.0f },
    { "PRM10", "", 0.0f },
    { "OUTPUT2", "nan", 0.5f },
    { "ENABLED0", "nan", 1.0f },
    { "HOT1", "1e400", 0.0f },
    { "INDXALGO0", "99", 0.0f },
    { "INDXALGO0", "-3", 0.0f },
    { "INDXALGO0", "13", 1.0f },
    { "INDXALGO0", "7.9", 7.0f / 13.0f },
    { "INDXALGO0", "nan", 0.0f },
    { "INDXALGO0", "-2147483648", 0.0f },
    { "INDXALGO0", "99999999999999999999", 0.0f },
    { "INDXALGO0", "-99999999999999999999", 0.0f },
};

struct ControllerCase
{
    const char* text;
    int expected;
};

const ControllerCase controllerCases[] = {
    { "12", 12 },          { "-1", -1 },         { "0", 0 },
    { "127", 127 },        { "128", -1 },        { "-7", -1 },
    { "-2147483648", -1 }, { "4294967296", -1 }, { "99999999999999999999", -1 },
    { "abc", 0 },
};

juce::String describe (const ValueCase& c) { return juce::String (c.attribute) + "=\"" + c.text + "\""; }

float expectedValue (const ValueCase& c, int index)
{
    return c.expected == defaultValue ? ParameterMapping::defaultValue (index) : c.expected;
}
} // namespace

class HostileInput : public ::testing::Test
{
protected:
    HostileInput() { processor.prepareToPlay (48000.0, testBlockSize); }

    void restore (const void* data, int size) { processor.setStateInformation (data, size); }
    void restore (const juce::MemoryBlock& block) { restore (block.getData(), (int) block.getSize()); }

    /** A preset file in a private tree, loaded into the processor's values. */
    void loadPresetText (const juce::String& text)
    {
        const auto file = presetRoot.folder.getChildFile ("F/hostile.pmt");
        file.getParentDirectory().createDirectory();
        file.replaceWithText (text);
        PresetManagement store (&processor.params, presetRoot.folder);
        store.loadPreset (0, 0);
        processor.updateParameters();
    }

    void loadPresetBytes (const juce::MemoryBlock& bytes)
    {
        const auto file = presetRoot.folder.getChildFile ("F/hostile.pmt");
        file.getParentDirectory().createDirectory();
        file.replaceWithData (bytes.getData(), bytes.getSize());
        PresetManagement store (&processor.params, presetRoot.folder);
        store.loadPreset (0, 0);
        processor.updateParameters();
    }

    TarvolinAudioProcessor processor;
    TemporaryFolder presetRoot;
};

//==============================================================================
TEST_F (HostileInput, ValuesInTheHostState)
{
    for (const auto& c : valueCases)
    {
        restore (blobOf ("<Tarvolin NumParameters=\"40\" " + describe (c) + "/>"));
        const auto index = indexOfID (processor.params, c.attribute);
        EXPECT_EQ (processor.params.getValue (index), expectedValue (c, index)) << describe (c);
        expectDefinedValues (processor, describe (c));
    }

    expectFiniteAudioFromEverySlot (processor, "values in the host state");
}

TEST_F (HostileInput, ValuesInAPresetFile)
{
    for (const auto& c : valueCases)
    {
        loadPresetText ("<Gadgets NumParameters=\"40\" " + describe (c) + "/>");
        const auto index = indexOfID (processor.params, c.attribute);
        EXPECT_EQ (processor.params.getValue (index), expectedValue (c, index)) << describe (c);
        expectDefinedValues (processor, describe (c));
    }

    expectFiniteAudioFromEverySlot (processor, "values in a preset file");
}

TEST_F (HostileInput, ControllersInTheHostState)
{
    for (const auto& c : controllerCases)
    {
        restore (blobOf ("<Tarvolin NumParameters=\"40\" PRM10CC=\"" + juce::String (c.text) + "\"/>"));
        EXPECT_EQ (processor.params.getMidiCCParameter (3), c.expected) << c.text;
    }
}

TEST_F (HostileInput, ParameterCounts)
{
    for (const auto* count : { "-2147483648", "99999999999", "40.5", "1e400", "nan" })
    {
        const auto attributes = "NumParameters=\"" + juce::String (count) + "\" PRM10=\"0.25\"";
        restore (blobOf ("<Tarvolin " + attributes + "/>"));
        expectDefinedValues (processor, count);
        loadPresetText ("<Gadgets " + attributes + "/>");
        expectDefinedValues (processor, count);
    }
}

//==============================================================================
TEST_F (HostileInput, TruncatedStateBlocks)
{
    processor.setParameter (3, 0.3f);
    juce::MemoryBlock valid;
    processor.getStateInformation (valid);

    for (size_t length = 0; length <= valid.getSize(); ++length)
    {
        // A heap copy of exactly this length, so reading past it is caught.
        juce::HeapBlock<char> bytes (juce::jmax ((size_t) 1, length));
        memcpy (bytes.get(), valid.getData(), length);
        restore (bytes.get(), (int) length);
        expectDefinedValues (processor, "length " + juce::String ((int) length));
    }

    expectFiniteAudioFromEverySlot (processor, "truncated");
}

TEST_F (HostileInput, LengthFieldsBeyondTheBlock)
{
    juce::MemoryBlock valid;
    processor.getStateInformation (valid);

    for (auto claimed : { 0xffffffffu, 0x80000000u, 0x7fffffffu, (juce::uint32) valid.getSize(), 0u })
    {
        auto block = valid;
        auto* bytes = static_cast<juce::uint8*> (block.getData());

        for (int i = 0; i < 4; ++i)
            bytes[4 + i] = (juce::uint8) (claimed >> (8 * i));

        restore (block);
        expectDefinedValues (processor, juce::String::toHexString ((juce::int64) claimed));
    }

    // A misaligned copy of a valid block reads the same.
    juce::HeapBlock<char> shifted (valid.getSize() + 1);
    memcpy (shifted.get() + 1, valid.getData(), valid.getSize());
    processor.setParameter (3, 0.9f);
    restore (shifted.get() + 1, (int) valid.getSize());
    EXPECT_EQ (processor.params.getValue (3), 0.5f);

    restore (valid.getData(), -5);
    restore (nullptr, 1000);
    expectDefinedValues (processor, "negative size, null data");
}

TEST_F (HostileInput, RandomBytes)
{
    for (const int seed : { 1, 7, 1999 })
    {
        SCOPED_TRACE ("seed " + std::to_string (seed));
        juce::Random random (seed);

        for (int round = 0; round < 300; ++round)
        {
            juce::MemoryBlock bytes ((size_t) random.nextInt (600) + 1);
            random.fillBitsRandomly (bytes.getData(), bytes.getSize());

            // Half the rounds behind a valid magic number and a fitting length.
            if (round % 2 == 1 && bytes.getSize() > 8)
            {
                auto* raw = static_cast<juce::uint8*> (bytes.getData());
                const juce::uint8 header[] = { 'V', 'C', '2', '!' };
                memcpy (raw, header, 4);
                const auto length = (juce::uint32) bytes.getSize() - 8;

                for (int i = 0; i < 4; ++i)
                    raw[4 + i] = (juce::uint8) (length >> (8 * i));
            }

            restore (bytes);
            expectDefinedValues (processor, "state round " + juce::String (round));

            if (round % 10 == 0)
            {
                loadPresetBytes (bytes);
                expectDefinedValues (processor, "preset round " + juce::String (round));
            }
        }
    }

    expectFiniteAudioFromEverySlot (processor, "random bytes");
}

TEST_F (HostileInput, DocumentsTheParserCannotSurvive)
{
    // Found by fuzzing: the framework's parser reads past its buffer on broken
    // UTF-8 and on some malformed references, overflows its stack on deep
    // nesting (also when an unquoted attribute hides it from a naive scan),
    // loops for ever on entity definitions and on a processing instruction
    // followed by text inside an element. All are refused and read like any
    // document that does not parse.
    juce::MemoryOutputStream fuzzed;
    juce::Base64::convertFromBase64 (
        fuzzed,
        "VkMyIZ4EAAA8VGlydm9saW48P3htbCB2ZXJzaW9uPSIxLjAiIGX///////////////////////////////////////"
        "////////////////////////////////////////////////////////////////////////////////////////"
        "//////////////////////9uY29kaW5nQSJVVEYtOCI/Pg0KIE4=");
    const auto fuzzedText =
        juce::String::fromUTF8 (static_cast<const char*> (fuzzed.getData()) + 8, (int) fuzzed.getDataSize() - 8);
    const auto deep = juce::String::repeatedString ("<a>", 200000);
    const juce::String values ("<Tarvolin NumParameters=\"40\" PRM10=\"0.25\"");

    struct Case
    {
        const char* name;
        juce::String text;
    };

    for (const auto& c :
         { Case { "broken UTF-8", fuzzedText },
           Case { "cut multi-byte",
                  juce::String::fromUTF8 ("<Tarvolin NumParameters=\"40\" PRM10=\"0.25\"/>\xe2\x82", 45) },
           Case { "deep", deep },
           Case { "deep in content", values + ">" + deep },
           Case { "deep behind an attribute", values + " x=1 y=\"" + deep + "\">" },
           Case { "entities",
                  "<!DOCTYPE x [ <!ENTITY a \"aaaa\"> <!ENTITY b \"&a;&a;\"> ]>" + values + " PRM20=\"&b;\"/>" },
           Case { "instruction in content", values + "><?x?>text</Tarvolin>" },
           Case { "reference cut by the end", values + "><a>&#X" },
           Case { "reference to no character", values + " x=\"&#0;\"/>" },
           Case { "reference beyond Unicode", values + " x=\"&#x110000;\"/>" },
           Case { "unknown reference", values + " x=\"&nbsp;\"/>" } })
    {
        processor.setParameter (3, 0.9f);
        restore (blobOf (c.text));
        EXPECT_EQ (processor.params.getValue (3), 0.9f) << c.name;

        // The file reader turns broken UTF-8 into 8-bit characters, so a
        // preset may load; what matters there is that the parser survives.
        loadPresetText (c.text);
        expectDefinedValues (processor, c.name);
    }

    restore (fuzzed.getMemoryBlock());
    expectDefinedValues (processor, "fuzzed block");

    // A declaration, comments, references and a child element are fine.
    restore (blobOf ("<?xml version=\"1.0\"?><!-- <a><a> -->" + values
                     + " x=\"&amp;&LT;&#65;&#x263a;\"><!-- c --><x/></Tarvolin>"));
    EXPECT_EQ (processor.params.getValue (3), 0.25f);
}

TEST_F (HostileInput, TruncatedPresetFiles)
{
    const TemporaryFolder scratch;
    PresetManagement saver (&processor.params, scratch.folder.getChildFile ("Presets"));
    processor.setParameter (3, 0.3f);
    const auto saved = saver.getFolderPreset (0).getChildFile ("full.pmt");
    saver.savePreset (saved);
    juce::MemoryBlock full;
    ASSERT_TRUE (saved.loadFileAsData (full));

    for (size_t length = 0; length <= full.getSize(); length += 7)
    {
        loadPresetBytes (juce::MemoryBlock (full.getData(), length));
        expectDefinedValues (processor, "preset length " + juce::String ((int) length));
    }

    expectFiniteAudioFromEverySlot (processor, "truncated presets");
}

//==============================================================================
namespace
{
juce::MemoryBlock bytesOf (std::initializer_list<int> values)
{
    juce::MemoryBlock block;

    for (auto value : values)
    {
        const auto byte = (juce::uint8) value;
        block.append (&byte, 1);
    }

    return block;
}

juce::MemoryBlock joined (juce::MemoryBlock first, const juce::MemoryBlock& second)
{
    first.append (second.getData(), second.getSize());
    return first;
}

/** "<a>" followed by an overlong '<' and "a>" many times. */
juce::MemoryBlock overlongNesting (int count)
{
    juce::MemoryOutputStream out;
    out.write ("<a>", 3);

    for (int i = 0; i < count; ++i)
        out.write ("\xc0\xbc"
                   "a>",
                   4);

    return out.getMemoryBlock();
}

juce::MemoryBlock wrapped (const juce::MemoryBlock& text)
{
    juce::MemoryOutputStream out;
    out.writeInt (0x21324356);
    out.writeInt ((int) text.getSize());
    out << text;
    out.writeByte (0);
    return out.getMemoryBlock();
}

/** A preset holding `count` attributes with names never seen before. */
juce::MemoryBlock manyNames (int count)
{
    juce::MemoryOutputStream out;
    out << "<Gadgets NumParameters=\"40\" PRM10=\"0.25\"";

    for (int i = 0; i < count; ++i)
        out << " n" << juce::String::toHexString (i) << "=\"1\"";

    out << "/>";
    return out.getMemoryBlock();
}
} // namespace

TEST_F (HostileInput, InputsThatCrashedOrHungEarlierBuilds)
{
    // Read past the buffer, looped for ever, overflowed the stack, or took
    // seconds in the framework's parser. Each now reads as malformed: the
    // values stay as they were.
    const auto overlongQuestionMark =
        bytesOf ({ 0x3c, 0x61, 0x3e, 0x3c, 0xc0, 0xbf, 0x3f, 0x3e, 0x78, 0x3c, 0x2f, 0x61, 0x3e });

    struct Case
    {
        const char* name;
        juce::MemoryBlock state, preset;
    };

    for (const auto& c :
         { Case { "cut declaration",
                  bytesOf (
                      { 0x56, 0x43, 0x32, 0x21, 0x09, 0, 0, 0, 0x3c, 0x3f, 0x3c, 0x3f, 0x78, 0x6d, 0x6c, 0x80, 0xc3 }),
                  {} },
           Case { "overlong '?'",
                  joined (bytesOf ({ 0x56, 0x43, 0x32, 0x21, 0x0d, 0, 0, 0 }), overlongQuestionMark),
                  overlongQuestionMark },
           Case { "overlong nesting", wrapped (overlongNesting (50000)), overlongNesting (50000) },
           Case { "160,000 attribute names", wrapped (manyNames (160000)), manyNames (160000) } })
    {
        processor.setParameter (3, 0.9f);
        restore (c.state);
        EXPECT_EQ (processor.params.getValue (3), 0.9f) << c.name;

        if (c.preset.isEmpty())
            continue;

        loadPresetBytes (c.preset);
        EXPECT_EQ (processor.params.getValue (3), 0.9f) << c.name;
    }

    // The same attributes, few enough, do load.
    loadPresetBytes (manyNames (SafeXml::maxAttributes - 2));
    EXPECT_EQ (processor.params.getValue (3), 0.25f);
}
