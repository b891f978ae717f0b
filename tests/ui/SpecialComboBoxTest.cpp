#include "ControlTestSupport.h"

#include "support/TemporaryFolder.h"
#include "ui/SpecialComboBox.h"
#include "ui/support/MessageLoop.h"

#include <csignal>
#include <map>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace controltest;

namespace
{
struct ShownItem
{
    juce::String folder, text;
    bool ticked;
};

/** Every preset item of a menu by id, with the submenu it sits in. */
std::map<int, ShownItem> presetItems (const juce::PopupMenu& menu)
{
    std::map<int, ShownItem> items;

    for (juce::PopupMenu::MenuItemIterator top (menu); top.next();)
        if (const auto* folderMenu = top.getItem().subMenu.get())
            for (juce::PopupMenu::MenuItemIterator entry (*folderMenu); entry.next();)
                items[entry.getItem().itemID] = { top.getItem().text, entry.getItem().text, entry.getItem().isTicked };

    return items;
}

std::vector<int> tickedIds (const juce::PopupMenu& menu)
{
    std::vector<int> ids;

    for (juce::PopupMenu::MenuItemIterator item (menu, true); item.next();)
        if (item.getItem().isTicked)
            ids.push_back (item.getItem().itemID);

    return ids;
}

/** The message box on screen, as the framework shows it; nullptr when none is. */
juce::AlertWindow* shownAlert()
{
    auto& modal = *juce::ModalComponentManager::getInstance();

    for (int i = 0; i < modal.getNumModalComponents(); ++i)
        if (auto* alert = dynamic_cast<juce::AlertWindow*> (modal.getModalComponent (i)))
            return alert;

    return nullptr;
}

/** What a screen reader reads out: the box's title, then its text. */
juce::String shownText (const juce::AlertWindow& alert) { return alert.getDescription(); }

/** Clicks the button that reads `text`, as a user would, and lets the box
    close and deliver its answer. */
void press (juce::AlertWindow& alert, const juce::String& text)
{
    for (auto* child : alert.getChildren())
        if (auto* button = dynamic_cast<juce::Button*> (child); button != nullptr && button->getButtonText() == text)
        {
            button->triggerClick();
            deliverPendingMessages();
            return;
        }

    ADD_FAILURE() << "no button reads " << text;
}
} // namespace

class PresetBox : public ::testing::Test
{
protected:
    // A box left open by a failed check would stand over the next test.
    void TearDown() override
    {
        for (int round = 0; round < 4 && shownAlert() != nullptr; ++round)
        {
            shownAlert()->exitModalState (0);
            deliverPendingMessages();
        }
    }

    juce::File write (const juce::String& relativePath, const juce::String& text = "<Gadgets/>")
    {
        const auto file = root.getChildFile (relativePath);
        file.getParentDirectory().createDirectory();
        file.deleteFile();
        // Written in place: a temporary sibling could not take the longest names.
        juce::FileOutputStream (file).writeText (text, false, false, nullptr);
        return file;
    }

    int folderIndex (const juce::String& name) const { return store.getStringFolders().indexOf (name); }
    int entryIndex (const juce::String& folder, const juce::String& name) const
    {
        return store.getStringEntries (folderIndex (folder)).indexOf (name);
    }
    int idOf (int folder, int entry) const { return 1002 + 1000 * folder + entry; }

    /** The menu must list, under each folder's name, the first 500 entries of
        each of the first 100 listed folders that have any, and nothing else. */
    void expectMenuFollowsTheListings()
    {
        const auto items = presetItems (box.createMenu());
        const auto folders = store.getStringFolders();
        size_t expectedCount = 0;

        for (int f = 0; f < juce::jmin (100, folders.size()); ++f)
        {
            const auto entries = store.getStringEntries (f);

            for (int e = 0; e < juce::jmin (500, entries.size()); ++e, ++expectedCount)
            {
                const auto found = items.find (idOf (f, e));
                ASSERT_NE (found, items.end()) << folders[f] << "/" << entries[e];
                EXPECT_EQ (found->second.folder, folders[f]);
                EXPECT_EQ (found->second.text, entries[e].dropLastCharacters (4));
            }
        }

        EXPECT_EQ (items.size(), expectedCount);
    }

    TemporaryFolder temporary;
    const juce::File root = temporary.folder.getChildFile ("Presets");
    ParameterMapping mapping;
    PresetManagement store { &mapping, root };
    SpecialComboBox box { &store };
    ChangeCounter changes { box };
};

TEST_F (PresetBox, MenuListsTheFirst100FoldersAndTheFirst500EntriesUnderIdsThatNeverCollide)
{
    for (int f = 0; f < 150; ++f)
        for (int e = 0; e < (f % 10 == 3 ? 0 : 2); ++e) // every tenth folder empty
            write ("f" + juce::String (f) + "/p" + juce::String (e) + ".pmt");

    for (int e = 0; e < 700; ++e)
        write ("Guitar/" + juce::String (e) + ".pmt");

    expectMenuFollowsTheListings();

    // The 700-entry folder's own rule holds wherever the listing put it.
    box.setCurrentItem (-1, -1);
    const auto guitar = folderIndex ("Guitar");
    const auto items = presetItems (box.createMenu());
    EXPECT_EQ (items.count (idOf (guitar, 499)), guitar < 100 ? 1u : 0u);
    EXPECT_EQ (items.count (idOf (guitar, 500)), 0u);
}

TEST_F (PresetBox, ATreeWithMissingEmptyAndOddFoldersStillBuildsAMenu)
{
    write ("Rock/a.pmt");
    root.getChildFile ("Empty").createDirectory();
    root.getChildFile ("Locked").createDirectory();
    write ("Locked/b.pmt");
    chmod (root.getChildFile ("Locked").getFullPathName().toRawUTF8(), 0);
    write ("loose.pmt");
    root.getChildFile ("Dangling").createSymbolicLink (root.getChildFile ("nowhere"), true);
    mkfifo (root.getChildFile ("Rock/fifo.pmt").getFullPathName().toRawUTF8(), 0600);
    mkdir ((root.getFullPathName() + "/bad-\xff\xfe-name").toRawUTF8(), 0700);

    expectMenuFollowsTheListings();
    EXPECT_EQ (presetItems (box.createMenu()).count (idOf (folderIndex ("Rock"), entryIndex ("Rock", "a.pmt"))), 1u);

    root.deleteRecursively();
    EXPECT_EQ (box.createMenu().getNumItems(), 2); // default and save as
}

TEST_F (PresetBox, TickNeedsBothIndexesAndTheShownName)
{
    write ("Guitar/a.pmt");
    write ("Guitar/b.pmt");
    const auto guitar = folderIndex ("Guitar");
    const auto a = entryIndex ("Guitar", "a.pmt"), b = entryIndex ("Guitar", "b.pmt");

    struct Case
    {
        int loadedEntry, heldFolder, heldEntry;
        std::vector<int> ticked;
    };

    for (const auto& c : std::vector<Case> {
             { a, guitar, a, { idOf (guitar, a) } },
             { a, guitar, b, {} }, // the arrows moved on; the box still holds b
             { -1, -1, -1, { SpecialComboBox::defaultItemId } },
             { a, -1, -1, { SpecialComboBox::defaultItemId } },
         })
    {
        store.loadPreset (c.loadedEntry < 0 ? -1 : guitar, c.loadedEntry);
        box.setCurrentItem (c.heldFolder, c.heldEntry);
        EXPECT_EQ (tickedIds (box.createMenu()), c.ticked) << c.loadedEntry << " " << c.heldEntry;
    }
}

TEST_F (PresetBox, MenuResultsAnnounceOnlyANewPair)
{
    struct Case
    {
        int heldFolder, heldEntry, result, folder, entry, messages;
    };

    for (const auto& c : std::vector<Case> {
             { -1, -1, 1, -1, -1, 0 },
             { -1, -1, 0, -1, -1, 0 },
             { -1, -1, 1002 + 3000 + 7, 3, 7, 1 },
             { 3, 7, 1002 + 3000 + 7, 3, 7, 0 },
             { 3, 7, 1002 + 99000 + 499, 99, 499, 1 },
             { 3, 7, 1, -1, -1, 1 },
         })
    {
        box.setCurrentItem (c.heldFolder, c.heldEntry);
        box.setHasBeenModified (true);
        box.handleMenuResult (c.result);
        EXPECT_EQ (changes.take(), c.messages) << c.result;
        EXPECT_EQ (std::make_pair (box.currentFolder, box.currentEntry), std::make_pair (c.folder, c.entry));
        EXPECT_EQ (box.hasBeenModified, c.messages == 0);
    }
}

TEST_F (PresetBox, OnlyASingleLeftClickOpensTheMenu)
{
    box.setBounds (100, 50, 200, 19);
    box.addToDesktop (0);

    for (const auto& [buttons, clicks, opens] :
         std::vector<std::tuple<int, int, bool>> { { right, 1, false }, { left, 2, false }, { left, 1, true } })
    {
        box.mouseDown (mouseAt (box, { 10, 10 }, buttons, clicks));
        EXPECT_EQ (juce::PopupMenu::dismissAllActiveMenus(), opens) << buttons << " " << clicks;
    }
}

TEST_F (PresetBox, WheelStepsInsideTheFolderAndStopsAtItsEnds)
{
    for (const auto* name : { "a.pmt", "b.pmt", "c.pmt" })
        write (juce::String ("Guitar/") + name);

    root.getChildFile ("Empty").createDirectory();
    const auto guitar = folderIndex ("Guitar"), empty = folderIndex ("Empty");

    struct Case
    {
        int folder, entry;
        float deltaY;
        int expectedEntry;
    };

    for (const auto& c : std::vector<Case> {
             { guitar, 0, -1.0f, 1 },
             { guitar, 1, 1.0f, 0 },
             { guitar, 2, -1.0f, 2 },
             { guitar, 0, 1.0f, 0 },
             { guitar, 1, 0.0f, 1 },
             { guitar, 9, 1.0f, 2 }, // files removed behind the box's back
             { -1, -1, -1.0f, -1 },
             { empty, -1, -1.0f, -1 },
         })
    {
        box.setCurrentItem (c.folder, c.entry);
        box.mouseWheelMove (mouseAt (box, { 5, 5 }, 0), wheel (c.deltaY));
        const auto messages = changes.take();
        EXPECT_EQ (box.currentEntry, c.expectedEntry) << c.folder << " " << c.entry << " " << c.deltaY;
        EXPECT_EQ (box.currentFolder, c.folder);
        EXPECT_EQ (messages, c.expectedEntry != c.entry ? 1 : 0);
    }
}

//==============================================================================
TEST_F (PresetBox, SaveAsWritesWhereTheDialogSaysAndSelectsOnlyListedPresets)
{
    write ("Guitar/Sub/keep.txt");
    write ("Sub/x.pmt");
    const auto locked = write ("Guitar/locked.pmt", "<Gadgets marker=\"1\"/>");
    chmod (locked.getFullPathName().toRawUTF8(), 0444);
    const auto outside = temporary.folder.getChildFile ("Elsewhere/new.pmt");
    outside.getParentDirectory().createDirectory();
    const auto guitarFile = [&] (const char* name) { return root.getChildFile ("Guitar").getChildFile (name); };
    const juce::String readOnly (" is read-only and cannot be replaced. Nothing was saved.");
    const juce::String notWritten (" could not be written. Nothing was saved.");
    const juce::String notListed (" was saved, but the preset menu does not list it: it lists the presets in the folders of ");

    enum class Answer
    {
        notAsked,
        cancel,
        replace
    };

    enum class Selection
    {
        guitarPreset,
        theDefault,
        lastFolderDeletedSinceListed, // the save goes into that folder
        noFolderAtAll
    };

    struct Case
    {
        const char* what;
        juce::File chosen, saved;
        bool written;
        Answer replace = Answer::notAsked;
        juce::String told = {}; // what the "not saved" box says after the file's name
        Selection selection = Selection::guitarPreset;
    };

    for (const auto& c : std::vector<Case> {
             { "a new name in a folder", guitarFile ("new.pmt"), guitarFile ("new.pmt"), true },
             { "over an existing preset", guitarFile ("old.pmt"), guitarFile ("old.pmt"), true },
             { "capital extension", guitarFile ("Caps.PMT"), guitarFile ("Caps.pmt"), true },
             { "mixed-case extension", guitarFile ("Loud.Pmt"), guitarFile ("Loud.pmt"), true },
             { "the root itself", root.getChildFile ("top.pmt"), root.getChildFile ("top.pmt"), true },
             { "outside the tree", outside, outside, true },
             { "deeper than a folder, namesake of a folder", guitarFile ("Sub/x.pmt"), guitarFile ("Sub/x.pmt"), true },
             { "another extension", guitarFile ("new.txt"), guitarFile ("new.txt.pmt"), true },
             { "no extension", guitarFile ("My Tone"), guitarFile ("My Tone.pmt"), true },
             { "from the default",
               guitarFile ("First.pmt"),
               guitarFile ("First.pmt"),
               true,
               Answer::notAsked,
               {},
               Selection::theDefault },
             { "no extension, replace refused", guitarFile ("old"), guitarFile ("old.pmt"), false, Answer::cancel },
             { "no extension, replace allowed", guitarFile ("old"), guitarFile ("old.pmt"), true, Answer::replace },
             { "capital extension, replace allowed",
               guitarFile ("old.PMT"),
               guitarFile ("old.pmt"),
               true,
               Answer::replace },
             { "no extension, read-only", guitarFile ("locked"), locked, false, Answer::notAsked, readOnly },
             { "read-only, by its own name", locked, locked, false, Answer::notAsked, readOnly },
             { "into the selected folder, deleted since it was listed",
               {},
               {},
               false,
               Answer::notAsked,
               notWritten,
               Selection::lastFolderDeletedSinceListed },
             { "cancelled", juce::File(), juce::File(), false },
             { "no preset folder at all",
               root.getChildFile ("only.pmt"),
               root.getChildFile ("only.pmt"),
               true,
               Answer::notAsked,
               {},
               Selection::noFolderAtAll },
         })
    {
        SCOPED_TRACE (c.what);
        write ("Guitar/old.pmt", "<Gadgets marker=\"1\"/>");
        auto chosen = c.chosen, saved = c.saved;

        if (c.selection == Selection::guitarPreset)
        {
            box.setCurrentItem (folderIndex ("Guitar"), entryIndex ("Guitar", "old.pmt"));
        }
        else if (c.selection == Selection::lastFolderDeletedSinceListed)
        {
            // The last one listed: its index lies past the end of the listing without it.
            const auto folders = store.getStringFolders();
            const auto vanished = root.getChildFile (folders[folders.size() - 1]);
            box.setCurrentItem (folders.size() - 1, 0);
            vanished.deleteRecursively();
            chosen = saved = vanished.getChildFile ("new.pmt");
        }
        else
        {
            if (c.selection == Selection::noFolderAtAll)
                for (const auto& folder : root.findChildFiles (juce::File::findDirectories, false))
                    folder.deleteRecursively();

            box.setCurrentItem (-1, -1);
        }

        box.setHasBeenModified (true);
        mapping.setValue (3, 0.25f);
        const auto oldText = saved.loadFileAsString();
        juce::File startedIn;
        box.askForFileToSave = [&] (const juce::File& start, SpecialComboBox::SaveCallback onChosen) {
            startedIn = start;
            onChosen (chosen);
        };

        const auto before = std::make_pair (box.currentFolder, box.currentEntry);
        box.handleMenuResult (SpecialComboBox::saveAsItemId);

        if (c.replace != Answer::notAsked)
        {
            auto* question = shownAlert();
            ASSERT_NE (question, nullptr);
            EXPECT_EQ (shownText (*question),
                       "Replace preset?. " + saved.getFullPathName() + " already exists. Replace it?");
            press (*question, c.replace == Answer::replace ? "Replace" : "Cancel");
        }

        // Selected: a file the store lists one level below the root, and nothing else.
        const auto guitar = folderIndex ("Guitar");
        const auto listed = c.written && saved.getParentDirectory() == root.getChildFile ("Guitar")
                            && store.getStringEntries (guitar).contains (saved.getFileName());

        // Told when nothing was saved, and when the menu will not show what was.
        const auto expectedNotice =
            c.told.isNotEmpty() ? "Preset not saved. " + saved.getFullPathName() + c.told
            : c.written && ! listed
                ? "Preset not in the menu. " + saved.getFullPathName() + notListed + root.getFullPathName() + "."
                : juce::String();
        auto* notice = shownAlert();
        ASSERT_EQ (notice != nullptr, expectedNotice.isNotEmpty());

        if (notice != nullptr)
        {
            EXPECT_EQ (shownText (*notice), expectedNotice);
            press (*notice, "OK");
            EXPECT_EQ (shownAlert(), nullptr);
        }

        const auto messages = changes.take();
        const auto folders = store.getStringFolders();

        // The selected folder; from the default, or when the selected folder
        // is gone, the first listed one (the root lists nothing); the root
        // only when there is no folder at all.
        const auto expectedStart = c.selection == Selection::guitarPreset    ? root.getChildFile ("Guitar")
                                   : c.selection == Selection::noFolderAtAll ? root
                                                                             : root.getChildFile (folders[0]);
        EXPECT_EQ (startedIn.getFullPathName(), expectedStart.getFullPathName());

        EXPECT_EQ (saved.existsAsFile() && saved.loadFileAsString().contains ("PRM10=\"0.25\""), c.written);

        if (! c.written)
            EXPECT_EQ (saved.loadFileAsString(), oldText);

        const auto expected = listed ? std::make_pair (guitar, entryIndex ("Guitar", saved.getFileName())) : before;
        EXPECT_EQ (std::make_pair (box.currentFolder, box.currentEntry), expected);
        EXPECT_EQ (messages, listed ? 1 : 0);
        EXPECT_EQ (box.hasBeenModified, ! listed);
        EXPECT_EQ (root.findChildFiles (juce::File::findFiles, true, "*.tmp*").size(), 0);
    }
}

TEST_F (PresetBox, AFailedSaveKeepsTheOldPresetAndTheSelection)
{
    const auto old = write ("Guitar/old.pmt", "<Gadgets/>");
    box.setCurrentItem (-1, -1);
    box.askForFileToSave = [&] (const juce::File&, SpecialComboBox::SaveCallback onChosen) { onChosen (old); };

    // Files may grow to 20 bytes only, as on a full disk.
    rlimit original {};
    getrlimit (RLIMIT_FSIZE, &original);
    auto* previousHandler = std::signal (SIGXFSZ, SIG_IGN);
    rlimit tiny = original;
    tiny.rlim_cur = 20;
    setrlimit (RLIMIT_FSIZE, &tiny);

    box.handleMenuResult (SpecialComboBox::saveAsItemId);
    const auto messages = changes.take();

    setrlimit (RLIMIT_FSIZE, &original);
    std::signal (SIGXFSZ, previousHandler);

    EXPECT_EQ (old.loadFileAsString(), "<Gadgets/>");
    EXPECT_EQ (messages, 0); // the editor must not load the old file over the current values
    EXPECT_EQ (box.currentFolder, -1);

    // The user is told, or believes the preset is kept.
    auto* notice = shownAlert();
    ASSERT_NE (notice, nullptr);
    EXPECT_EQ (shownText (*notice),
               "Preset not saved. " + old.getFullPathName() + " could not be written. Nothing was saved.");
}

TEST_F (PresetBox, SaveSelectsTheFolderWhoseNameMatchesExactlyWhereCaseMatters)
{
    if (! juce::File::areFileNamesCaseSensitive())
        GTEST_SKIP() << "one folder can hold both names only where case matters";

    write ("Rock/a.pmt");
    write ("rock/a.pmt");

    for (const auto* folder : { "Rock", "rock" })
    {
        box.askForFileToSave = [&] (const juce::File&, SpecialComboBox::SaveCallback onChosen) {
            onChosen (root.getChildFile (folder).getChildFile ("a.pmt"));
        };
        box.handleMenuResult (SpecialComboBox::saveAsItemId);
        EXPECT_EQ (box.currentFolder, folderIndex (folder));
    }
}

//==============================================================================
TEST_F (PresetBox, NamesOfAnyLengthOrScriptStayInsideTheTextBox)
{
    box.setBounds (0, 0, 200, 19);
    const auto drawnWith = [&] (const juce::String& name) {
        write ("Guitar/" + name + PresetManagement::fileExtension);
        store.loadPreset (folderIndex ("Guitar"), entryIndex ("Guitar", name + PresetManagement::fileExtension));
        EXPECT_EQ (store.getCurrentText(), name);
        juce::Image canvas (juce::Image::ARGB, 260, 40, true); // room to overflow into
        juce::Graphics g (canvas);
        box.paint (g);
        snapshot (box, "preset-box-" + juce::String (name.length()));
        return canvas;
    };

    const auto shortName = drawnWith ("Clean");

    // 251 characters: with the extension, the longest name a Linux file system holds.
    for (const auto& name :
         { juce::String::repeatedString ("W", 251),
           juce::String (juce::CharPointer_UTF8 ("\xc3\x9c"
                                                 "berdrive \xc3\xb1 \xe6\x97\xa5\xe6\x9c\xac \xe2\x9a\xa1")) })
    {
        const auto drawn = drawnWith (name);

        for (int y = 0; y < drawn.getHeight(); ++y)
            for (int x = 0; x < drawn.getWidth(); ++x)
                if (x >= 200 || y >= 19 || x >= 185) // outside the box, or over the arrows
                    ASSERT_EQ (drawn.getPixelAt (x, y), shortName.getPixelAt (x, y)) << x << ", " << y;
    }
}

TEST_F (PresetBox, ModifiedMarkShowsOnlyForAChosenPreset)
{
    write ("Guitar/a.pmt");
    box.setBounds (0, 0, 200, 19);
    store.loadPreset (folderIndex ("Guitar"), 0);

    for (const auto& [folder, entry, markShown] :
         std::vector<std::tuple<int, int, bool>> { { folderIndex ("Guitar"), 0, true }, { -1, -1, false } })
    {
        box.setCurrentItem (folder, entry);
        const auto clean = snapshot (box);
        box.setHasBeenModified (true);
        EXPECT_EQ (samePixels (snapshot (box, "preset-box-modified"), clean), ! markShown) << folder;
    }
}
