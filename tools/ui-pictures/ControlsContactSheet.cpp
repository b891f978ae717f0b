// Every editor control in each of its states on one sheet, so a person can
// look at them all at once.

#include "UiPictures.h"
#include "engine/ParameterMapping.h"
#include "engine/PresetManagement.h"
#include "support/TemporaryFolder.h"
#include "ui/ComboBoxMIDILearn.h"
#include "ui/ComponentPedalAnim.h"
#include "ui/ControlTestSupport.h"
#include "ui/CustomLookAndFeel.h"
#include "ui/GadgetChainerComponent.h"
#include "ui/KnobComponent.h"
#include "ui/MIDILearnComponent.h"
#include "ui/MIDIUnlearnComponent.h"
#include "ui/SelectorComponent.h"
#include "ui/SpecialComboBox.h"
#include "ui/SwitchComponent.h"
#include "ui/VuMeterComponent.h"

#include <Images.h>

namespace
{
/** A meter that shows whatever level it is given. */
struct FixedMeter : AbstractVuMeterDSP
{
    void setSampleRate (double) override {}
    void reset() override {}
    void refresh() override {}
    void processSamples (const float*, int) override {}
};

constexpr int sheetWidth = 760;
constexpr int rowHeight = 110;
constexpr int captionHeight = 16;
constexpr int margin = 12;

/** Lays out captioned pictures left to right, row by row. */
class ContactSheet
{
public:
    explicit ContactSheet (int height)
        : sheet (juce::Image::ARGB, sheetWidth, height, true)
        , g (sheet)
    {
        g.fillAll (juce::Colour (0xff3a3a40));
    }

    void nextRow()
    {
        ++row;
        x = margin;
    }

    void add (juce::Component& component, const juce::String& caption)
    {
        const auto picture = controltest::snapshot (component);
        const int y = row * rowHeight + margin;
        g.drawImageAt (picture, x, y + captionHeight);
        g.setColour (juce::Colours::white);
        g.setFont (12.0f);
        g.drawText (caption, x, y, juce::jmax (picture.getWidth(), 60), captionHeight, juce::Justification::left);
        x += juce::jmax (picture.getWidth(), 60) + margin;
    }

    juce::Image sheet;

private:
    juce::Graphics g;
    int row = 0;
    int x = margin;
};

template <typename Control>
std::unique_ptr<Control> sized (std::unique_ptr<Control> control, int width, int height)
{
    control->setBounds (0, 0, width, height);
    return control;
}
} // namespace

juce::String drawControlsContactSheet()
{
    CustomLookAndFeel lookAndFeel;
    CustomLookAndFeel::installTypefaceSubstitution();
    // Six rows of small controls, then the pedal view.
    ContactSheet sheet (6 * rowHeight + 300 + captionHeight + 2 * margin);

    for (const auto& [value, armed, caption] : { std::tuple { 0.0f, false, "knob 0" },
                                                 std::tuple { 0.5f, false, "knob 0.5" },
                                                 std::tuple { 1.0f, false, "knob 1" },
                                                 std::tuple { 0.5f, true, "knob armed" } })
    {
        auto knob = sized (std::make_unique<KnobComponent>(), 47, 47);
        knob->value = value;
        knob->armed = armed;
        sheet.add (*knob, caption);
    }
    for (const auto& [state, armed, caption] : { std::tuple { false, false, "switch off" },
                                                 std::tuple { true, false, "switch on" },
                                                 std::tuple { true, true, "switch armed" } })
    {
        auto toggle = sized (std::make_unique<SwitchComponent>(), 12, 32);
        toggle->state = state;
        toggle->armed = armed;
        sheet.add (*toggle, caption);
    }

    sheet.nextRow();
    for (const auto& [selected, armed, caption] : { std::tuple { false, false, "selector" },
                                                    std::tuple { true, false, "selected" },
                                                    std::tuple { false, true, "selector armed" } })
    {
        auto selector = sized (std::make_unique<SelectorComponent>(), 30, 30);
        selector->selected = selected;
        selector->armed = armed;
        sheet.add (*selector, caption);
    }
    FixedMeter meter;
    for (const auto levelDb : { -200.0f, -35.0f, -12.0f, -5.0f, -1.0f, 3.0f })
    {
        meter.levelDb = levelDb;
        VuMeterComponent view (&meter);
        view.setBounds (0, 0, 11, 51);
        view.timerCallback();
        sheet.add (view, juce::String (levelDb, 0) + " dB");
    }

    sheet.nextRow();
    for (const auto& [enabled, armed, caption] : { std::tuple { true, false, "impulse box" },
                                                   std::tuple { true, true, "impulse armed" },
                                                   std::tuple { false, false, "impulse disabled" } })
    {
        ComboBoxMIDILearn box;
        box.setLookAndFeel (&lookAndFeel);
        box.setBounds (0, 0, 150, 19);
        for (int i = 1; i <= 8; ++i)
            box.addItem ("Impulse " + juce::String (i), i);
        box.setSelectedId (3, juce::dontSendNotification);
        box.armed = armed;
        box.setEnabled (enabled);
        sheet.add (box, caption);
        box.setLookAndFeel (nullptr);
    }

    sheet.nextRow();
    struct StripState
    {
        int selectedSlot;
        std::array<bool, 4> enabled;
        bool swapPending;
        const char* caption;
    };
    for (const auto& state : { StripState { 0, { true, false, false, false }, false, "strip: slot 1" },
                               StripState { 2, { true, true, true, false }, false, "strip: slot 3 of 3" },
                               StripState { 1, { true, true, true, true }, true, "strip: swap pending" } })
    {
        GadgetChainerComponent strip (&lookAndFeel);
        strip.setLookAndFeel (&lookAndFeel);
        strip.setBounds (0, 0, 97, 35);
        strip.selectedSlot = state.selectedSlot;
        std::copy (state.enabled.begin(), state.enabled.end(), strip.slotEnabled);
        strip.swapPending = state.swapPending;
        sheet.add (strip, state.caption);
        strip.setLookAndFeel (nullptr);
    }
    MIDILearnComponent learn (&lookAndFeel);
    learn.setBounds (0, 0, 75, 24);
    sheet.add (learn, "learn");
    MIDIUnlearnComponent unlearn (&lookAndFeel);
    unlearn.setBounds (0, 0, 95, 24);
    sheet.add (unlearn, "unlearn");

    sheet.nextRow();
    TemporaryFolder root;
    ParameterMapping mapping;
    PresetManagement store (&mapping, root.folder.getChildFile ("Presets"));
    for (const auto& [modified, caption] :
         { std::pair { false, "preset box" }, std::pair { true, "preset box, modified" } })
    {
        SpecialComboBox box (&store);
        box.setLookAndFeel (&lookAndFeel);
        box.setBounds (0, 0, 200, 19);
        box.setCurrentItem (PresetManagement::none, PresetManagement::none);
        box.setHasBeenModified (modified);
        sheet.add (box, caption);
        box.setLookAndFeel (nullptr);
    }

    sheet.nextRow();
    auto pedal = juce::ImageCache::getFromMemory (Images::pedal06_png, Images::pedal06_pngSize);
    ComponentPedalAnim pedalView (lookAndFeel.regularFont.withHeight (24.0f));
    pedalView.setLookAndFeel (&lookAndFeel);
    pedalView.setBounds (0, 0, 732, 300);
    pedalView.picture = &pedal;
    pedalView.title = "Derurevore";
    pedalView.description = "A pedal view with its title and a description long enough to wrap onto a second line.";
    sheet.add (pedalView, "pedal view");
    pedalView.setLookAndFeel (nullptr);

    controltest::saveSnapshot (sheet.sheet, "controls-contact-sheet");
    return "controls-contact-sheet";
}
