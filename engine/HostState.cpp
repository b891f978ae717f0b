#include "HostState.h"

#include "engine/SafeXml.h"
#include "engine/StoredValues.h"

namespace
{
constexpr const char* elementName = "Tarvolin";
constexpr const char* countAttribute = "NumParameters";
constexpr const char* controllerSuffix = "CC";
constexpr const char* folderAttribute = "PresetFolder";
constexpr const char* fileAttribute = "PresetFilename";

constexpr juce::uint32 magicXmlNumber = 0x21324356; // "VC2!" in little-endian bytes
constexpr int lengthOffset = 4;
constexpr int headerSize = 8;

/** A state may only name a preset inside the tree: no path in a name. */
bool isPlainName (const juce::String& name) { return ! name.containsAnyOf ("/\\") && name != ".."; }
} // namespace

juce::XmlElement HostState::createElement (const ParameterMapping& params, const PresetManagement& presets)
{
    juce::XmlElement element (elementName);
    element.setAttribute (countAttribute, ParameterMapping::numParameters);

    for (int i = 0; i < ParameterMapping::numParameters; ++i)
    {
        const auto id = params.getParameterUniqueID (i);

        if (ParameterMapping::kindOf (i) == ParameterMapping::algorithm)
            element.setAttribute (id, StoredValues::gadgetIndexToStore (params.getMappedValue (i)));
        else
            element.setAttribute (id, StoredValues::formatValue (params.getValue (i)));
    }

    for (int i = 0; i < ParameterMapping::numParameters; ++i)
        element.setAttribute (params.getParameterUniqueID (i) + controllerSuffix, params.getMidiCCParameter (i));

    const auto loadedFile = presets.getLoadedFilePreset();

    if (loadedFile != juce::File())
    {
        element.setAttribute (folderAttribute, loadedFile.getParentDirectory().getFileName());
        element.setAttribute (fileAttribute, loadedFile.getFileName());
    }

    return element;
}

void HostState::copyXmlToBinary (const juce::XmlElement& element, juce::MemoryBlock& destination)
{
    {
        juce::MemoryOutputStream out (destination, false);
        out.writeInt ((int) magicXmlNumber);
        out.writeInt (0);
        element.writeTo (out, juce::XmlElement::TextFormat().singleLine().withoutHeader());
        out.writeByte (0);
    }

    const auto textLength = (juce::uint32) (destination.getSize() - (size_t) headerSize - 1);
    auto* bytes = static_cast<juce::uint8*> (destination.getData());

    for (int i = 0; i < 4; ++i)
        bytes[lengthOffset + i] = (juce::uint8) (textLength >> (8 * i));
}

std::unique_ptr<juce::XmlElement> HostState::getXmlFromBinary (const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes <= headerSize)
        return {};

    const auto* bytes = static_cast<const char*> (data);

    if (juce::ByteOrder::littleEndianInt (bytes) != magicXmlNumber)
        return {};

    // The length field may claim more than the host handed over.
    const auto textLength = (int) juce::ByteOrder::littleEndianInt (bytes + lengthOffset);

    if (textLength <= 0)
        return {};

    const auto* text = bytes + headerSize;
    auto numBytes = (size_t) juce::jmin (sizeInBytes - headerSize, textLength);

    // A length that counts the terminating zero (or runs into it) still names
    // the same text; a zero inside the text does not.
    while (numBytes > 0 && text[numBytes - 1] == 0)
        --numBytes;

    return SafeXml::parse (text, numBytes);
}

void HostState::write (const ParameterMapping& params, const PresetManagement& presets, juce::MemoryBlock& destination)
{
    copyXmlToBinary (createElement (params, presets), destination);
}

void HostState::read (const void* data, int sizeInBytes, ParameterMapping& params, PresetManagement& presets)
{
    const auto element = getXmlFromBinary (data, sizeInBytes);

    if (element == nullptr)
        return;

    restorePreset (*element, presets);

    // A count other than ours leaves the preset's values and the controllers.
    if (StoredValues::readInt (*element, countAttribute, 0) != ParameterMapping::numParameters)
        return;

    restoreValues (*element, params);
}

void HostState::restorePreset (const juce::XmlElement& element, PresetManagement& presets)
{
    const auto folder = element.getStringAttribute (folderAttribute);

    if (folder.isEmpty())
    {
        presets.loadDefaultPreset();
        return;
    }

    const auto fileName = element.getStringAttribute (fileAttribute);

    if (! isPlainName (folder) || ! isPlainName (fileName))
    {
        presets.loadDefaultPreset();
        return;
    }

    const auto file = presets.getFolderPreset (PresetManagement::none).getChildFile ("./" + folder + "/" + fileName);

    // A preset deleted since the project was saved leaves the store as it was.
    if (! file.existsAsFile())
        return;

    int folderIndex, entryIndex;
    presets.getIndexesPreset (file, folderIndex, entryIndex);
    presets.loadPreset (folderIndex, entryIndex);
}

void HostState::restoreValues (const juce::XmlElement& element, ParameterMapping& params)
{
    for (int i = 0; i < ParameterMapping::numParameters; ++i)
    {
        const auto id = params.getParameterUniqueID (i);

        if (ParameterMapping::kindOf (i) == ParameterMapping::algorithm)
            params.setMappedValue (i, (float) StoredValues::readGadgetIndex (element, id));
        else
            params.setValue (i, StoredValues::readNormalised (element, id, i));
    }

    for (int i = 0; i < ParameterMapping::numParameters; ++i)
        params.midiCC[(size_t) i] =
            StoredValues::readController (element, params.getParameterUniqueID (i) + controllerSuffix);
}
