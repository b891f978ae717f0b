#include "BundleLocation.h"

namespace
{
/** A bundle's name carries an extension after a proper name, which tells
    "Tarvolin.lv2" from a hidden folder such as "~/.lv2". */
bool isBundleNamed (const juce::File& folder, juce::StringRef extension)
{
    const auto ownExtension = folder.getFileExtension();
    return ownExtension.isNotEmpty() && folder.getFileName().length() > ownExtension.length()
           && (extension.isEmpty() || folder.hasFileExtension (extension));
}
} // namespace

juce::File BundleLocation::folderHoldingBundle()
{
    return folderHoldingBundle (juce::File::getSpecialLocation (juce::File::currentExecutableFile));
}

juce::File BundleLocation::folderHoldingBundle (const juce::File& binary)
{
    const auto parent = binary.getParentDirectory();

    // LV2: Tarvolin.lv2/Tarvolin.so
    if (isBundleNamed (parent, ".lv2"))
        return parent.getParentDirectory();

    // VST3 and macOS bundles: Tarvolin.vst3/Contents/x86_64-linux/Tarvolin.so
    const auto contents = parent.getParentDirectory();
    const auto bundle = contents.getParentDirectory();

    if (contents.getFileName() == "Contents" && isBundleNamed (bundle, {}))
        return bundle.getParentDirectory();

    return parent;
}

juce::File BundleLocation::folderForUserFiles() { return folderHoldingBundle(); }
