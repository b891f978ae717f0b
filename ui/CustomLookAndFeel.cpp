#include "ui/CustomLookAndFeel.h"

#include "ui/MidiLearnArming.h"

#include <Fonts.h>
#include <Images.h>

namespace juce
{
// The framework resolves the typeface of every font through this hook, which
// normally asks the default look and feel. It is declared here exactly as the
// framework's own look-and-feel code declares it.
using GetTypefaceForFont = Typeface::Ptr (*) (const Font&);
extern GetTypefaceForFont juce_getTypefaceForFont;
} // namespace juce

namespace
{
// Arrow triangles as fractions of the button area: two apexes pointing away
// from a gap around the middle.
constexpr float arrowCentre = 0.5f;
constexpr float arrowHalfWidth = 0.2f;
constexpr float arrowUpBase = 0.45f;
constexpr float arrowDownBase = 0.55f;
constexpr float arrowLength = 0.2f;

juce::Font makeEmbeddedFont (const char* data, int size)
{
    juce::Font font (juce::Typeface::createSystemTypefaceFor (data, (size_t) size));
    font.setHeight (CustomLookAndFeel::fontHeight);
    return font;
}

// Decoded directly, not through the image cache: the cache starts the
// framework's timer thread, and a host may build the processor (and so this
// look and feel) on any thread before a message loop exists.
juce::Image decodePicture (const char* data, int size) { return juce::ImageFileFormat::loadFrom (data, (size_t) size); }

bool systemHasFace (const juce::String& name) { return ! juce::Font::findAllTypefaceStyles (name).isEmpty(); }

// The gadget descriptions name a face that Linux systems rarely have; the
// framework does not follow fontconfig's aliases there and would fall back to
// its sans-serif, which sets the text wider than its wrap width expects.
bool descriptionFaceNeedsSubstitute()
{
    static const bool needed = ! systemHasFace (CustomLookAndFeel::descriptionFaceName)
                               && systemHasFace (CustomLookAndFeel::metricCompatibleSerifName);
    return needed;
}

juce::Typeface::Ptr resolveTypeface (const juce::Font& font)
{
    if (auto substitute = CustomLookAndFeel::findSubstituteTypeface (font))
        return substitute;

    auto face = juce::LookAndFeel::getDefaultLookAndFeel().getTypefaceForFont (font);

    // The default look and feel is built lazily, perhaps just now, and
    // building any look and feel hands the hook back to the framework.
    juce::juce_getTypefaceForFont = resolveTypeface;
    return face;
}

juce::Path comboBoxArrows (float x, float y, float w, float h)
{
    const float left = x + w * (arrowCentre - arrowHalfWidth);
    const float right = x + w * (arrowCentre + arrowHalfWidth);
    const float centre = x + w * arrowCentre;

    juce::Path arrows;
    arrows.addTriangle (
        centre, y + h * (arrowUpBase - arrowLength), right, y + h * arrowUpBase, left, y + h * arrowUpBase);
    arrows.addTriangle (
        centre, y + h * (arrowDownBase + arrowLength), right, y + h * arrowDownBase, left, y + h * arrowDownBase);
    return arrows;
}
} // namespace

CustomLookAndFeel::CustomLookAndFeel()
    : regularFont (makeEmbeddedFont (Fonts::opensansregular_ttf, Fonts::opensansregular_ttfSize))
    , italicFont (makeEmbeddedFont (Fonts::opensansitalic_ttf, Fonts::opensansitalic_ttfSize))
    , comboBoxImage (decodePicture (Images::combobox_png, Images::combobox_pngSize))
    , wideComboBoxImage (decodePicture (Images::combobox2_png, Images::combobox2_pngSize))
{
    setColour (juce::ComboBox::backgroundColourId, juce::Colours::transparentBlack);
    setColour (juce::ComboBox::textColourId, juce::Colours::white);
    setColour (juce::ComboBox::arrowColourId, juce::Colours::white);
    setColour (juce::ComboBox::buttonColourId, juce::Colours::white);
    setColour (juce::ComboBox::outlineColourId, juce::Colours::white);
    setColour (juce::PopupMenu::textColourId, juce::Colours::white);
    setColour (juce::PopupMenu::backgroundColourId, juce::Colours::black);
    setColour (juce::PopupMenu::headerTextColourId, juce::Colours::white);
    setColour (juce::PopupMenu::highlightedBackgroundColourId, juce::Colours::orange);
    setColour (juce::PopupMenu::highlightedTextColourId, juce::Colours::white);

    // Building a look and feel hands the typeface hook back to the framework;
    // taking it again is a plain pointer write that needs no display.
    juce::juce_getTypefaceForFont = resolveTypeface;
}

CustomLookAndFeel::~CustomLookAndFeel() = default;

//==============================================================================
void CustomLookAndFeel::drawComboBox (juce::Graphics& g,
                                      int width,
                                      int,
                                      bool,
                                      int buttonX,
                                      int buttonY,
                                      int buttonW,
                                      int buttonH,
                                      juce::ComboBox& box)
{
    const auto& picture = width < wideComboBoxMinWidth ? comboBoxImage : wideComboBoxImage;

    // The armed impulse box marks itself with a red background; any box that
    // is red is drawn armed.
    if (box.findColour (juce::ComboBox::backgroundColourId) == juce::Colours::red)
        MidiLearnArming::drawTinted (g, picture);
    else
        g.drawImageAt (picture, 0, 0, false);

    const float arrowAlpha = box.isEnabled() ? 1.0f : disabledArrowAlpha;
    g.setColour (box.findColour (juce::ComboBox::arrowColourId).withMultipliedAlpha (arrowAlpha));
    g.fillPath (comboBoxArrows ((float) buttonX, (float) buttonY, (float) buttonW, (float) buttonH));
}

juce::Label* CustomLookAndFeel::createComboBoxTextBox (juce::ComboBox&)
{
    auto* label = new juce::Label (juce::String(), juce::String());
    label->setFont (regularFont);
    return label;
}

//==============================================================================
juce::TextLayout CustomLookAndFeel::layoutTooltipText (const juce::String& text, juce::Colour colour) const
{
    juce::AttributedString attributed;
    attributed.setJustification (juce::Justification::centred);
    attributed.append (text, regularFont, colour);

    juce::TextLayout layout;
    layout.createLayoutWithBalancedLineLengths (attributed, tooltipMaxWidth);
    return layout;
}

void CustomLookAndFeel::drawTooltip (juce::Graphics& g, const juce::String& text, int width, int height)
{
    g.fillAll (findColour (juce::TooltipWindow::backgroundColourId));
    layoutTooltipText (text, findColour (juce::TooltipWindow::textColourId))
        .draw (g, juce::Rectangle<float> ((float) width, (float) height));
}

//==============================================================================
juce::Typeface::Ptr CustomLookAndFeel::getTypefaceForFont (const juce::Font& font)
{
    if (auto substitute = findSubstituteTypeface (font))
        return substitute;

    return LookAndFeel_V2::getTypefaceForFont (font);
}

juce::Typeface::Ptr CustomLookAndFeel::findSubstituteTypeface (const juce::Font& font)
{
    if (font.getTypefaceName() != descriptionFaceName || ! descriptionFaceNeedsSubstitute())
        return nullptr;

    juce::Font serif (font);
    serif.setTypefaceName (metricCompatibleSerifName);
    return juce::Font::getDefaultTypefaceForFont (serif);
}

void CustomLookAndFeel::installTypefaceSubstitution()
{
    // Built now, so that its lazy construction cannot take the hook back
    // after a font has been resolved without us.
    juce::LookAndFeel::getDefaultLookAndFeel();
    juce::juce_getTypefaceForFont = resolveTypeface;

    // A face resolved while the framework held the hook stays in its cache.
    const juce::Font description (descriptionFaceName, fontHeight, juce::Font::plain);

    if (auto substitute = findSubstituteTypeface (description))
        if (description.getTypefacePtr()->getName() != substitute->getName())
            juce::Typeface::clearTypefaceCache();
}
