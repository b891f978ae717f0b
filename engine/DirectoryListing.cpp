#include "DirectoryListing.h"

#include "engine/StrictUtf8.h"

#include <cstring>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace
{
bool isDotOrDotDot (const char* name) noexcept { return std::strcmp (name, ".") == 0 || std::strcmp (name, "..") == 0; }

bool hasExtension (const juce::String& name, juce::StringRef extension)
{
    return juce::File::areFileNamesCaseSensitive() ? name.endsWith (extension) : name.endsWithIgnoreCase (extension);
}
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

    // Closed however the listing ends.
    const std::unique_ptr<DIR, int (*) (DIR*)> dir (opendir (parent.getFullPathName().toRawUTF8()), closedir);

    if (dir == nullptr)
        return found;

    while (const auto* entry = readdir (dir.get()))
    {
        const auto* rawName = entry->d_name;

        if (isDotOrDotDot (rawName) || ! StrictUtf8::isValid (rawName, std::strlen (rawName)))
            continue;

        const auto name = StrictUtf8::toString (rawName, std::strlen (rawName));

        if (kind == Kind::file && ! hasExtension (name, extension))
            continue;

        // stat follows links, and fails with ELOOP on a loop.
        struct stat status;

        if (fstatat (dirfd (dir.get()), rawName, &status, 0) != 0)
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
