#include "PresetManagement.h"

#include "engine/BundleLocation.h"
#include "engine/SafeXml.h"
#include "engine/StoredValues.h"

namespace
{
constexpr const char* rootPath = "./Tarvolin/Presets/";
constexpr const char* firstFolderPath = "./Guitar/";
constexpr const char* entryPattern = "*.pmt";
constexpr int extensionLength = 4; // ".pmt"
constexpr const char* defaultText = "---- default ----";
constexpr const char* documentTag = "Gadgets";
constexpr const char* countAttribute = "NumParameters";
// Not "*.pmt", so a half-written file is never listed.
constexpr const char* temporarySuffix = ".tmp";

juce::StringArray namesOf (const juce::Array<juce::File>& files)
{
    juce::StringArray names;

    for (const auto& file : files)
        names.add (file.getFileName());

    return names;
}

int lastIndexOf (const juce::StringArray& names, const juce::String& name)
{
    for (int i = names.size(); --i >= 0;)
        if (names[i] == name)
            return i;

    return PresetManagement::none;
}

/** Writes a file through a temporary sibling that then takes its place.
    The sibling must hold every byte first: a full disk can cut a write
    short without the stream noticing. True once the target holds the text. */
bool replaceFileWithText (const juce::File& target, const juce::String& text)
{
    const juce::TemporaryFile temporary (
        target, target.getSiblingFile (target.getFileName() + temporarySuffix).getNonexistentSibling());

    {
        juce::FileOutputStream out (temporary.getFile());

        if (! out.openedOk() || ! out.writeText (text, false, false, nullptr))
            return false;

        out.flush();

        if (out.getStatus().failed())
            return false;
    }

    if (temporary.getFile().getSize() != (juce::int64) text.getNumBytesAsUTF8())
        return false;

    return temporary.overwriteTargetFileWithTemporary();
}
} // namespace

PresetManagement::PresetManagement (ParameterMapping* mappingToFill)
    : PresetManagement (mappingToFill, defaultRootFolder())
{
}

PresetManagement::PresetManagement (ParameterMapping* mappingToFill, const juce::File& root)
    : rootFolder (root)
    , mapping (mappingToFill)
{
    // Results ignored: a tree that cannot be created simply lists nothing.
    if (! rootFolder.exists())
    {
        rootFolder.createDirectory();
        rootFolder.getChildFile (firstFolderPath).createDirectory();
    }
}

juce::File PresetManagement::defaultRootFolder()
{
    return BundleLocation::folderHoldingBundle().getChildFile (rootPath);
}

//==============================================================================
juce::Array<juce::File> PresetManagement::listFolders() const
{
    return rootFolder.findChildFiles (juce::File::findDirectories, false, "*");
}

juce::Array<juce::File> PresetManagement::listEntries (const juce::File& folder)
{
    return folder.findChildFiles (juce::File::findFiles, false, entryPattern);
}

juce::Array<int> PresetManagement::countEntries() const
{
    juce::Array<int> counts;

    for (const auto& folder : listFolders())
        counts.add (listEntries (folder).size());

    return counts;
}

juce::StringArray PresetManagement::getStringFolders() const { return namesOf (listFolders()); }

juce::StringArray PresetManagement::getStringEntries (int folder) const
{
    const auto folders = listFolders();

    if (! juce::isPositiveAndBelow (folder, folders.size()))
        return {};

    return namesOf (listEntries (folders.getReference (folder)));
}

juce::File PresetManagement::getFilePreset (int folder, int entry) const
{
    if (folder < 0 || entry < 0)
        return {};

    const auto entries = getStringEntries (folder);

    if (entry >= entries.size())
        return {};

    return rootFolder.getChildFile ("./" + getStringFolders()[folder] + "/" + entries[entry]);
}

juce::File PresetManagement::getFolderPreset (int folder) const
{
    if (folder < 0)
        return rootFolder;

    const auto folders = getStringFolders();

    if (! juce::isPositiveAndBelow (folder, folders.size()))
        return rootFolder;

    return rootFolder.getChildFile ("./" + folders[folder] + "/");
}

void PresetManagement::getIndexesPreset (const juce::File& file, int& folder, int& entry) const
{
    folder = none;
    entry = none;

    const auto parent = file.getParentDirectory();

    // Only a file one level below the root belongs to a folder.
    if (parent == rootFolder || parent.getParentDirectory() != rootFolder)
        return;

    const auto folderIndex = lastIndexOf (getStringFolders(), parent.getFileName());

    if (folderIndex == none)
        return;

    folder = folderIndex;
    entry = lastIndexOf (getStringEntries (folderIndex), file.getFileName());
}

//==============================================================================
void PresetManagement::loadPreset (int folder, int entry)
{
    const juce::ScopedLock scopedLock (lock);

    if (folder == none && entry == none)
    {
        loadDefaultPreset();
        return;
    }

    const auto file = getFilePreset (folder, entry);

    if (file == juce::File() || ! file.existsAsFile())
        return;

    const auto text = file.loadFileAsString();

    // The file counts as loaded even when it turns out unreadable, so the
    // selector shows its name and navigation goes on from it.
    loadedFile = file;

    if (const auto document = SafeXml::parse (text))
        readValues (*document);
}

void PresetManagement::readValues (const juce::XmlElement& document)
{
    const auto count = StoredValues::readInt (document, countAttribute, 0);

    if (count < 1 || count > ParameterMapping::numParameters)
        return;

    for (int i = 0; i < count; ++i)
    {
        const auto id = mapping->getParameterUniqueID (i);

        if (ParameterMapping::kindOf (i) == ParameterMapping::algorithm)
            mapping->setMappedValue (i, (float) StoredValues::readGadgetIndex (document, id));
        else
            mapping->setValue (i, StoredValues::readNormalised (document, id, i));
    }
}

void PresetManagement::loadDefaultPreset()
{
    const juce::ScopedLock scopedLock (lock);

    for (int i = 0; i < ParameterMapping::numParameters; ++i)
        mapping->setValue (i, ParameterMapping::defaultValue (i));

    loadedFile = juce::File();
}

void PresetManagement::loadNextPreset()
{
    const juce::ScopedLock scopedLock (lock);

    int folder, entry;
    getIndexesPreset (loadedFile, folder, entry);
    const auto counts = countEntries();

    if (entry < counts[folder] - 1) // counts[-1] is 0
    {
        loadPreset (folder, entry + 1);
        return;
    }

    for (int next = folder + 1; next < counts.size(); ++next)
    {
        if (counts[next] > 0)
        {
            loadPreset (next, 0);
            return;
        }
    }

    loadDefaultPreset();
}

void PresetManagement::loadPreviousPreset()
{
    const juce::ScopedLock scopedLock (lock);

    int folder, entry;
    getIndexesPreset (loadedFile, folder, entry);

    if (entry > 0)
    {
        loadPreset (folder, entry - 1);
        return;
    }

    const auto counts = countEntries();

    // From the default (or a file outside the listings) the search starts at the last folder.
    for (int previous = folder >= 0 ? folder - 1 : counts.size() - 1; previous >= 0; --previous)
    {
        if (counts[previous] > 0)
        {
            loadPreset (previous, counts[previous] - 1);
            return;
        }
    }

    loadDefaultPreset();
}

juce::File PresetManagement::getLoadedFilePreset() const
{
    const juce::ScopedLock scopedLock (lock);
    return loadedFile;
}

//==============================================================================
bool PresetManagement::savePreset (const juce::File& file) const
{
    if (file == juce::File())
        return false;

    const juce::ScopedLock scopedLock (lock);

    juce::XmlElement document (documentTag);
    document.setAttribute (countAttribute, ParameterMapping::numParameters);

    for (int i = 0; i < ParameterMapping::numParameters; ++i)
    {
        const auto id = mapping->getParameterUniqueID (i);

        if (ParameterMapping::kindOf (i) == ParameterMapping::algorithm)
            document.setAttribute (id, StoredValues::gadgetIndexToStore (mapping->getMappedValue (i)));
        else
            document.setAttribute (id, StoredValues::formatValue (mapping->getValue (i)));
    }

    // With the XML header, CR LF line ends and lines wrapped at 60 characters.
    return replaceFileWithText (file, document.toString());
}

juce::String PresetManagement::getCurrentText() const
{
    const juce::ScopedLock scopedLock (lock);

    if (loadedFile == juce::File())
        return defaultText;

    int folder, entry;
    getIndexesPreset (loadedFile, folder, entry);

    if (folder == none && entry == none)
        return defaultText;

    // An entry no longer listed (e = -1) reads as an empty name.
    return getStringEntries (folder)[entry].dropLastCharacters (extensionLength);
}
