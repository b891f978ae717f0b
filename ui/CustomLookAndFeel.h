#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The editor's look: white-on-dark combo boxes and popup menus, the two
    embedded Open Sans fonts every control draws with, picture combo boxes
    with the MIDI-learn tint, and tooltips in the regular font.

    One per processor, built with it on whatever thread the host uses (so
    building it needs no display and no message loop) and lent to each
    editor; it is never made the framework's default look and feel. */
class CustomLookAndFeel : public juce::LookAndFeel_V2
{
public:
    static constexpr float fontHeight = 16.0f;
    /** Boxes at least this wide use the wide picture. */
    static constexpr int wideComboBoxMinWidth = 151;
    static constexpr float disabledArrowAlpha = 0.3f;
    static constexpr float tooltipMaxWidth = 400.0f;
    /** The face the gadget descriptions are set in, and the one drawn in its
        place where the system lacks it: the same advance widths, so the
        descriptions wrap where they were laid out to. */
    static constexpr char descriptionFaceName[] = "Times New Roman";
    static constexpr char metricCompatibleSerifName[] = "Liberation Serif";

    CustomLookAndFeel();
    ~CustomLookAndFeel() override;

    void drawComboBox (juce::Graphics&,
                       int width,
                       int height,
                       bool isButtonDown,
                       int buttonX,
                       int buttonY,
                       int buttonW,
                       int buttonH,
                       juce::ComboBox&) override;
    juce::Label* createComboBoxTextBox (juce::ComboBox&) override;
    void drawTooltip (juce::Graphics&, const juce::String& text, int width, int height) override;
    juce::Typeface::Ptr getTypefaceForFont (const juce::Font&) override;

    juce::TextLayout layoutTooltipText (const juce::String& text, juce::Colour colour) const;

    /** The face drawn for a font whose named face this system lacks (the
        gadget descriptions' descriptionFaceName), or null when the font
        resolves as usual. */
    static juce::Typeface::Ptr findSubstituteTypeface (const juce::Font&);

    /** Makes every font resolve through findSubstituteTypeface first, so
        text drawn in a substituted font keeps its intended metrics. Call on
        the message thread when an editor opens, before it lays out text;
        calling it again does no harm. */
    static void installTypefaceSubstitution();

    juce::Font regularFont;
    juce::Font italicFont;
    juce::Image comboBoxImage;
    juce::Image wideComboBoxImage;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CustomLookAndFeel)
};
