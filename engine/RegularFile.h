#pragma once

#include <juce_core/juce_core.h>

/** Reading a file named by someone else without being held up or flooded:
    only a regular file (after following links) of bounded size is read, and
    opening never waits, so a FIFO, a device or a link to /dev/zero under a
    preset's name gives a defined failure instead of a hang or a machine out
    of memory. */
class RegularFile
{
public:
    /** True for an existing regular file, after following links. */
    static bool exists (const juce::File& file);

    /** True for an existing regular file that its owner made read-only, or
        that we may not write. */
    static bool isReadOnly (const juce::File& file);

    /** The whole file, when it is a regular file of at most maxBytes;
        false, with `contents` empty, for anything else or a read error. */
    static bool read (const juce::File& file, size_t maxBytes, juce::MemoryBlock& contents);
};
