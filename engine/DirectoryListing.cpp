#include "DirectoryListing.h"

#include "engine/StrictUtf8.h"

#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace
{
bool isDotOrDotDot (const char* name) noexcept { return std::strcmp (name, ".") == 0 || std::strcmp (name, "..") == 0; }

bool hasExtension (const juce::String& name, juce::StringRef extension)
{
    return juce::File::areFileNamesCaseSensitive() ? name.endsWith (extension) : name.endsWithIgnoreCase (extension);
}

/** Closes the folder however the listing ends. */
struct FolderHandle
{
    explicit FolderHandle (const juce::File& folder)
        : dir (opendir (folder.getFullPathName().toRawUTF8()))
    {
    }

    ~FolderHandle()
    {
        if (dir != nullptr)
            closedir (dir);
    }

    DIR* const dir;
};
} // namespace

juce::Array<juce::File> DirectoryListing::folders (const juce::File& parent)
{
    return list (parent, Kind::folder, {}, 0);
}

juce::Array<juce::File>
    DirectoryListing::files (const juce::File& folder, juce::StringRef extension, juce::int64 maxBytes)
{
    return list (folder, Kind::file, extension, maxBytes);
}

juce::Array<juce::File>
    DirectoryListing::list (const juce::File& parent, Kind kind, juce::StringRef extension, juce::int64 maxBytes)
{
    juce::Array<juce::File> found;

    if (parent == juce::File())
        return found;

    const FolderHandle handle (parent);

    if (handle.dir == nullptr)
        return found;

    while (const auto* entry = readdir (handle.dir))
    {
        const auto* rawName = entry->d_name;

        if (isDotOrDotDot (rawName) || ! StrictUtf8::isValid (rawName, std::strlen (rawName)))
            continue;

        const auto name = StrictUtf8::toString (rawName, std::strlen (rawName));

        if (kind == Kind::file && ! hasExtension (name, extension))
            continue;

        // stat follows links, and fails with ELOOP on a loop.
        struct stat status;

        if (fstatat (dirfd (handle.dir), rawName, &status, 0) != 0)
            continue;

        const auto isWanted = kind == Kind::folder
                                  ? S_ISDIR (status.st_mode)
                                  : S_ISREG (status.st_mode) && (juce::int64) status.st_size <= maxBytes;

        // "./" keeps a name such as "~x" from reading as a home folder.
        if (isWanted)
            found.add (parent.getChildFile ("./" + name));
    }

    return found;
}
