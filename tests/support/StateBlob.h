#pragma once

#include <juce_core/juce_core.h>

/** The framework's binary XML wrapper (magic, length, text, terminator)
    around any text, as a host would hand it back. */
inline juce::MemoryBlock blobOf (const juce::String& xmlText)
{
    juce::MemoryBlock block;
    juce::MemoryOutputStream out (block, false);
    out.writeInt (0x21324356);
    out.writeInt ((int) xmlText.getNumBytesAsUTF8());
    out << xmlText;
    out.writeByte (0);
    return block;
}
