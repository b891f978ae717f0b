#pragma once

#include <juce_core/juce_core.h>

/** Where the files that live next to the installed plug-in go: the folder
    that holds the plug-in bundle (Tarvolin.vst3, Tarvolin.lv2, a macOS
    bundle), or, for a plain binary such as the VST .so or the standalone
    program, the folder that holds the binary. An AU and a VST installed in
    different folders thus keep their own files. */
class BundleLocation
{
public:
    /** The folder holding the bundle of the running plug-in or program. */
    static juce::File folderHoldingBundle();

    /** The same, for a given binary; bundles are told apart by their layout:
        X.lv2/binary, or X.ext/Contents/<platform>/binary. */
    static juce::File folderHoldingBundle (const juce::File& binary);

    /** The folder our files (the preset tree, the best score) live in. */
    static juce::File folderForUserFiles();
};
