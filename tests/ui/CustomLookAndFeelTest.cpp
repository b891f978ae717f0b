#include "ui/CustomLookAndFeel.h"
#include "ControlTestSupport.h"

namespace
{
using namespace controltest;

constexpr int comboHeight = 19;
constexpr int pixelTolerance = 3;

// Where the narrow picture's rounded end is clear and the wide bar is not.
const juce::Point<int> rightEnd { 149, 1 };
// Inside the upper arrow of a box 150 or 151 wide.
const juce::Point<int> insideUpperArrow { 142, 7 };
// Middle of the bar: no arrow, no text.
const juce::Point<int> middleOfBar { 75, 9 };

class LookAndFeelTest : public ::testing::Test
{
protected:
    CustomLookAndFeel lookAndFeel;
};

juce::Colour pixelAt (const juce::Image& image, juce::Point<int> p) { return image.getPixelAt (p.x, p.y); }
} // namespace

TEST_F (LookAndFeelTest, ComboBoxPictureArrowsAndArmedTint)
{
    const auto white = juce::Colours::white;
    const auto clear = juce::Colours::transparentBlack;
    constexpr float unchecked = -1.0f;

    ASSERT_FALSE (pixelsNear (pixelAt (lookAndFeel.comboBoxImage, rightEnd),
                              pixelAt (lookAndFeel.wideComboBoxImage, rightEnd),
                              pixelTolerance));

    // clang-format off
    const struct
    {
        int width;
        bool enabled;
        juce::Colour arrowColour;
        juce::Colour background;
        bool widePicture;
        float arrowAlpha; // as drawn over the plain picture
        bool red;
    } cases[] = {
        { 150, true,  white,                  clear,              false, 1.0f,      false },
        { 151, true,  white,                  clear,              true,  1.0f,      false },
        { 150, false, white,                  clear,              false, 0.3f,      false },
        { 151, false, white.withAlpha (0.5f), clear,              true,  0.15f,     false },
        // Any box that is red, for whatever reason, is drawn armed.
        { 150, true,  white,                  juce::Colours::red, false, unchecked, true },
    };
    // clang-format on

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.width) + (c.enabled ? " enabled " : " disabled ") + c.arrowColour.toString()
                      + " on " + c.background.toString());
        juce::ComboBox box;
        box.setLookAndFeel (&lookAndFeel);
        box.setSize (c.width, comboHeight);
        box.setEnabled (c.enabled);
        box.setColour (juce::ComboBox::arrowColourId, c.arrowColour);
        box.setColour (juce::ComboBox::backgroundColourId, c.background);

        const auto drawn = snapshot (box);
        const auto& picture = c.widePicture ? lookAndFeel.wideComboBoxImage : lookAndFeel.comboBoxImage;
        EXPECT_TRUE (pixelsNear (pixelAt (drawn, rightEnd), pixelAt (picture, rightEnd), pixelTolerance));

        if (c.arrowAlpha != unchecked)
        {
            const auto expected = pixelAt (picture, insideUpperArrow).overlaidWith (white.withAlpha (c.arrowAlpha));
            EXPECT_TRUE (pixelsNear (pixelAt (drawn, insideUpperArrow), expected, pixelTolerance));
        }

        const auto middle = pixelAt (drawn, middleOfBar);
        EXPECT_EQ (looksArmed (middle), c.red) << middle.toString();
    }
}

//==============================================================================
namespace
{
const juce::String sampleText ("The quick brown fox");
constexpr float descriptionHeight = 18.0f;
// The description face's advance widths, which its substitute shares.
constexpr float serifSampleWidth = 136.8f;

juce::Font descriptionFont()
{
    return juce::Font (CustomLookAndFeel::descriptionFaceName, descriptionHeight, juce::Font::plain);
}

juce::Image render (const juce::Font& font)
{
    juce::Image image (juce::Image::ARGB, 160, 28, true);
    juce::Graphics g (image);
    g.setColour (juce::Colours::black);
    g.setFont (font);
    g.drawSingleLineText (sampleText, 2, 20);
    return image;
}

} // namespace

TEST_F (LookAndFeelTest, DescriptionFontIsDrawnInTheSerifWhileKeepingItsName)
{
    const juce::Font viaLookAndFeel (lookAndFeel.getTypefaceForFont (descriptionFont()));
    EXPECT_NEAR (
        viaLookAndFeel.withHeight (descriptionHeight).getStringWidthFloat (sampleText), serifSampleWidth, 0.5f);

    if (CustomLookAndFeel::findSubstituteTypeface (descriptionFont()) == nullptr)
        GTEST_SKIP() << "this system has the named face itself";

    const auto serif =
        render (juce::Font (CustomLookAndFeel::metricCompatibleSerifName, descriptionHeight, juce::Font::plain));

    // Second pass: another look and feel has taken the framework's hook and
    // the name was resolved (to the sans fallback) before the editor opened.
    for (const bool resolvedEarlier : { false, true })
    {
        SCOPED_TRACE (resolvedEarlier);

        if (resolvedEarlier)
        {
            const juce::LookAndFeel_V4 another;
            juce::Typeface::clearTypefaceCache();
            ASSERT_FALSE (samePixels (render (descriptionFont()), serif));
        }

        CustomLookAndFeel::installTypefaceSubstitution();

        EXPECT_TRUE (samePixels (render (descriptionFont()), serif));
        EXPECT_EQ (descriptionFont().getTypefaceName(), CustomLookAndFeel::descriptionFaceName);
        EXPECT_NEAR (descriptionFont().getStringWidthFloat (sampleText), serifSampleWidth, 0.5f);
    }
}
