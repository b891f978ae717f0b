#include "PresetManagement.h"

#include "engine/BundleLocation.h"
#include "engine/DirectoryListing.h"
#include "engine/RegularFile.h"
#include "engine/SafeXml.h"
#include "engine/StoredValues.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr const char* rootPath = "./Tarvolin/Presets/";
constexpr const char* firstFolderPath = "./Guitar/";
constexpr const char* defaultText = "---- default ----";
constexpr const char* documentTag = "Gadgets";
constexpr const char* countAttribute = "NumParameters";
constexpr const char* byteOrderMark = "\xef\xbb\xbf";
constexpr size_t byteOrderMarkLength = 3;
// Not "*.pmt", so a half-written file is never listed.
constexpr const char* temporarySuffix = ".tmp";

juce::StringArray namesOf (const juce::Array<juce::File>& files)
{
    juce::StringArray names;

    for (const auto& file : files)
        names.add (file.getFileName());

    return names;
}

/** "..pmt" and "...pmt" would show as "." and ".." and ".pmt" as nothing,
    none of which a user can tell from the menu's own entries. */
bool hasVisibleName (const juce::File& entry)
{
    return entry.getFileName()
        .dropLastCharacters (PresetManagement::fileExtensionLength)
        .trimCharactersAtStart (".")
        .isNotEmpty();
}

/** Editors on some systems put a byte order mark in front of UTF-8; the
    file reader always passed over it. */
std::unique_ptr<juce::XmlElement> parseDocument (const juce::MemoryBlock& bytes)
{
    const auto* text = static_cast<const char*> (bytes.getData());
    auto numBytes = bytes.getSize();

    if (numBytes >= byteOrderMarkLength && std::memcmp (text, byteOrderMark, byteOrderMarkLength) == 0)
    {
        text += byteOrderMarkLength;
        numBytes -= byteOrderMarkLength;
    }

    return SafeXml::parse (text, numBytes);
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
    return BundleLocation::folderForUserFiles().getChildFile (rootPath);
}

//==============================================================================
juce::Array<juce::File> PresetManagement::listFolders() const { return DirectoryListing::folders (rootFolder); }

juce::Array<juce::File> PresetManagement::listEntries (const juce::File& folder)
{
    auto entries = DirectoryListing::files (folder, fileExtension, (juce::int64) SafeXml::maxDocumentBytes);
    entries.removeIf ([] (const juce::File& entry) { return ! hasVisibleName (entry); });
    return entries;
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
void PresetManagement::loadPreset (int folder, int entry) { loadEntry (folder, entry); }

bool PresetManagement::loadEntry (int folder, int entry)
{
    const juce::ScopedLock scopedLock (lock);

    if (folder == none && entry == none)
    {
        loadDefaultPreset();
        return true;
    }

    const auto file = getFilePreset (folder, entry);

    if (! RegularFile::exists (file))
        return false;

    juce::MemoryBlock bytes;
    RegularFile::read (file, SafeXml::maxDocumentBytes, bytes);

    // The file counts as loaded even when it turns out unreadable, so the
    // selector shows its name and navigation goes on from it.
    loadedFile = file;

    if (const auto document = parseDocument (bytes))
        readValues (*document);

    return true;
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

std::vector<PresetManagement::Address> PresetManagement::navigationOrder() const
{
    std::vector<Address> order;
    const auto counts = countEntries();

    for (int folder = 0; folder < counts.size(); ++folder)
        for (int entry = 0; entry < counts[folder]; ++entry)
            order.push_back ({ folder, entry });

    return order;
}

void PresetManagement::loadNextPreset() { step (+1); }

void PresetManagement::loadPreviousPreset() { step (-1); }

void PresetManagement::step (int direction)
{
    const juce::ScopedLock scopedLock (lock);

    Address current;
    getIndexesPreset (loadedFile, current.first, current.second);
    const auto order = navigationOrder();
    const auto size = (int) order.size();

    // Where the loaded file stands in the order; an unlisted file of folder
    // f stands just before f's first entry, the default before everything.
    const auto lower = (int) (std::lower_bound (order.begin(), order.end(), current) - order.begin());
    const auto isListed = lower < size && order[(size_t) lower] == current;
    int position;

    if (direction > 0)
        position = isListed ? lower + 1 : lower;
    else
        position = current.first == none ? size - 1 : lower - 1;

    // An entry that has gone or changed into something else since the
    // listing is passed over, so a step always lands somewhere new.
    for (; position >= 0 && position < size; position += direction)
        if (loadEntry (order[(size_t) position].first, order[(size_t) position].second))
            return;

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
    // A preset its owner made read-only stays as it is.
    if (file == juce::File() || isReadOnly (file))
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

bool PresetManagement::isReadOnly (const juce::File& file)
{
    return RegularFile::isReadOnly (file);
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
    return getStringEntries (folder)[entry].dropLastCharacters (fileExtensionLength);
}
