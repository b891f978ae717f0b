#pragma once

#include "engine/ParameterMapping.h"
#include "engine/PresetManagement.h"

#include <juce_audio_processors/juce_audio_processors.h>

/** The block a host saves with its project: one XML element "Tarvolin"
    holding the forty values, the forty MIDI controller assignments and the
    loaded preset's folder and file name, in the framework's binary XML
    wrapper (magic "VC2!", little-endian text length, the text, a zero).

    Reading restores the named preset (or the default) first, so the preset
    selector shows it, and then the values the project had. What reaches the
    engine is made safe here; the processor then re-pushes everything. */
class HostState
{
public:
    static void write (const ParameterMapping& params, const PresetManagement& presets, juce::MemoryBlock& destination);

    /** Reads as much of the block as it can; never past sizeInBytes. */
    static void read (const void* data, int sizeInBytes, ParameterMapping& params, PresetManagement& presets);

private:
    static juce::XmlElement createElement (const ParameterMapping& params, const PresetManagement& presets);

    /** The framework's wrapper, written with no XML declaration. */
    static void copyXmlToBinary (const juce::XmlElement& element, juce::MemoryBlock& destination);

    /** The framework's reading of the wrapper (same checks, never past
        sizeInBytes), handing the text to our own reader. */
    static std::unique_ptr<juce::XmlElement> getXmlFromBinary (const void* data, int sizeInBytes);

    static void restorePreset (const juce::XmlElement& element, PresetManagement& presets);
    static void restoreValues (const juce::XmlElement& element, ParameterMapping& params);
};
