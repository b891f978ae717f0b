#include "SpecialComboBox.h"

#include <Images.h>

namespace
{
constexpr const char* defaultItemText = "---default---";
constexpr const char* saveAsItemText = "save as...";
constexpr const char* saveDialogTitle = "Save as...";
constexpr const char* replaceTitle = "Replace preset?";
constexpr const char* alreadyExistsText = " already exists. Replace it?";
constexpr const char* replaceButtonText = "Replace";
constexpr const char* keepButtonText = "Cancel";
constexpr const char* notSavedTitle = "Preset not saved";
constexpr const char* readOnlyText = " is read-only and cannot be replaced. Nothing was saved.";
constexpr const char* notWrittenText = " could not be written. Nothing was saved.";
constexpr const char* notSavedButtonText = "OK";
constexpr const char* notListedTitle = "Preset not in the menu";
constexpr const char* notListedText = " was saved, but the preset menu does not list it: it lists the presets in the folders of ";
constexpr const char* modifiedMark = "*";

// The arrows' apexes lie 0.2 beyond their bases, worked out in float as the
// look and feel's combo arrows are, so both kinds of box draw the same shape.
constexpr float upBaseFactor = 0.45f;
constexpr float downBaseFactor = 0.55f;
constexpr float apexOffsetFactor = 0.2f;
constexpr float arrowLeftFactor = 0.3f;
constexpr float arrowMiddleFactor = 0.5f;
constexpr float arrowRightFactor = 0.7f;

/** Names compare as the file system compares them: without regard to case
    only where the file system ignores case, so a save never selects a
    different file that merely differs in case. */
bool sameFileName (const juce::String& a, const juce::String& b)
{
    return juce::File::areFileNamesCaseSensitive() ? a == b : a.equalsIgnoreCase (b);
}

/** Linux save dialogs add no extension, and where case matters the menu
    lists ".pmt" in these capitals only: a file named otherwise would be
    written but never listed. */
juce::File withPresetExtension (const juce::File& chosen)
{
    const auto extension = chosen.getFileExtension();
    auto name = chosen.getFileName();

    if (extension == PresetManagement::fileExtension)
        return chosen;

    if (extension.equalsIgnoreCase (PresetManagement::fileExtension))
        name = name.dropLastCharacters (PresetManagement::fileExtensionLength);

    return chosen.getSiblingFile (name + PresetManagement::fileExtension);
}

int lastIndexNamed (const juce::StringArray& names, const juce::String& name)
{
    for (int i = names.size(); --i >= 0;)
        if (sameFileName (names[i], name))
            return i;

    return PresetManagement::none;
}
} // namespace

SpecialComboBox::SpecialComboBox (PresetManagement* presetStore)
    : presets (presetStore)
    , comboImage (juce::ImageCache::getFromMemory (Images::combobox2_png, Images::combobox2_pngSize))
{
    askForFileToSave = [this] (const juce::File& startFolder, SaveCallback onChosen) {
        openSaveDialog (startFolder, std::move (onChosen));
    };
}

SpecialComboBox::~SpecialComboBox() = default;

void SpecialComboBox::setHasBeenModified (bool modified)
{
    hasBeenModified = modified;
    repaint();
}

void SpecialComboBox::setCurrentItem (int folder, int entry)
{
    currentFolder = folder;
    currentEntry = entry;
    hasBeenModified = false;
    repaint();
}

//==============================================================================
juce::PopupMenu SpecialComboBox::createFolderMenu (int folder, const juce::String& shownText) const
{
    auto entries = presets->getStringEntries (folder);
    entries.removeRange (maxEntriesPerFolder, entries.size());

    juce::PopupMenu folderMenu;

    for (int entry = 0; entry < entries.size(); ++entry)
    {
        const auto text = entries[entry].dropLastCharacters (PresetManagement::fileExtensionLength);
        // Both the indexes and the loaded name must agree: after the arrow
        // buttons the box still holds its old pair while another preset is loaded.
        const auto ticked = folder == currentFolder && entry == currentEntry && shownText == text;
        folderMenu.addItem (firstPresetId + folderIdStride * folder + entry, text, true, ticked);
    }

    return folderMenu;
}

juce::PopupMenu SpecialComboBox::createMenu() const
{
    juce::PopupMenu menu;
    menu.setLookAndFeel (&getLookAndFeel());

    const auto isDefault = currentFolder == PresetManagement::none && currentEntry == PresetManagement::none;
    menu.addItem (defaultItemId, defaultItemText, true, isDefault);
    menu.addItem (saveAsItemId, saveAsItemText, true, false);
    menu.addSeparator();

    auto folders = presets->getStringFolders();
    folders.removeRange (maxFolders, folders.size());
    const auto shownText = presets->getCurrentText();

    for (int folder = 0; folder < folders.size(); ++folder)
    {
        const auto folderMenu = createFolderMenu (folder, shownText);

        if (folderMenu.getNumItems() > 0)
            menu.addSubMenu (folders[folder], folderMenu);
    }

    return menu;
}

void SpecialComboBox::mouseDown (const juce::MouseEvent& event)
{
    if (event.getNumberOfClicks() != 1 || ! event.mods.isLeftButtonDown())
        return;

    juce::Component::SafePointer<SpecialComboBox> box (this);

    createMenu().showMenuAsync (juce::PopupMenu::Options().withTargetComponent (this), [box] (int result) {
        if (box != nullptr)
            box->handleMenuResult (result);
    });
}

void SpecialComboBox::handleMenuResult (int result)
{
    if (result == saveAsItemId)
    {
        juce::Component::SafePointer<SpecialComboBox> box (this);

        askForFileToSave (folderToSaveIn(), [box] (const juce::File& file) {
            if (box != nullptr)
                box->saveAs (file);
        });
    }
    else if (result == defaultItemId)
    {
        choose (PresetManagement::none, PresetManagement::none);
    }
    else if (result > saveAsItemId)
    {
        const auto offset = result - saveAsItemId;
        choose (offset / folderIdStride - 1, offset % folderIdStride);
    }
}

void SpecialComboBox::choose (int folder, int entry)
{
    if (folder == currentFolder && entry == currentEntry)
        return;

    announce (folder, entry);
}

void SpecialComboBox::announce (int folder, int entry)
{
    currentFolder = folder;
    currentEntry = entry;
    hasBeenModified = false;
    repaint();
    sendChangeMessage();
}

//==============================================================================
void SpecialComboBox::openSaveDialog (const juce::File& startFolder, SaveCallback onChosen)
{
    const auto presetPattern = "*" + juce::String (PresetManagement::fileExtension);
    saveDialog = std::make_unique<juce::FileChooser> (saveDialogTitle, startFolder, presetPattern, true, false);

    const auto dialogFlags = juce::FileBrowserComponent::saveMode | juce::FileBrowserComponent::canSelectFiles
                             | juce::FileBrowserComponent::warnAboutOverwriting;

    saveDialog->launchAsync (dialogFlags, [onChosen = std::move (onChosen)] (const juce::FileChooser& chooser) {
        onChosen (chooser.getResult());
    });
}

juce::File SpecialComboBox::folderToSaveIn() const
{
    // The root lists no presets: from the default, a save there would never
    // show in the menu, so the first folder is offered instead.
    const auto folderCount = presets->getStringFolders().size();
    return presets->getFolderPreset (juce::isPositiveAndBelow (currentFolder, folderCount) ? currentFolder : 0);
}

void SpecialComboBox::saveAs (const juce::File& chosen)
{
    if (chosen == juce::File())
        return;

    const auto file = withPresetExtension (chosen);

    // The dialog warned only about the name it was given; a preset that
    // cannot be replaced is not offered for replacing, the save says why.
    if (file == chosen || ! file.exists() || PresetManagement::isReadOnly (file))
        saveAndSelect (file);
    else
        askToReplace (file);
}

void SpecialComboBox::askToReplace (const juce::File& existing)
{
    juce::Component::SafePointer<SpecialComboBox> box (this);

    // Tied to no component: the host may close the editor while the
    // question is open.
    juce::AlertWindow::showOkCancelBox (juce::MessageBoxIconType::WarningIcon,
                                        replaceTitle,
                                        existing.getFullPathName() + alreadyExistsText,
                                        replaceButtonText,
                                        keepButtonText,
                                        nullptr,
                                        juce::ModalCallbackFunction::create ([box, existing] (int result) {
                                            if (box != nullptr && result != 0)
                                                box->saveAndSelect (existing);
                                        }));
}

void SpecialComboBox::saveAndSelect (const juce::File& file)
{
    // Selecting a file whose write failed would make the editor load the
    // old contents over the values the user meant to keep.
    if (! presets->savePreset (file))
    {
        tellNotSaved (file);
        return;
    }

    if (! selectSavedFile (file))
        tellNotListed (file);
}

void SpecialComboBox::tellNotSaved (const juce::File& file)
{
    // The "*" alone would leave the user believing the preset is kept.
    const auto reason = PresetManagement::isReadOnly (file) ? readOnlyText : notWrittenText;

    // Tied to no component, as the replace question.
    juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::WarningIcon,
                                            notSavedTitle,
                                            file.getFullPathName() + reason,
                                            notSavedButtonText,
                                            nullptr);
}

void SpecialComboBox::tellNotListed (const juce::File& file) const
{
    // Saved where the menu never looks, the preset would seem to vanish.
    juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::InfoIcon,
                                            notListedTitle,
                                            file.getFullPathName() + notListedText
                                                + presets->rootFolder.getFullPathName() + ".",
                                            notSavedButtonText,
                                            nullptr);
}

bool SpecialComboBox::selectSavedFile (const juce::File& file)
{
    const auto folderFile = file.getParentDirectory();

    // Only a preset folder's own files are listed; a file deeper down must
    // not be taken for a namesake one level below the root.
    if (folderFile.getParentDirectory() != presets->rootFolder)
        return false;

    const auto folder = lastIndexNamed (presets->getStringFolders(), folderFile.getFileName());

    if (folder == PresetManagement::none)
        return false;

    const auto entry = lastIndexNamed (presets->getStringEntries (folder), file.getFileName());

    if (entry == PresetManagement::none)
        return false;

    // Announced even when it is the current entry: the file on disk changed.
    announce (folder, entry);
    return true;
}

//==============================================================================
void SpecialComboBox::mouseWheelMove (const juce::MouseEvent&, const juce::MouseWheelDetails& wheel)
{
    // The wheel steps inside a folder only: nothing to step from the default.
    if (currentFolder == PresetManagement::none)
        return;

    const auto oldEntry = currentEntry;

    if (wheel.deltaY < 0.0f)
        ++currentEntry;
    else if (wheel.deltaY > 0.0f)
        --currentEntry;

    if (currentFolder >= 0 && currentEntry < 0)
        currentEntry = 0;

    const auto count = presets->getStringEntries (currentFolder).size();

    if (currentEntry >= count)
        currentEntry = count - 1;

    if (currentEntry == oldEntry)
        return;

    hasBeenModified = false;
    repaint();
    sendChangeMessage();
}

//==============================================================================
juce::String SpecialComboBox::textToShow() const
{
    auto text = presets->getCurrentText();
    const auto isDefault = currentFolder == PresetManagement::none && currentEntry == PresetManagement::none;

    if (hasBeenModified && ! isDefault)
        text += modifiedMark;

    return text;
}

void SpecialComboBox::drawArrows (juce::Graphics& g) const
{
    const auto side = (float) getHeight();
    const auto left = (float) (getWidth() - getHeight());
    const auto x = [left, side] (float factor) { return left + factor * side; };
    const auto y = [side] (float factor) { return factor * side; };

    juce::Path arrows;
    arrows.addTriangle (x (arrowMiddleFactor),
                        y (upBaseFactor - apexOffsetFactor),
                        x (arrowRightFactor),
                        y (upBaseFactor),
                        x (arrowLeftFactor),
                        y (upBaseFactor));
    arrows.addTriangle (x (arrowMiddleFactor),
                        y (downBaseFactor + apexOffsetFactor),
                        x (arrowRightFactor),
                        y (downBaseFactor),
                        x (arrowLeftFactor),
                        y (downBaseFactor));

    g.setColour (juce::Colours::white);
    g.fillPath (arrows);
}

void SpecialComboBox::paint (juce::Graphics& g)
{
    g.drawImageAt (comboImage, 0, 0, false);
    drawArrows (g);

    // The text box ends where the arrows' square begins, plus the three
    // pixels the framework's own combo boxes give it.
    g.setColour (juce::Colours::white);
    g.drawFittedText (
        textToShow(), 1, 1, getWidth() + 3 - getHeight(), getHeight() - 2, juce::Justification::centred, 1);
}
