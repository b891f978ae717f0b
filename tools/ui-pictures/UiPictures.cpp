// Draws pictures of the editor for a person to look at, into ui-snapshots/
// beside this program (build/tests/ui-snapshots/ in a build):
//   xvfb-run -a build/tests/tarvolin_ui_pictures
// The editor once per gadget, editor-gadget00.png to editor-gadget13.png
// (tools/editor-screenshot.sh keeps one of them as the README's picture),
// and every control in each of its states, controls-contact-sheet.png.
// Exits with 1 when a picture was not written.

#include "UiPictures.h"
#include "support/PrivateUserFolders.h"
#include "ui/ControlTestSupport.h"
#include "ui/support/EditorHarness.h"

#include <iostream>

namespace
{
/** The editor opened on each gadget in slot 1, HOT on every other one. */
juce::StringArray drawEditorWithEachGadget()
{
    using Kind = ParameterMapping::Kind;
    juce::StringArray names;

    for (int gadget = 0; gadget < TarvolinAudioProcessorEditor::numGadgets; ++gadget)
    {
        EditorHarness h;
        h.processor->setMappedParameter (ParameterMapping::indexOf (0, Kind::algorithm), (float) gadget);
        h.processor->setMappedParameter (ParameterMapping::indexOf (0, Kind::hot), gadget % 2 == 0 ? 1.0f : 0.0f);
        auto& editor = h.open();

        names.add ("editor-gadget" + juce::String (gadget).paddedLeft ('0', 2));
        controltest::snapshot (editor, names[names.size() - 1]);
    }

    return names;
}
} // namespace

int main()
{
    juce::ScopedJuceInitialiser_GUI gui;
    controltest::ignoreXErrors();
    // The game's best score and the preset tree are read from a fresh
    // folder, never from the user's own.
    const PrivateUserFolders userFolders;

    auto names = drawEditorWithEachGadget();
    names.add (drawControlsContactSheet());

    const auto folder =
        juce::File::getSpecialLocation (juce::File::currentExecutableFile).getSiblingFile ("ui-snapshots");
    int missing = 0;

    for (const auto& name : names)
    {
        const auto file = folder.getChildFile (name + ".png");

        if (file.getSize() == 0)
        {
            std::cerr << "not written: " << file.getFullPathName() << "\n";
            ++missing;
        }
    }

    std::cout << "wrote " << names.size() - missing << " pictures into " << folder.getFullPathName() << "\n";
    return missing == 0 ? 0 : 1;
}
