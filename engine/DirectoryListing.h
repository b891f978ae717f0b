#pragma once

#include <juce_core/juce_core.h>

/** The entries of one folder, read straight from the system. The framework's
    iterator copies a name's raw bytes into a buffer sized by its decoded
    length, so a name that is not valid UTF-8 writes past the buffer; and it
    lists FIFOs, devices and link loops as files, which then block a reader,
    fill memory or trap a caller that steps through them.

    Here names that are not valid UTF-8 are skipped, links are followed (the
    system gives up on loops after its own limit of links, and such an entry
    is skipped), and entries come in the order the system lists them. */
class DirectoryListing
{
public:
    /** The folders directly inside `parent`, hidden ones included. */
    static juce::Array<juce::File> folders (const juce::File& parent);

    /** The regular files directly inside `folder` whose names end in
        `extension` (with the system's sense of case), hidden ones included,
        of at most `maxBytes` bytes. */
    static juce::Array<juce::File> files (const juce::File& folder, juce::StringRef extension, juce::int64 maxBytes);

private:
    enum class Kind
    {
        folder,
        file
    };

    static juce::Array<juce::File>
        list (const juce::File& parent, Kind kind, juce::StringRef extension, juce::int64 maxBytes);
};
