#include "BundleLocation.h"

namespace
{
constexpr const char* userFolderName = "Tarvolin";
constexpr const char* configHomeVariable = "XDG_CONFIG_HOME";
constexpr const char* defaultConfigHome = ".config";

/** A bundle's name carries an extension after a proper name, which tells
    "Tarvolin.lv2" from a hidden folder such as "~/.lv2". */
bool isBundleNamed (const juce::File& folder, juce::StringRef extension)
{
    const auto ownExtension = folder.getFileExtension();
    return ownExtension.isNotEmpty() && folder.getFileName().length() > ownExtension.length()
           && (extension.isEmpty() || folder.hasFileExtension (extension));
}

bool isInsideLv2Bundle (const juce::File& binary) { return isBundleNamed (binary.getParentDirectory(), ".lv2"); }
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

juce::File BundleLocation::folderForUserFiles()
{
    const auto loadedAs = juce::PluginHostType::getPluginLoadedAs();
    const auto folder =
        folderForUserFiles (loadedAs, juce::File::getSpecialLocation (juce::File::currentExecutableFile));

    if (folder == fixedFolderForUserFiles())
        folder.createDirectory();

    return folder;
}

juce::File BundleLocation::folderForUserFiles (juce::AudioProcessor::WrapperType loadedAs, const juce::File& binary)
{
    const auto isLv2 = loadedAs == juce::AudioProcessor::wrapperType_LV2 || isInsideLv2Bundle (binary);

    if (isLv2 || loadedAs == juce::AudioProcessor::wrapperType_Standalone)
        return fixedFolderForUserFiles();

    return folderHoldingBundle (binary);
}

juce::File BundleLocation::fixedFolderForUserFiles()
{
    // A relative value is to be ignored, as the XDG rules say.
    const auto configHome = juce::SystemStats::getEnvironmentVariable (configHomeVariable, {});

    if (juce::File::isAbsolutePath (configHome) && ! configHome.startsWithChar ('~'))
        return juce::File (configHome).getChildFile (userFolderName);

    return juce::File::getSpecialLocation (juce::File::userHomeDirectory)
        .getChildFile (defaultConfigHome)
        .getChildFile (userFolderName);
}
