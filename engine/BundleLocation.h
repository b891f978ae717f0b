#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

/** Where the files the plug-in keeps for the user go (the preset tree and
    the game's best score).

    For most formats that is the folder that holds the plug-in bundle
    (Tarvolin.vst3, a macOS bundle), or, for a plain binary such as the VST
    .so, the folder that holds the binary: an AU and a VST installed in
    different folders thus keep their own files.

    Two formats cannot do that. An LV2 bundle lies in a folder every LV2 host
    scans, taking each folder and file there for a bundle of its own and
    complaining on every scan. The Linux standalone program is a file named
    Tarvolin, beside which no folder Tarvolin can be made. Both keep their
    files in one fixed place instead, the same for every install: the folder
    Tarvolin in the user's configuration folder ($XDG_CONFIG_HOME, or
    ~/.config when that is not set to an absolute path). */
class BundleLocation
{
public:
    /** The folder holding the bundle of the running plug-in or program. */
    static juce::File folderHoldingBundle();

    /** The same, for a given binary; bundles are told apart by their layout:
        X.lv2/binary, or X.ext/Contents/<platform>/binary. */
    static juce::File folderHoldingBundle (const juce::File& binary);

    /** The folder our files, the preset tree and the best score, live in,
        for the running plug-in or program. The fixed place is created when
        it is missing (a failure shows later as files that cannot be made). */
    static juce::File folderForUserFiles();

    /** The same, for a binary loaded as the given format. A binary inside an
        LV2 bundle counts as LV2 whatever the format says. */
    static juce::File folderForUserFiles (juce::AudioProcessor::WrapperType loadedAs, const juce::File& binary);

    /** The fixed place of the LV2 format and the standalone program. */
    static juce::File fixedFolderForUserFiles();
};
