#pragma once

#include "engine/PresetManagement.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

/** The preset selector: shows the loaded preset's name and, on a click,
    a menu with the default preset, "save as..." and one submenu per preset
    folder. A new choice is announced by a change message; the editor then
    reads (currentFolder, currentEntry) and loads it through the store. The
    wheel steps through the chosen folder. */
class SpecialComboBox : public juce::Component, public juce::ChangeBroadcaster
{
public:
    /** Menu item ids: 1 and 2 are the fixed items, a preset's id is
        firstPresetId + folder x folderIdStride + entry. */
    static constexpr int defaultItemId = 1;
    static constexpr int saveAsItemId = 2;
    static constexpr int firstPresetId = 1002;
    static constexpr int folderIdStride = 1000;
    /** Listing caps that keep every preset id distinct. */
    static constexpr int maxFolders = 100;
    static constexpr int maxEntriesPerFolder = 500;

    /** Called with the file the user chose to save into, or the empty File when cancelled. */
    using SaveCallback = std::function<void (const juce::File&)>;
    /** Asks for a file to save into, starting in a folder. */
    using SaveFileRequest = std::function<void (const juce::File& startFolder, SaveCallback onChosen)>;

    /** The store is not owned; it must outlive the box. */
    explicit SpecialComboBox (PresetManagement* presetStore);
    ~SpecialComboBox() override;

    void setHasBeenModified (bool modified);
    /** Sets the choice without announcing it. */
    void setCurrentItem (int folder, int entry);

    /** The menu a click opens, as it stands on disk now. */
    juce::PopupMenu createMenu() const;
    /** Acts on a menu result: 0 dismissed, 1 default, 2 save as, else a preset id. */
    void handleMenuResult (int result);

    void mouseDown (const juce::MouseEvent& event) override;
    void mouseWheelMove (const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel) override;
    void paint (juce::Graphics& g) override;

    bool hasBeenModified = false;
    PresetManagement* presets;
    int currentFolder = PresetManagement::none;
    int currentEntry = PresetManagement::none;
    juce::Image comboImage;

    /** Opens the native save dialog; tests put their own answer here. */
    SaveFileRequest askForFileToSave;

private:
    void choose (int folder, int entry);
    void announce (int folder, int entry);
    juce::File folderToSaveIn() const;
    void saveAs (const juce::File& chosen);
    void askToReplace (const juce::File& existing);
    void saveAndSelect (const juce::File& file);
    /** Selects a saved file the menu lists; false when it lists none such. */
    bool selectSavedFile (const juce::File& file);
    void tellNotListed (const juce::File& file) const;
    void openSaveDialog (const juce::File& startFolder, SaveCallback onChosen);
    static void tellNotSaved (const juce::File& file);
    juce::PopupMenu createFolderMenu (int folder, const juce::String& shownText) const;
    void drawArrows (juce::Graphics& g) const;
    juce::String textToShow() const;

    std::unique_ptr<juce::FileChooser> saveDialog;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SpecialComboBox)
};
