#include "ui/CustomLookAndFeel.h"
#include "ControlTestSupport.h"
#include "ui/ComboBoxMIDILearn.h"

namespace
{
constexpr int comboHeight = 19;
constexpr int narrowWidth = 150;
constexpr int pixelTolerance = 3;

// Inside the upper arrow of a 150 x 19 box (button area x 135..150).
const juce::Point<int> insideUpperArrow { 142, 7 };
// Middle of the bar: no arrow, no text.
const juce::Point<int> middleOfBar { 75, 9 };

class LookAndFeelTest : public GuiTest
{
protected:
    CustomLookAndFeel lookAndFeel;
};

juce::Colour pixelAt (const juce::Image& image, juce::Point<int> p) { return image.getPixelAt (p.x, p.y); }

bool looksRed (juce::Colour c) { return c.getRed() > c.getGreen() + 40 && c.getRed() > c.getBlue() + 40; }
} // namespace

TEST_F (LookAndFeelTest, BoxesUpTo150WideUseTheNarrowPictureWiderOnesTheWide)
{
    // The narrow picture's rounded end leaves this pixel clear; the wide bar covers it.
    const juce::Point<int> rightEnd { 149, 1 };
    ASSERT_FALSE (pixelsNear (pixelAt (lookAndFeel.comboBoxImage, rightEnd),
                              pixelAt (lookAndFeel.wideComboBoxImage, rightEnd),
                              pixelTolerance));

    const struct
    {
        int width;
        bool wide;
    } cases[] = { { 150, false }, { 151, true }, { 200, true } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.width);
        juce::ComboBox box;
        box.setLookAndFeel (&lookAndFeel);
        box.setSize (c.width, comboHeight);

        const auto& expected = c.wide ? lookAndFeel.wideComboBoxImage : lookAndFeel.comboBoxImage;
        EXPECT_TRUE (pixelsNear (pixelAt (snapshotOf (box), rightEnd), pixelAt (expected, rightEnd), pixelTolerance));
    }
}

TEST_F (LookAndFeelTest, DisabledBoxesDrawTheirArrowsAtThirtyPercentOfTheArrowColour)
{
    const struct
    {
        bool enabled;
        juce::Colour arrowColour;
        float expectedAlpha;
    } cases[] = {
        { true, juce::Colours::white, 1.0f },
        { false, juce::Colours::white, 0.3f },
        { false, juce::Colours::white.withAlpha (0.5f), 0.15f },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.enabled ? "enabled " : "disabled ") + c.arrowColour.toString());
        juce::ComboBox box;
        box.setLookAndFeel (&lookAndFeel);
        box.setSize (narrowWidth, comboHeight);
        box.setEnabled (c.enabled);
        box.setColour (juce::ComboBox::arrowColourId, c.arrowColour);

        const auto under = pixelAt (lookAndFeel.comboBoxImage, insideUpperArrow);
        const auto expected = under.overlaidWith (juce::Colours::white.withAlpha (c.expectedAlpha));
        EXPECT_TRUE (pixelsNear (pixelAt (snapshotOf (box), insideUpperArrow), expected, pixelTolerance))
            << pixelAt (snapshotOf (box), insideUpperArrow).toString() << " vs " << expected.toString();
    }
}

TEST_F (LookAndFeelTest, ARedBackgroundOrAnArmedImpulseBoxTurnsThePictureRed)
{
    enum class Setup
    {
        plain,
        redBackground,
        armedByRightClick,
        armedThenTimedOut,
    };

    const struct
    {
        const char* label;
        Setup setup;
        bool red;
    } cases[] = {
        { "plain box", Setup::plain, false },
        { "box made red elsewhere", Setup::redBackground, true },
        { "impulse box right-clicked", Setup::armedByRightClick, true },
        { "impulse box after its timeout", Setup::armedThenTimedOut, false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.label);
        // The impulse box keeps its background in step with its armed state,
        // so the colour set elsewhere goes on a plain box.
        std::unique_ptr<juce::ComboBox> plainBox;
        std::unique_ptr<ComboBoxMIDILearn> impulseBox;

        if (c.setup == Setup::plain || c.setup == Setup::redBackground)
            plainBox = std::make_unique<juce::ComboBox>();
        else
            impulseBox = std::make_unique<ComboBoxMIDILearn>();

        juce::ComboBox& box = plainBox != nullptr ? *plainBox : *impulseBox;
        box.setLookAndFeel (&lookAndFeel);
        box.setSize (narrowWidth, comboHeight);

        if (c.setup == Setup::redBackground)
            box.setColour (juce::ComboBox::backgroundColourId, juce::Colours::red);

        if (impulseBox != nullptr)
            impulseBox->mouseDown (pressAt (box, middleOfBar, rightButton, 1));

        if (c.setup == Setup::armedThenTimedOut)
            impulseBox->timerCallback();

        const auto snapshot = snapshotOf (box);
        saveSnapshot (snapshot, juce::String ("combo-") + juce::String (c.label).replaceCharacter (' ', '-'));
        EXPECT_EQ (looksRed (pixelAt (snapshot, middleOfBar)), c.red) << pixelAt (snapshot, middleOfBar).toString();
    }
}

//==============================================================================
namespace
{
const juce::String sampleText ("The quick brown fox");
constexpr float descriptionHeight = 18.0f;
// Times New Roman's advance widths, which Liberation Serif shares.
constexpr float serifSampleWidth = 136.8f;

juce::Font descriptionFont() { return juce::Font ("Times New Roman", descriptionHeight, juce::Font::plain); }

juce::Image render (const juce::Font& font)
{
    juce::Image image (juce::Image::ARGB, 160, 28, true);
    juce::Graphics g (image);
    g.setColour (juce::Colours::black);
    g.setFont (font);
    g.drawSingleLineText (sampleText, 2, 20);
    return image;
}

bool sameImages (const juce::Image& a, const juce::Image& b)
{
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                return false;

    return true;
}
} // namespace

TEST_F (LookAndFeelTest, DescriptionFontHasTheSerifWidthThroughTheLookAndFeel)
{
    const juce::Font viaLookAndFeel (lookAndFeel.getTypefaceForFont (descriptionFont()));
    EXPECT_NEAR (
        viaLookAndFeel.withHeight (descriptionHeight).getStringWidthFloat (sampleText), serifSampleWidth, 0.5f);
}

TEST_F (LookAndFeelTest, DescriptionFontIsDrawnInTheSerifWhileKeepingItsName)
{
    if (CustomLookAndFeel::findSubstituteTypeface (descriptionFont()) == nullptr)
        GTEST_SKIP() << "this system has the named face itself";

    enum class Before
    {
        nothing,
        // Another look and feel takes the framework's hook, and the name is
        // resolved (to the sans fallback) before the editor opens.
        resolvedWithoutSubstitution,
    };

    const struct
    {
        const char* label;
        Before before;
    } cases[] = {
        { "editor opened", Before::nothing },
        { "hook taken and name resolved earlier", Before::resolvedWithoutSubstitution },
    };

    const auto serif = render (juce::Font ("Liberation Serif", descriptionHeight, juce::Font::plain));
    const auto sans = render (juce::Font (descriptionHeight));
    ASSERT_FALSE (sameImages (serif, sans));

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.label);

        if (c.before == Before::resolvedWithoutSubstitution)
        {
            const juce::LookAndFeel_V4 another;
            juce::Typeface::clearTypefaceCache();
            ASSERT_FALSE (sameImages (render (descriptionFont()), serif));
        }

        CustomLookAndFeel::installTypefaceSubstitution();

        const auto drawn = render (descriptionFont());
        EXPECT_TRUE (sameImages (drawn, serif));
        EXPECT_EQ (descriptionFont().getTypefaceName(), "Times New Roman");
        EXPECT_NEAR (descriptionFont().getStringWidthFloat (sampleText), serifSampleWidth, 0.5f);
    }
}
