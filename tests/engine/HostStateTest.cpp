#include "engine/PluginProcessor.h"
#include "support/StateBlob.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace
{
constexpr int numParameters = ParameterMapping::numParameters;
constexpr double testRate = 48000.0;
constexpr int testBlockSize = 256;

int indexOf (int slot, int kind) { return ParameterMapping::indexOf (slot, kind); }

juce::MemoryBlock stateOf (TarvolinAudioProcessor& processor)
{
    juce::MemoryBlock block;
    processor.getStateInformation (block);
    return block;
}

void restore (TarvolinAudioProcessor& processor, const juce::MemoryBlock& block)
{
    processor.setStateInformation (block.getData(), (int) block.getSize());
}

/** A preset folder with one file, inside the processor's own tree. */
struct PresetInTree
{
    PresetInTree (const TarvolinAudioProcessor& processor, const juce::String& documentText)
        : folder (processor.presets->rootFolder.getChildFile ("state-test-" + juce::Uuid().toString()))
        , file (folder.getChildFile ("chosen.pmt"))
    {
        folder.createDirectory();
        file.replaceWithText (documentText);
    }

    ~PresetInTree() { folder.deleteRecursively(); }

    const juce::File folder, file;
};

juce::String stateNaming (const juce::String& folder, const juce::String& fileName, const juce::String& rest)
{
    return "<Tarvolin PresetFolder=\"" + folder + "\" PresetFilename=\"" + fileName + "\" " + rest + "/>";
}

const juce::String markerPreset ("<Gadgets NumParameters=\"40\" PRM10=\"0.125\"/>");

struct ChangeCounter : juce::ChangeListener
{
    void changeListenerCallback (juce::ChangeBroadcaster*) override { ++count; }
    int count = 0;
};
} // namespace

class HostStateTest : public ::testing::Test
{
protected:
    // The processor broadcasts its restores through the message queue.
    static void SetUpTestSuite() { juce::MessageManager::getInstance(); }
    static void TearDownTestSuite() { juce::MessageManager::deleteInstance(); }

    TarvolinAudioProcessor processor;
};

//==============================================================================
TEST_F (HostStateTest, AFreshInstanceWrapsItsDefaultsAndNoControllers)
{
    const auto block = stateOf (processor);
    const auto* bytes = static_cast<const juce::uint8*> (block.getData());
    ASSERT_GT (block.getSize(), 9u);
    EXPECT_EQ (juce::String::fromUTF8 ((const char*) bytes, 4), "VC2!");
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (bytes + 4), (juce::uint32) block.getSize() - 9);
    EXPECT_EQ (bytes[block.getSize() - 1], 0);

    // Kinds 0..8 of a fresh slot; "ENABLED" is "1" for slot 0 only.
    const char* freshValues[] = { "0", "0.5", "0", "0.5", "0.5", "0.5", "0.5", "0", "0" };
    juce::String expected ("<Tarvolin NumParameters=\"40\"");

    for (int i = 0; i < numParameters; ++i)
    {
        const auto kind = ParameterMapping::kindOf (i);
        const auto value = kind == ParameterMapping::enabled ? (i == indexOf (0, kind) ? "1" : "0") : freshValues[kind];
        expected << " " << processor.params.getParameterUniqueID (i) << "=\"" << value << "\"";
    }

    for (int i = 0; i < numParameters; ++i)
        expected << " " << processor.params.getParameterUniqueID (i) << "CC=\"-1\"";

    expected << "/>";
    EXPECT_EQ (juce::String::fromUTF8 ((const char*) bytes + 8, (int) block.getSize() - 9), expected);
}

TEST_F (HostStateTest, EveryValueAndControllerRoundTripsExactly)
{
    TarvolinAudioProcessor restored;

    for (const int seed : { 1, 7, 1999 })
    {
        SCOPED_TRACE ("seed " + std::to_string (seed));
        juce::Random random (seed);

        for (int i = 0; i < numParameters; ++i)
        {
            const auto isAlgorithm = ParameterMapping::kindOf (i) == ParameterMapping::algorithm;
            processor.setParameter (i, isAlgorithm ? (float) random.nextInt (14) / 13.0f : random.nextFloat());
            processor.params.midiCC[(size_t) i] = random.nextInt (129) - 1;
        }

        processor.setParameter (indexOf (1, ParameterMapping::control2), 0.2f);
        processor.setParameter (indexOf (3, ParameterMapping::input), std::numeric_limits<float>::denorm_min());
        processor.params.midiCC[0] = 127; // the ends of the controller range, whatever the seed drew
        processor.params.midiCC[1] = 0;

        const auto block = stateOf (processor);
        restore (restored, block);

        for (int i = 0; i < numParameters; ++i)
        {
            EXPECT_EQ (restored.params.getValue (i), processor.params.getValue (i)) << i;
            EXPECT_EQ (restored.params.getMidiCCParameter (i), processor.params.getMidiCCParameter (i)) << i;
        }

        for (int slot = 0; slot < ParameterMapping::numSlots; ++slot)
            EXPECT_EQ (restored.slots[slot].getCurrentIndex(), processor.slots[slot].getCurrentIndex());

        EXPECT_EQ (stateOf (restored), block);
    }
}

TEST_F (HostStateTest, EveryGadgetIndexRoundTrips)
{
    TarvolinAudioProcessor restored;

    // Each slot a different gadget on each round, so every slot meets every index.
    for (int round = 0; round < ParameterMapping::numGadgets; ++round)
    {
        auto gadgetOf = [round] (int slot) { return (round + slot) % ParameterMapping::numGadgets; };

        for (int slot = 0; slot < ParameterMapping::numSlots; ++slot)
            processor.setParameter (indexOf (slot, ParameterMapping::algorithm), (float) gadgetOf (slot) / 13.0f);

        const auto block = stateOf (processor);
        restore (restored, block);
        const auto document = juce::AudioProcessor::getXmlFromBinary (block.getData(), (int) block.getSize());
        ASSERT_NE (document, nullptr);

        for (int slot = 0; slot < ParameterMapping::numSlots; ++slot)
        {
            const auto index = indexOf (slot, ParameterMapping::algorithm);
            EXPECT_EQ (document->getIntAttribute (processor.params.getParameterUniqueID (index), -1), gadgetOf (slot));
            EXPECT_EQ (restored.params.getValue (index), processor.params.getValue (index)) << index;
            EXPECT_EQ (restored.slots[slot].getCurrentIndex(), gadgetOf (slot)) << "slot " << slot;
        }
    }
}

TEST_F (HostStateTest, GadgetIndexThirteenSelectsTheLastGadget)
{
    restore (processor, blobOf ("<Tarvolin NumParameters=\"40\" INDXALGO2=\"13\"/>"));
    EXPECT_EQ (processor.params.getValue (indexOf (2, ParameterMapping::algorithm)), 1.0f);
    EXPECT_EQ (processor.slots[2].getCurrentIndex(), 13);
}

TEST_F (HostStateTest, ANamedPresetIsLoadedWhileTheStateValuesWin)
{
    const PresetInTree preset (processor, markerPreset);
    restore (processor,
             blobOf (stateNaming (preset.folder.getFileName(), "chosen.pmt", "NumParameters=\"40\" PRM10=\"0.75\"")));

    EXPECT_EQ (processor.presets->getLoadedFilePreset(), preset.file);
    EXPECT_EQ (processor.presets->getCurrentText(), "chosen");
    EXPECT_EQ (processor.params.getValue (indexOf (0, ParameterMapping::control1)), 0.75f);

    // And the next save names it again.
    const auto element =
        juce::AudioProcessor::getXmlFromBinary (stateOf (processor).getData(), (int) stateOf (processor).getSize());
    ASSERT_NE (element, nullptr);
    EXPECT_EQ (element->getStringAttribute ("PresetFolder"), preset.folder.getFileName());
    EXPECT_EQ (element->getStringAttribute ("PresetFilename"), "chosen.pmt");
}

TEST_F (HostStateTest, PresetNamesOfAnyCharactersComeBack)
{
    // The writer escapes markup, controls and everything beyond ASCII as
    // references, which the reader must turn back into the same names.
    const auto folder = processor.presets->rootFolder.getChildFile (
        juce::String::fromUTF8 ("state-test \xc3\xbc & <\xe2\x82\xac> ") + juce::Uuid().toString());
    const auto file = folder.getChildFile (juce::String::fromUTF8 ("Gr\xc3\xb6\xc3\x9f"
                                                                   "e \"1\"\t'\xf0\x9f\x8e\xb8'.pmt"));
    folder.createDirectory();
    file.replaceWithText (markerPreset);

    int folderIndex, entryIndex;
    processor.presets->getIndexesPreset (file, folderIndex, entryIndex);
    processor.presets->loadPreset (folderIndex, entryIndex);
    const auto saved = stateOf (processor);

    TarvolinAudioProcessor restored;
    restore (restored, saved);
    EXPECT_EQ (restored.presets->getLoadedFilePreset(), file);
    folder.deleteRecursively();
}

TEST_F (HostStateTest, APresetGoneFromDiskLeavesTheStoreAsItWas)
{
    const PresetInTree preset (processor, markerPreset);
    int folder, entry;
    processor.presets->getIndexesPreset (preset.file, folder, entry);
    processor.presets->loadPreset (folder, entry);

    restore (processor,
             blobOf (stateNaming (preset.folder.getFileName(), "deleted.pmt", "NumParameters=\"40\" PRM10=\"0.75\"")));

    EXPECT_EQ (processor.presets->getLoadedFilePreset(), preset.file);
    EXPECT_EQ (processor.params.getValue (indexOf (0, ParameterMapping::control1)), 0.75f);
}

TEST_F (HostStateTest, PresetNamesWithAPathLoadTheDefault)
{
    const PresetInTree preset (processor, markerPreset);
    const auto folderName = preset.folder.getFileName();

    struct Case
    {
        juce::String folder, fileName;
    };

    for (const auto& c : { Case { "..", "chosen.pmt" },
                           Case { folderName + "/../" + folderName, "chosen.pmt" },
                           Case { folderName, "../" + folderName + "/chosen.pmt" },
                           Case { folderName, "sub\\chosen.pmt" } })
    {
        int folder, entry;
        processor.presets->getIndexesPreset (preset.file, folder, entry);
        processor.presets->loadPreset (folder, entry);
        ASSERT_EQ (processor.presets->getLoadedFilePreset(), preset.file);

        // No parameter count: the values are those of the preset chosen, the default.
        restore (processor, blobOf (stateNaming (c.folder, c.fileName, {})));
        EXPECT_EQ (processor.presets->getLoadedFilePreset(), juce::File()) << c.folder << " " << c.fileName;
        EXPECT_EQ (processor.params.getValue (indexOf (0, ParameterMapping::control1)), 0.5f)
            << c.folder << " " << c.fileName;
    }
}

TEST_F (HostStateTest, AnotherParameterCountKeepsDefaultsAndControllers)
{
    for (const auto* count : { "39", "41", "" })
    {
        processor.params.midiCC[3] = 9;
        processor.setParameter (0, 0.9f);
        const auto text = juce::String ("<Tarvolin ")
                          + (*count != 0 ? "NumParameters=\"" + juce::String (count) + "\" " : "")
                          + "INPUT0=\"0.3\" INPUT0CC=\"1\"/>";
        restore (processor, blobOf (text));

        EXPECT_EQ (processor.params.getValue (0), 0.0f) << count; // the default preset's
        EXPECT_EQ (processor.params.getMidiCCParameter (3), 9) << count;
        EXPECT_EQ (processor.params.getMidiCCParameter (0), -1) << count;
    }
}

TEST_F (HostStateTest, MissingAttributesReadAsZeroAndNoController)
{
    for (int i = 0; i < numParameters; ++i)
        processor.params.midiCC[(size_t) i] = 5;

    restore (processor, blobOf ("<Tarvolin NumParameters=\"40\"/>"));

    for (int i = 0; i < numParameters; ++i)
    {
        EXPECT_EQ (processor.params.getValue (i), 0.0f) << i;
        EXPECT_EQ (processor.params.getMidiCCParameter (i), -1) << i;
    }

    // So controller 0 drives nothing.
    processor.setParameter (indexOf (0, ParameterMapping::enabled), 1.0f);
    juce::AudioBuffer<float> buffer (2, 16);
    buffer.clear();
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::controllerEvent (1, 0, 100), 0);
    processor.processBlock (buffer, midi);
    EXPECT_EQ (processor.params.getValue (0), 0.0f);
}

TEST_F (HostStateTest, EveryRestoreCancelsLearningRepushesAndBroadcasts)
{
    const juce::uint8 foreignBytes[] = { 'C', 'c', 'n', 'K', 0, 0, 1, 0, 'F', 'x', 'C', 'k', 1, 2, 3, 4 };
    const auto valid = stateOf (processor);

    struct Case
    {
        const char* name;
        const void* data;
        int size;
        bool keepsValues;
    };

    for (const auto& c : { Case { "null", nullptr, 0, true },
                           Case { "empty", valid.getData(), 0, true },
                           Case { "foreign", foreignBytes, (int) sizeof (foreignBytes), true },
                           Case { "valid", valid.getData(), (int) valid.getSize(), false } })
    {
        ChangeCounter listener;
        processor.addChangeListener (&listener);
        processor.midiLearnParameter = 5;
        processor.params.midiCC[3] = 9;
        processor.params.setValue (0, 1.0f); // behind the engine's back: the gain is still 1

        processor.setStateInformation (c.data, c.size);
        processor.dispatchPendingMessages();
        processor.removeChangeListener (&listener);

        EXPECT_EQ ((int) processor.midiLearnParameter, -1) << c.name;
        EXPECT_EQ (listener.count, 1) << c.name;
        EXPECT_EQ (processor.params.getValue (0), c.keepsValues ? 1.0f : 0.0f) << c.name;
        EXPECT_EQ (processor.params.getMidiCCParameter (3), c.keepsValues ? 9 : -1) << c.name;
        EXPECT_FLOAT_EQ (processor.inputGain[0], c.keepsValues ? 10.0f : 1.0f) << c.name; // re-pushed
    }
}

TEST_F (HostStateTest, RestoreBeforeAndAfterPreparing)
{
    auto stateFor = [] (int gadget, float control) {
        return blobOf (
            "<Tarvolin NumParameters=\"40\" ENABLED0=\"1\" ENABLED1=\"1\" HOT1=\"1\" INPUT1=\"0.5\" OUTPUT1=\"0.5\" INDXALGO1=\""
            + juce::String (gadget) + "\" PRM11=\"" + juce::String (control) + "\" OUTPUT0=\"0.5\"/>");
    };

    auto expectSlotOne = [this] (int gadget, float control) {
        EXPECT_EQ (processor.slots[1].getCurrentIndex(), gadget);
        EXPECT_EQ ((float) processor.slots[1].getCurrentAlgorithmObject()->p1, control);
        EXPECT_FLOAT_EQ (processor.inputGain[1], 3.1622777f); // 10 dB

        juce::AudioBuffer<float> buffer (2, testBlockSize);
        juce::Random random (1);

        for (int block = 0; block < 8; ++block)
        {
            for (int ch = 0; ch < 2; ++ch)
                for (int i = 0; i < testBlockSize; ++i)
                    buffer.setSample (ch, i, random.nextFloat() * 0.2f - 0.1f);

            juce::MidiBuffer midi;
            processor.processBlock (buffer, midi);

            for (int ch = 0; ch < 2; ++ch)
                for (int i = 0; i < testBlockSize; ++i)
                    ASSERT_TRUE (std::isfinite (buffer.getSample (ch, i)));
        }
    };

    restore (processor, stateFor (0, 0.25f));
    processor.prepareToPlay (testRate, testBlockSize);
    expectSlotOne (0, 0.25f);

    restore (processor, stateFor (11, 0.8f));
    expectSlotOne (11, 0.8f);
}

TEST_F (HostStateTest, RestoresAndPresetsWhileAudioRuns)
{
    const PresetInTree preset (processor, markerPreset);
    processor.prepareToPlay (testRate, testBlockSize);

    for (int slot = 0; slot < ParameterMapping::numSlots; ++slot)
        processor.setParameter (indexOf (slot, ParameterMapping::hot), 1.0f);

    const auto saved = stateOf (processor);
    const auto naming = blobOf (
        stateNaming (preset.folder.getFileName(), "chosen.pmt", "NumParameters=\"40\" ENABLED2=\"1\" INDXALGO2=\"9\""));
    std::atomic<bool> running { true };
    std::atomic<bool> allFinite { true };

    std::thread audio ([&] {
        juce::AudioBuffer<float> buffer (2, testBlockSize);
        juce::Random random (3);

        while (running)
        {
            for (int ch = 0; ch < 2; ++ch)
                for (int i = 0; i < testBlockSize; ++i)
                    buffer.setSample (ch, i, random.nextFloat() - 0.5f);

            juce::MidiBuffer midi;
            processor.processBlock (buffer, midi);

            for (int ch = 0; ch < 2; ++ch)
                if (! std::isfinite (buffer.getMagnitude (ch, 0, testBlockSize)))
                    allFinite = false;
        }
    });

    for (int round = 0; round < 50; ++round)
    {
        restore (processor, round % 2 == 0 ? naming : saved);
        processor.presets->loadNextPreset();
        processor.updateParameters();
        (void) stateOf (processor);
    }

    running = false;
    audio.join();
    EXPECT_TRUE (allFinite);
}
