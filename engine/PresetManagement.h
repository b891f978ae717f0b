#pragma once

#include "engine/ParameterMapping.h"

#include <juce_core/juce_core.h>

#include <utility>
#include <vector>

/** The user's presets: ".pmt" XML files in a two-level tree, a root folder
    with one level of preset folders below it.

    A preset is addressed by (folder index, entry index) into the listings,
    which follow the directory's own order (nothing is sorted); (-1, -1) is
    the default preset. The disk is read afresh on every call. Only regular
    files (after links) small enough to be a preset, with names that are
    valid UTF-8, are listed; an entry named only by dots before ".pmt" is
    not, since it would show as "." or ".." or nothing.

    Loading only writes the forty values into the ParameterMapping and
    remembers the loaded file: pushing the values into the engine is the
    caller's job (TarvolinAudioProcessor::updateParameters). MIDI controller
    assignments are never part of a preset.

    Safe to call from the host's state thread and the message thread at once:
    every operation that touches the loaded file or the values holds the
    store's lock. The audio thread never calls the store. Failures (a folder
    or file that cannot be created, read or written) leave the state as it
    was; only a save reports one, for the caller to tell the user. */
class PresetManagement
{
public:
    static constexpr int none = -1;

    /** What a preset file's name ends in; listings, the selector and the
        save dialog all go by it. */
    static constexpr char fileExtension[] = ".pmt";
    static constexpr int fileExtensionLength = (int) sizeof (fileExtension) - 1;

    /** The tree next to the installed plug-in: <folder holding the bundle>/Tarvolin/Presets. */
    explicit PresetManagement (ParameterMapping* mappingToFill);

    /** A tree at the given root. A missing root is created, with a first
        preset folder "Guitar"; an existing root, even empty, is left alone. */
    PresetManagement (ParameterMapping* mappingToFill, const juce::File& root);

    static juce::File defaultRootFolder();

    /** Preset folder names, in listing order. */
    juce::StringArray getStringFolders() const;

    /** The ".pmt" file names of a folder, in listing order; empty for an index
        outside the folder list. */
    juce::StringArray getStringEntries (int folder) const;

    /** The file of a preset; the empty File for an address that lists nothing. */
    juce::File getFilePreset (int folder, int entry) const;

    /** A preset folder; a negative or past-the-end index gives the root. */
    juce::File getFolderPreset (int folder) const;

    /** The address of a file: (-1, -1) unless the file lies in a listed
        folder; (folder, -1) when it lies there but is not a listed entry. */
    void getIndexesPreset (const juce::File& file, int& folder, int& entry) const;

    /** Loads a preset's values and makes it the loaded file; (-1, -1) loads
        the default. An address without a file changes nothing. A file that
        does not parse, or whose parameter count is not 1..40, still becomes
        the loaded file but leaves the values as they were. */
    void loadPreset (int folder, int entry);

    /** The defaults of a fresh instance, and no loaded file. */
    void loadDefaultPreset();

    /** Step through default, folder 0's entries, folder 1's, ..., default,
        skipping empty folders, from wherever the loaded file stands. An entry
        that vanished since the listing is passed over: a step always moves,
        or stays on the default when nothing else can be loaded. */
    void loadPreviousPreset();
    void loadNextPreset();

    juce::File getLoadedFilePreset() const;

    /** Writes the current values as a preset. The file is replaced in one step
        through a temporary sibling, so a failed write leaves the old file; a
        read-only file is left as it is. True when the file now holds the values. */
    bool savePreset (const juce::File& file) const;

    /** True for an existing preset that a save never replaces: one its owner
        made read-only, or that we may not write. */
    static bool isReadOnly (const juce::File& file);

    /** The preset selector's text: the loaded entry's name without ".pmt",
        "---- default ----" for the default, empty for an unlisted entry. */
    juce::String getCurrentText() const;

    /** Fixed at construction. */
    const juce::File rootFolder;

private:
    using Address = std::pair<int, int>; // (folder, entry)

    bool loadEntry (int folder, int entry);
    std::vector<Address> navigationOrder() const;
    void step (int direction);
    juce::Array<juce::File> listFolders() const;
    static juce::Array<juce::File> listEntries (const juce::File& folder);
    juce::Array<int> countEntries() const;
    void readValues (const juce::XmlElement& document);

    juce::File loadedFile;
    ParameterMapping* mapping;
    juce::CriticalSection lock;

    JUCE_DECLARE_NON_COPYABLE (PresetManagement)
};
