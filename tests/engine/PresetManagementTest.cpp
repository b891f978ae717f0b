#include "engine/PresetManagement.h"

#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <sys/resource.h>
#include <thread>

namespace
{
constexpr int prm1Slot0 = 3;
constexpr int algoSlot0 = 2;
const juce::String defaultText ("---- default ----");

/** A hand-written preset: attributes given as text, in any order. */
juce::String presetDocument (const juce::String& attributes)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n<Gadgets " + attributes + "/>\r\n";
}

juce::String markerPreset (float marker)
{
    return presetDocument ("NumParameters=\"40\" PRM10=\"" + juce::String (marker) + "\"");
}

void expectAllValues (const ParameterMapping& mapping, float (*expected) (int))
{
    for (int i = 0; i < ParameterMapping::numParameters; ++i)
        EXPECT_EQ (mapping.getValue (i), expected (i)) << mapping.getParameterUniqueID (i);
}
} // namespace

class PresetStore : public ::testing::Test
{
protected:
    std::unique_ptr<PresetManagement> makeStore() { return std::make_unique<PresetManagement> (&mapping, root); }

    juce::File writeFile (const juce::String& relativePath, const juce::String& text)
    {
        const auto file = root.getChildFile (relativePath);
        file.getParentDirectory().createDirectory();
        file.replaceWithText (text);
        return file;
    }

    void setAllValues (float value)
    {
        for (int i = 0; i < ParameterMapping::numParameters; ++i)
            mapping.setValue (i, value);
    }

    TemporaryFolder temporary;
    const juce::File root = temporary.folder.getChildFile ("Presets");
    ParameterMapping mapping;
};

//==============================================================================
TEST_F (PresetStore, FirstStartCreatesTheRootWithGuitar)
{
    auto store = makeStore();
    EXPECT_TRUE (root.getChildFile ("Guitar").isDirectory());
    EXPECT_EQ (store->getStringFolders(), juce::StringArray ("Guitar"));
    EXPECT_TRUE (store->getStringEntries (0).isEmpty());
    EXPECT_EQ (store->getCurrentText(), defaultText);
}

TEST_F (PresetStore, AnExistingEmptyRootStaysEmpty)
{
    root.createDirectory();
    auto store = makeStore();
    EXPECT_TRUE (store->getStringFolders().isEmpty());
    EXPECT_FALSE (root.getChildFile ("Guitar").exists());
}

TEST_F (PresetStore, ARootThatCannotBeCreatedListsNothing)
{
    const auto blocker = temporary.folder.getChildFile ("plain-file");
    blocker.replaceWithText ("not a folder");
    PresetManagement store (&mapping, blocker.getChildFile ("Presets"));

    EXPECT_TRUE (store.getStringFolders().isEmpty());
    setAllValues (0.9f);
    store.loadNextPreset();
    EXPECT_EQ (mapping.getValue (prm1Slot0), 0.5f);
    store.savePreset (store.getFolderPreset (0).getChildFile ("x.pmt"));
    EXPECT_EQ (store.getCurrentText(), defaultText);
}

TEST_F (PresetStore, ListingsHoldOneLevelOfPmtFiles)
{
    writeFile ("A/x.pmt", {});
    writeFile ("A/.hidden.pmt", {});
    writeFile ("A/notes.txt", {});
    writeFile ("A/deeper/y.pmt", {});
    writeFile (".H/z.pmt", {});
    writeFile ("loose.pmt", {});
    auto store = makeStore();

    auto folders = store->getStringFolders();
    folders.sort (false);
    EXPECT_EQ (folders, juce::StringArray (".H", "A"));

    const auto a = store->getStringFolders().indexOf ("A");
    auto entries = store->getStringEntries (a);
    entries.sort (false);
    EXPECT_EQ (entries, juce::StringArray (".hidden.pmt", "x.pmt"));

    for (auto outside : { -1, 2 })
    {
        EXPECT_TRUE (store->getStringEntries (outside).isEmpty()) << outside;
        EXPECT_EQ (store->getFolderPreset (outside), root) << outside;
        EXPECT_EQ (store->getFilePreset (outside, 0), juce::File()) << outside;
    }

    EXPECT_EQ (store->getFolderPreset (a), root.getChildFile ("A"));
    EXPECT_EQ (store->getFilePreset (a, -1), juce::File());
    EXPECT_EQ (store->getFilePreset (a, 2), juce::File());
    EXPECT_EQ (store->getFilePreset (a, entries.size() - 1).getParentDirectory(), root.getChildFile ("A"));
}

TEST_F (PresetStore, IndexesOfFiles)
{
    const auto listed = writeFile ("A/x.pmt", {});
    writeFile ("A/w.pmt", {});
    const auto unlisted = writeFile ("A/notes.txt", {});
    const auto inRoot = writeFile ("loose.pmt", {});
    const auto tooDeep = writeFile ("A/deeper/y.pmt", {});
    const auto elsewhere = temporary.folder.getChildFile ("Other/A/x.pmt");
    auto store = makeStore();
    const auto a = store->getStringFolders().indexOf ("A");

    struct Case
    {
        juce::File file;
        int folder, entry;
    };

    for (const auto& c : { Case { listed, a, store->getStringEntries (a).indexOf ("x.pmt") },
                           Case { unlisted, a, -1 },
                           Case { inRoot, -1, -1 },
                           Case { tooDeep, -1, -1 },
                           Case { elsewhere, -1, -1 },
                           Case { juce::File(), -1, -1 } })
    {
        int folder = 99, entry = 99;
        store->getIndexesPreset (c.file, folder, entry);
        EXPECT_EQ (folder, c.folder) << c.file.getFullPathName();
        EXPECT_EQ (entry, c.entry) << c.file.getFullPathName();
    }
}

//==============================================================================
TEST_F (PresetStore, NavigationWrapsThroughTheDefault)
{
    std::map<juce::String, float> markers { { "a1.pmt", 0.1f }, { "a2.pmt", 0.2f }, { "c1.pmt", 0.3f } };
    writeFile ("A/a1.pmt", markerPreset (0.1f));
    writeFile ("A/a2.pmt", markerPreset (0.2f));
    root.getChildFile ("B").createDirectory();
    writeFile ("C/c1.pmt", markerPreset (0.3f));
    auto store = makeStore();

    // The order follows the listings, whatever order the file system gives.
    std::vector<juce::File> order { juce::File() };

    for (int folder = 0; folder < store->getStringFolders().size(); ++folder)
        for (int entry = 0; entry < store->getStringEntries (folder).size(); ++entry)
            order.push_back (store->getFilePreset (folder, entry));

    ASSERT_EQ (order.size(), 4u);
    const auto size = (int) order.size();

    auto expectLoaded = [&] (const juce::File& expected, const char* direction, int step) {
        EXPECT_EQ (store->getLoadedFilePreset(), expected) << direction << " step " << step;
        const auto marker = expected == juce::File() ? 0.5f : markers[expected.getFileName()];
        EXPECT_EQ (mapping.getValue (prm1Slot0), marker) << direction << " step " << step;
    };

    for (int step = 1; step <= 2 * size; ++step)
    {
        store->loadNextPreset();
        expectLoaded (order[(size_t) (step % size)], "next", step);
    }

    for (int step = 1; step <= 2 * size; ++step)
    {
        store->loadPreviousPreset();
        expectLoaded (order[(size_t) ((size - step % size) % size)], "previous", step);
    }
}

TEST_F (PresetStore, NavigationWithOnlyEmptyFoldersResetsToDefaults)
{
    root.getChildFile ("X").createDirectory();
    root.getChildFile ("Y").createDirectory();
    auto store = makeStore();
    mapping.midiCC[0] = 7;

    setAllValues (0.9f);
    store->loadNextPreset();
    expectAllValues (mapping, ParameterMapping::defaultValue);

    setAllValues (0.9f);
    store->loadPreviousPreset();
    expectAllValues (mapping, ParameterMapping::defaultValue);

    EXPECT_EQ (store->getLoadedFilePreset(), juce::File());
    EXPECT_EQ (mapping.getMidiCCParameter (0), 7); // presets never touch controllers
}

TEST_F (PresetStore, NavigationFromAnEntryDeletedFromDisk)
{
    writeFile ("A/a1.pmt", markerPreset (0.1f));
    const auto gone = writeFile ("A/a2.pmt", markerPreset (0.2f));
    auto store = makeStore();
    const auto entries = store->getStringEntries (0);
    store->loadPreset (0, entries.indexOf ("a2.pmt"));
    gone.deleteFile();

    EXPECT_EQ (store->getCurrentText(), juce::String());
    store->loadNextPreset(); // (folder, -1) goes on with the folder's first entry
    EXPECT_EQ (store->getLoadedFilePreset().getFileName(), "a1.pmt");
    EXPECT_EQ (store->getCurrentText(), "a1");
}

//==============================================================================
TEST_F (PresetStore, ParameterCountDecidesWhatLoads)
{
    juce::String everyValue;

    for (int i = 0; i < ParameterMapping::numParameters; ++i)
        everyValue << mapping.getParameterUniqueID (i) << "=\""
                   << (ParameterMapping::kindOf (i) == ParameterMapping::algorithm ? "13" : "0.25") << "\" ";

    struct Case
    {
        const char* name;
        juce::String text;
        int parametersSet;
    };

    for (const auto& c :
         { Case { "ten.pmt", presetDocument (everyValue + "NumParameters=\"10\""), 10 },
           Case { "all.pmt", presetDocument (everyValue + "NumParameters=\"40\""), 40 },
           Case { "many.pmt", presetDocument (everyValue + "NumParameters=\"41\""), 0 },
           Case { "zero.pmt", presetDocument (everyValue + "NumParameters=\"0\""), 0 },
           Case { "uncounted.pmt", presetDocument (everyValue), 0 },
           Case { "broken.pmt", "this is not XML", 0 },
           Case { "doctype.pmt",
                  "<!DOCTYPE x [ <!ENTITY a \"&a;\"> ]>" + presetDocument (everyValue + "NumParameters=\"40\""),
                  0 } })
    {
        const auto file = writeFile ("F/" + juce::String (c.name), c.text);
        auto store = makeStore();
        setAllValues (0.75f);
        store->loadPreset (0, store->getStringEntries (0).indexOf (c.name));

        // Loaded, readable or not: the selector shows it and navigation goes on from it.
        EXPECT_EQ (store->getLoadedFilePreset(), file) << c.name;
        EXPECT_EQ (store->getCurrentText(), file.getFileNameWithoutExtension()) << c.name;

        for (int i = 0; i < ParameterMapping::numParameters; ++i)
        {
            const auto loaded = ParameterMapping::kindOf (i) == ParameterMapping::algorithm ? 1.0f : 0.25f;
            EXPECT_EQ (mapping.getValue (i), i < c.parametersSet ? loaded : 0.75f) << c.name << " " << i;
        }

        file.deleteFile();
    }
}

TEST_F (PresetStore, MissingAttributesLoadAsZero)
{
    writeFile ("F/sparse.pmt", presetDocument ("NumParameters=\"40\" INDXALGO0=\"5\""));
    auto store = makeStore();
    setAllValues (0.75f);
    store->loadPreset (0, 0);

    for (int i = 0; i < ParameterMapping::numParameters; ++i)
        EXPECT_EQ (mapping.getValue (i), i == algoSlot0 ? 5.0f / 13.0f : 0.0f) << i;
}

TEST_F (PresetStore, AddressesWithoutAFileChangeNothing)
{
    writeFile ("F/a.pmt", markerPreset (0.1f));
    auto store = makeStore();
    store->loadPreset (0, 0);
    setAllValues (0.75f);

    for (auto address : { std::pair { 0, 1 }, std::pair { 1, 0 }, std::pair { -1, 0 }, std::pair { 0, -1 } })
    {
        store->loadPreset (address.first, address.second);
        EXPECT_EQ (store->getCurrentText(), "a");
        EXPECT_EQ (mapping.getValue (0), 0.75f);
    }

    store->loadPreset (-1, -1);
    EXPECT_EQ (store->getCurrentText(), defaultText);
    expectAllValues (mapping, ParameterMapping::defaultValue);
}

//==============================================================================
TEST_F (PresetStore, SaveWritesTheDocumentTheLoaderReads)
{
    auto store = makeStore();
    mapping.setValue (prm1Slot0, 0.3f);
    mapping.setValue (algoSlot0, 2.9999998f / 13.0f);
    const auto file = store->getFolderPreset (0).getChildFile ("mine.pmt");
    EXPECT_TRUE (store->savePreset (file));

    juce::MemoryBlock bytes;
    ASSERT_TRUE (file.loadFileAsData (bytes));
    const auto text = bytes.toString();
    EXPECT_TRUE (text.startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n<Gadgets NumParameters=\"40\""));
    EXPECT_FALSE (text.replace ("\r\n", "").containsChar ('\n'));
    EXPECT_TRUE (text.contains ("PRM10=\"0.30000001192092895508\""));
    EXPECT_TRUE (text.contains ("INDXALGO0=\"3\""));
    EXPECT_TRUE (text.contains ("OUTPUT0=\"0.5\""));
    EXPECT_TRUE (text.contains ("ENABLED0=\"1\""));
    EXPECT_FALSE (text.contains ("CC"));
    EXPECT_EQ (store->getLoadedFilePreset(), juce::File()); // saving loads nothing
    EXPECT_EQ (file.getParentDirectory().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1);
}

TEST_F (PresetStore, SavedValuesComeBackBitForBit)
{
    auto store = makeStore();
    ParameterMapping saved;

    for (const int seed : { 1, 7, 1999 })
    {
        SCOPED_TRACE ("seed " + std::to_string (seed));
        juce::Random random (seed);

        for (int i = 0; i < ParameterMapping::numParameters; ++i)
        {
            const auto isAlgorithm = ParameterMapping::kindOf (i) == ParameterMapping::algorithm;
            mapping.setValue (i, isAlgorithm ? (float) random.nextInt (14) / 13.0f : random.nextFloat());
            saved.setValue (i, mapping.getValue (i));
        }

        store->savePreset (root.getChildFile ("Guitar/round.pmt"));
        store->savePreset (root.getChildFile ("Guitar/round.pmt")); // replacing works too
        store->loadDefaultPreset();
        store->loadPreset (0, 0);

        for (int i = 0; i < ParameterMapping::numParameters; ++i)
            EXPECT_EQ (mapping.getValue (i), saved.getValue (i)) << i;
    }
}

TEST_F (PresetStore, EveryGadgetIndexComesBackFromASavedPreset)
{
    auto store = makeStore();
    const auto file = root.getChildFile ("Guitar/gadgets.pmt");

    // Each slot a different gadget on each round, so every slot meets every index.
    for (int round = 0; round < ParameterMapping::numGadgets; ++round)
    {
        auto gadgetOf = [round] (int slot) { return (round + slot) % ParameterMapping::numGadgets; };
        auto algorithmOf = [] (int slot) { return ParameterMapping::indexOf (slot, ParameterMapping::algorithm); };

        for (int slot = 0; slot < ParameterMapping::numSlots; ++slot)
            mapping.setMappedValue (algorithmOf (slot), (float) gadgetOf (slot));

        ASSERT_TRUE (store->savePreset (file));
        store->loadDefaultPreset();
        store->loadPreset (0, 0);

        for (int slot = 0; slot < ParameterMapping::numSlots; ++slot)
        {
            EXPECT_EQ (mapping.getMappedValue (algorithmOf (slot)), (float) gadgetOf (slot)) << "slot " << slot;
            EXPECT_EQ (mapping.getValue (algorithmOf (slot)), (float) gadgetOf (slot) / 13.0f) << "slot " << slot;
        }
    }
}

TEST_F (PresetStore, AFailedSaveKeepsTheExistingFile)
{
    auto store = makeStore();
    const auto file = writeFile ("Guitar/keep.pmt", markerPreset (0.1f));
    const auto before = file.loadFileAsString();

    // Files may grow to 100 bytes only: the new document cannot be written.
    rlimit original {};
    getrlimit (RLIMIT_FSIZE, &original);
    auto* previousHandler = std::signal (SIGXFSZ, SIG_IGN);
    rlimit tiny = original;
    tiny.rlim_cur = 100;
    setrlimit (RLIMIT_FSIZE, &tiny);

    const auto saved = store->savePreset (file);

    setrlimit (RLIMIT_FSIZE, &original);
    std::signal (SIGXFSZ, previousHandler);

    EXPECT_FALSE (saved);
    EXPECT_EQ (file.loadFileAsString(), before);
    EXPECT_EQ (file.getParentDirectory().getNumberOfChildFiles (juce::File::findFiles), 1);
}

//==============================================================================
TEST_F (PresetStore, DisplayText)
{
    writeFile ("F/a.pmt", markerPreset (0.1f));
    auto store = makeStore();
    EXPECT_EQ (store->getCurrentText(), defaultText);

    store->loadPreset (0, 0);
    EXPECT_EQ (store->getCurrentText(), "a");

    store->getLoadedFilePreset().deleteFile();
    EXPECT_EQ (store->getCurrentText(), juce::String());
}

TEST_F (PresetStore, TwoThreadsAtOnce)
{
    for (auto name : { "F/a.pmt", "F/b.pmt", "G/c.pmt" })
        writeFile (name, markerPreset (0.1f));

    auto store = makeStore();
    std::atomic<bool> running { true };

    // The host's state thread restoring presets while the editor steps through them.
    std::thread host ([&] {
        while (running)
        {
            store->loadPreset (0, 0);
            store->loadDefaultPreset();
            (void) store->getLoadedFilePreset();
        }
    });

    for (int i = 0; i < 200; ++i)
    {
        store->loadNextPreset();
        (void) store->getCurrentText();
        store->loadPreviousPreset();
    }

    running = false;
    host.join();

    for (int i = 0; i < ParameterMapping::numParameters; ++i)
        EXPECT_TRUE (mapping.getValue (i) >= 0.0f && mapping.getValue (i) <= 1.0f);
}
