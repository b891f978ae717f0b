// Preset trees built from arbitrary bytes: folder and file names of any
// bytes, FIFOs, links to devices, link loops, links to other presets. The
// store must list them without harm, find every listed entry again by its
// file, and every step through the presets must move (or stay on the
// default when nothing is listed). A store that opened a FIFO would hang
// here, which the fuzzer reports as a timeout.
//
// Input: records separated by zero bytes, at most maxRecords; a record's
// first byte, modulo the number of kinds, chooses what to make (7 makes a
// folder, since 0 ends a record), the rest is its name.

#include "FuzzChecks.h"
#include "engine/PresetManagement.h"

#include <cstdint>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>

namespace
{
constexpr int maxRecords = 24;

enum Kind
{
    folder,
    preset,
    garbage,
    fifo,
    linkToDevice,
    linkToItself,
    linkToPreset,
    numKinds
};

void writeFile (const std::string& path, std::string_view text)
{
    const auto fd = open (path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK, 0644);

    if (fd < 0)
        return;

    [[maybe_unused]] const auto written = write (fd, text.data(), text.size());
    close (fd);
}

/** Makes one record's entry inside `parent`; a new folder becomes the parent
    of what follows. */
void make (Kind kind, const std::string& name, std::string& parent, std::string& lastPreset)
{
    const auto path = parent + "/" + name;

    switch (kind)
    {
        case folder:
            if (mkdir (path.c_str(), 0755) == 0)
                parent = path;
            break;
        case preset:
            writeFile (path, "<Gadgets NumParameters=\"40\" PRM10=\"0.25\"/>");
            lastPreset = path;
            break;
        case garbage:
            writeFile (path, name);
            break;
        case fifo:
            mkfifo (path.c_str(), 0644);
            break;
        case linkToDevice:
            symlink ("/dev/zero", path.c_str());
            break;
        case linkToItself:
            symlink (path.c_str(), path.c_str());
            break;
        case linkToPreset:
            if (! lastPreset.empty())
                symlink (lastPreset.c_str(), path.c_str());
            break;
        default:
            break;
    }
}

void buildTree (const std::string& root, const std::uint8_t* data, std::size_t size)
{
    std::string parent = root, lastPreset;
    std::string_view input (reinterpret_cast<const char*> (data), size);

    for (int record = 0; record < maxRecords && ! input.empty(); ++record)
    {
        const auto endOfRecord = std::min (input.find ('\0'), input.size());
        const auto recordBytes = input.substr (0, endOfRecord);
        input.remove_prefix (std::min (endOfRecord + 1, input.size()));

        if (recordBytes.size() < 2)
            continue;

        auto name = std::string (recordBytes.substr (1));

        for (auto& c : name)
            if (c == '/')
                c = '_';

        if (name == "." || name == "..")
            continue;

        // Folders only ever nest one level below the root: deeper ones are
        // never read, and files land in the folder made last.
        const auto kind = (Kind) ((unsigned char) recordBytes[0] % numKinds);

        if (kind == folder)
            parent = root;

        make (kind, name, parent, lastPreset);
    }
}

void requireEveryEntryFoundAgain (const PresetManagement& presets)
{
    const auto numFolders = presets.getStringFolders().size();

    for (int f = 0; f < numFolders; ++f)
    {
        for (int e = 0; e < presets.getStringEntries (f).size(); ++e)
        {
            int folderIndex, entryIndex;
            presets.getIndexesPreset (presets.getFilePreset (f, e), folderIndex, entryIndex);

            if (folderIndex != f || entryIndex != e)
                std::abort();
        }
    }
}

int countEntries (const PresetManagement& presets)
{
    int count = 0;

    for (int f = 0; f < presets.getStringFolders().size(); ++f)
        count += presets.getStringEntries (f).size();

    return count;
}

void requireStepsMove (PresetManagement& presets, int numEntries, void (PresetManagement::*step)())
{
    for (int i = 0; i <= numEntries + 1; ++i)
    {
        const auto before = presets.getLoadedFilePreset();
        (presets.*step)();
        const auto after = presets.getLoadedFilePreset();

        if (numEntries > 0 ? after == before : after != juce::File())
            std::abort();

        (void) presets.getCurrentText();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    static ScratchFolder scratch ("names");
    static ParameterMapping params;

    scratch.reset();
    buildTree (scratch.path.string(), data, size);

    PresetManagement presets (&params, scratch.file());
    requireEveryEntryFoundAgain (presets);

    const auto numEntries = countEntries (presets);
    requireStepsMove (presets, numEntries, &PresetManagement::loadNextPreset);
    requireStepsMove (presets, numEntries, &PresetManagement::loadPreviousPreset);
    requireDefinedValues (params);
    return 0;
}
