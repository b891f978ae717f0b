#include "engine/PluginProcessor.h"

#include <gtest/gtest.h>

namespace
{
constexpr int numParameters = ParameterMapping::numParameters;

/** What a preset sets for parameter i and how the state writes it back. */
juce::String storedValue (int i)
{
    switch (ParameterMapping::kindOf (i))
    {
        case ParameterMapping::algorithm:
            return juce::String (ParameterMapping::slotOf (i) + 3);
        case ParameterMapping::enabled:
            return "1";
        default:
            return "0.25";
    }
}
} // namespace

TEST (HostStateWithPreset, WritesThePresetNamesLastFolderFirst)
{
    juce::MessageManager::getInstance();
    TarvolinAudioProcessor processor;
    const auto folder = processor.presets->rootFolder.getChildFile ("state-order-" + juce::Uuid().toString());
    const auto file = folder.getChildFile ("every value.pmt");
    juce::String preset ("<Gadgets NumParameters=\"40\"");

    for (int i = 0; i < numParameters; ++i)
        preset << " " << processor.params.getParameterUniqueID (i) << "=\"" << storedValue (i) << "\"";

    preset << "/>";
    ASSERT_TRUE (folder.createDirectory());
    ASSERT_TRUE (file.replaceWithText (preset));

    int folderIndex, entryIndex;
    processor.presets->getIndexesPreset (file, folderIndex, entryIndex);
    processor.presets->loadPreset (folderIndex, entryIndex);

    juce::MemoryBlock block;
    processor.getStateInformation (block);
    folder.deleteRecursively();

    // Hosts compare saved states byte for byte: the order of the attributes is part of the format.
    juce::String expected ("<Tarvolin NumParameters=\"40\"");

    for (int i = 0; i < numParameters; ++i)
        expected << " " << processor.params.getParameterUniqueID (i) << "=\"" << storedValue (i) << "\"";

    for (int i = 0; i < numParameters; ++i)
        expected << " " << processor.params.getParameterUniqueID (i) << "CC=\"-1\"";

    expected << " PresetFolder=\"" << folder.getFileName() << "\" PresetFilename=\"every value.pmt\"/>";
    ASSERT_GT (block.getSize(), 9u);
    EXPECT_EQ (juce::String::fromUTF8 ((const char*) block.getData() + 8, (int) block.getSize() - 9), expected);
}
