// Preset trees no one would make on purpose but a file system allows: names
// that are not UTF-8, FIFOs, devices and link loops under a preset's name.
// Listing must skip them, reading must never block, and stepping through
// the presets must always move on. Run under the sanitizers in CI.

#include "engine/PresetManagement.h"
#include "engine/RegularFile.h"
#include "engine/SafeXml.h"

#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
constexpr int prm1Slot0 = 3;
const juce::String defaultText ("---- default ----");

juce::String markerPreset (float marker)
{
    return "<Gadgets NumParameters=\"40\" PRM10=\"" + juce::String (marker) + "\"/>";
}

/** A path of raw bytes below a folder, made without the framework's help. */
std::string rawPath (const juce::File& folder, const std::string& name)
{
    return folder.getFullPathName().toStdString() + "/" + name;
}

void writeRaw (const std::string& path, const std::string& text)
{
    const auto fd = open (path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE (fd, 0) << path;
    ASSERT_EQ (write (fd, text.data(), text.size()), (ssize_t) text.size());
    close (fd);
}
} // namespace

class HostilePresetTree : public ::testing::Test
{
protected:
    HostilePresetTree() { folder.createDirectory(); }

    /** Every step in one direction from the default back to it, by text. */
    juce::StringArray walk (PresetManagement& store, bool forwards)
    {
        juce::StringArray texts;
        store.loadDefaultPreset();

        for (int step = 0; step < 20; ++step)
        {
            forwards ? store.loadNextPreset() : store.loadPreviousPreset();

            if (store.getCurrentText() == defaultText)
                return texts;

            texts.add (store.getCurrentText());
        }

        ADD_FAILURE() << "navigation never came back to the default";
        return texts;
    }

    TemporaryFolder temporary;
    const juce::File root = temporary.folder.getChildFile ("Presets");
    const juce::File folder = root.getChildFile ("F");
    ParameterMapping mapping;
};

TEST_F (HostilePresetTree, OnlyRegularFilesWithUtf8NamesAreListedReadableOrNot)
{
    writeRaw (rawPath (folder, "good.pmt"), markerPreset (0.1f).toStdString());

    // One no one may read is listed all the same, so the selector shows its
    // name and navigation goes on from it. (Root reads it anyway: there it is
    // just one more regular file.)
    writeRaw (rawPath (folder, "locked.pmt"), markerPreset (0.4f).toStdString());
    ASSERT_EQ (chmod (rawPath (folder, "locked.pmt").c_str(), 0), 0);
    writeRaw (rawPath (folder,
                       "Gr\xc3\xb6\xc3\x9f"
                       "e.pmt"),
              markerPreset (0.2f).toStdString());
    ASSERT_EQ (symlink (rawPath (folder, "good.pmt").c_str(), rawPath (folder, "linked.pmt").c_str()), 0);

    struct Hostile
    {
        const char* why;
        std::function<int (const std::string&)> make;
        std::string name;
    };

    const auto file = [] (const std::string& path) {
        const auto fd = open (path.c_str(), O_WRONLY | O_CREAT, 0644);
        return fd >= 0 ? close (fd) : -1;
    };

    for (const auto& h :
         { Hostile { "lone continuation byte", file, "x\x80yyy.pmt" },
           Hostile { "Latin-1 degree sign", file, "\xb0.pmt" },
           Hostile { "Latin-1 copyright, plus-minus, micro", file, "\xa9\xb1\xb5.pmt" },
           Hostile { "FIFO", [] (const std::string& p) { return mkfifo (p.c_str(), 0644); }, "fifo.pmt" },
           Hostile {
               "link to a device", [] (const std::string& p) { return symlink ("/dev/zero", p.c_str()); }, "zero.pmt" },
           Hostile {
               "link to itself", [] (const std::string& p) { return symlink (p.c_str(), p.c_str()); }, "loop.pmt" },
           Hostile { "folder", [] (const std::string& p) { return mkdir (p.c_str(), 0755); }, "dir.pmt" },
           Hostile { "only dots", file, "..pmt" },
           Hostile { "more dots", file, "...pmt" },
           Hostile { "extension alone", file, ".pmt" } })
    {
        ASSERT_EQ (h.make (rawPath (folder, h.name)), 0) << h.why;
    }

    // A folder whose name is not UTF-8 is skipped with everything in it.
    ASSERT_EQ (mkdir (rawPath (root, "Bad\xff").c_str(), 0755), 0);
    writeRaw (rawPath (root, "Bad\xff/hidden.pmt"), markerPreset (0.3f).toStdString());

    PresetManagement store (&mapping, root);
    EXPECT_EQ (store.getStringFolders(), juce::StringArray ("F"));

    auto entries = store.getStringEntries (0);
    entries.sort (false);
    EXPECT_EQ (entries,
               juce::StringArray (juce::String::fromUTF8 ("Gr\xc3\xb6\xc3\x9f"
                                                          "e.pmt"),
                                  "good.pmt",
                                  "linked.pmt",
                                  "locked.pmt"));

    // Both ways round, every listed preset loads and nothing else is tried.
    auto forwards = walk (store, true);
    auto backwards = walk (store, false);
    forwards.sort (false);
    backwards.sort (false);
    EXPECT_EQ (forwards,
               juce::StringArray (juce::String::fromUTF8 ("Gr\xc3\xb6\xc3\x9f"
                                                          "e"),
                                  "good",
                                  "linked",
                                  "locked"));
    EXPECT_EQ (backwards, forwards);
}

TEST_F (HostilePresetTree, FilesTooLargeForAPresetAreNeitherListedNorRead)
{
    auto largest = markerPreset (0.1f).toStdString();
    largest.resize (SafeXml::maxDocumentBytes, ' ');
    writeRaw (rawPath (folder, "largest.pmt"), largest);
    writeRaw (rawPath (folder, "larger.pmt"), std::string (SafeXml::maxDocumentBytes + 1, ' '));

    PresetManagement store (&mapping, root);
    EXPECT_EQ (store.getStringEntries (0), juce::StringArray ("largest.pmt"));
    store.loadPreset (0, 0);
    EXPECT_EQ (mapping.getValue (prm1Slot0), 0.1f);

    juce::MemoryBlock contents;
    EXPECT_FALSE (RegularFile::read (folder.getChildFile ("larger.pmt"), SafeXml::maxDocumentBytes, contents));
    EXPECT_TRUE (contents.isEmpty());
}

TEST_F (HostilePresetTree, ReadingNeverOpensOrWaitsOnAnythingButARegularFile)
{
    ASSERT_EQ (mkfifo (rawPath (folder, "fifo.pmt").c_str(), 0644), 0);
    ASSERT_EQ (symlink ("/dev/zero", rawPath (folder, "zero.pmt").c_str()), 0);
    ASSERT_EQ (symlink (rawPath (folder, "loop.pmt").c_str(), rawPath (folder, "loop.pmt").c_str()), 0);

    for (const auto* name : { "fifo.pmt", "zero.pmt", "loop.pmt", "missing.pmt" })
    {
        juce::MemoryBlock contents;
        EXPECT_FALSE (RegularFile::exists (folder.getChildFile (name))) << name;
        EXPECT_FALSE (RegularFile::read (folder.getChildFile (name), SafeXml::maxDocumentBytes, contents)) << name;
    }
}

TEST_F (HostilePresetTree, APresetByteOrderMarkIsPassedOver)
{
    writeRaw (rawPath (folder, "bom.pmt"), "\xef\xbb\xbf" + markerPreset (0.1f).toStdString());
    PresetManagement store (&mapping, root);
    store.loadPreset (0, 0);
    EXPECT_EQ (mapping.getValue (prm1Slot0), 0.1f);
}

TEST_F (HostilePresetTree, SavingLeavesAReadOnlyPresetAsItIs)
{
    const auto file = folder.getChildFile ("locked.pmt");
    writeRaw (rawPath (folder, "locked.pmt"), markerPreset (0.1f).toStdString());
    ASSERT_EQ (chmod (file.getFullPathName().toRawUTF8(), 0444), 0);

    PresetManagement store (&mapping, root);
    mapping.setValue (prm1Slot0, 0.7f);
    store.savePreset (file);

    EXPECT_EQ (file.loadFileAsString(), markerPreset (0.1f));
    struct stat status;
    ASSERT_EQ (stat (file.getFullPathName().toRawUTF8(), &status), 0);
    EXPECT_EQ (status.st_mode & 0777, 0444u);
    EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFiles), 1);

    // A writable one next to it is replaced as before.
    const auto open = folder.getChildFile ("open.pmt");
    writeRaw (rawPath (folder, "open.pmt"), markerPreset (0.1f).toStdString());
    store.savePreset (open);
    EXPECT_TRUE (open.loadFileAsString().contains ("PRM10=\"0.69999998807907104492\""));
}
