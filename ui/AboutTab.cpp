#include "AboutTab.h"

#include "game/Component2048.h"
#include "ui/CustomLookAndFeel.h"

#include <Images.h>
#include <array>

namespace
{
constexpr float textHeightPx = 20.0f;
constexpr int panelImageTopPx = 82;

// Everything above the body band is the title band, where the hidden
// sequence is clicked; a click in the body band closes the panel.
constexpr int bodyBandTopPx = 80;
constexpr int bodyBandBottomPx = 360;

// Two corners of the title band, and the order in which to click them.
constexpr int revealRegionWidthPx = 100;
constexpr int leftRegion = 0;
constexpr int rightRegion = 1;
constexpr std::array<int, 8> revealSequence {
    leftRegion, rightRegion, leftRegion, leftRegion, rightRegion, rightRegion, leftRegion, rightRegion,
};
constexpr int revealedCount = (int) revealSequence.size();

const juce::Rectangle<int> eventLinkBounds { 30, 163, 420, 30 };
const juce::Rectangle<int> makerLinkBounds { 30, 183, 300, 30 };
constexpr int gameTopPx = 84;
constexpr int gameHeightPx = 278;

constexpr int textLeftPx = 30;
constexpr float ruleMarginPx = 20.0f;
constexpr float ruleThicknessPx = 1.0f;
constexpr int titleBaselinePx = 108;
constexpr float firstRuleYPx = 123.5f;
constexpr int noteBaselinePx = 148;
constexpr float secondRuleYPx = 218.5f;
constexpr int creditsBaselinePx = 243;
constexpr int thanksBaselinePx = 311;

const char* const repositoryAddress = "https://github.com/moskeret/tarvolin";
const char* const issuesAddress = "https://github.com/moskeret/tarvolin/issues";

const char* const titleNotice = " - a guitar multi-effect in four slots";
const char* const noteText = "Tarvolin is made in the open: its source, and the place to report a bug:";
const char* const creditsText =
    "The real FFT, the zero-latency convolution, the crossovers, the filters and the tube stage were written "
    "for Tarvolin from textbook designs: bilinear transforms in transposed direct form II.";
const char* const thanksText = "Thanks to everyone who plays it, reports a bug or shares a preset.";

int revealRegionAt (juce::Point<int> position, int panelWidth)
{
    if (position.y < 0 || position.y >= bodyBandTopPx)
        return -1;

    if (position.x >= 0 && position.x < revealRegionWidthPx)
        return leftRegion;

    if (position.x >= panelWidth - revealRegionWidthPx && position.x < panelWidth)
        return rightRegion;

    return -1;
}

juce::Font atTextHeight (juce::Font font)
{
    font.setHeight (textHeightPx);
    return font;
}
} // namespace

AboutTab::AboutTab (CustomLookAndFeel* customLookAndFeel)
    : AboutTab (customLookAndFeel, std::make_unique<Component2048>())
{
}

AboutTab::AboutTab (CustomLookAndFeel* customLookAndFeel, juce::File bestScoreFile)
    : AboutTab (customLookAndFeel, std::make_unique<Component2048> (std::move (bestScoreFile)))
{
}

AboutTab::AboutTab (CustomLookAndFeel* customLookAndFeel, std::unique_ptr<Component2048> hiddenGame)
    : backgroundImage (juce::ImageCache::getFromMemory (Images::fond_png, Images::fond_pngSize))
    , panelImage (juce::ImageCache::getFromMemory (Images::fond2_png, Images::fond2_pngSize))
    , textFont (atTextHeight (customLookAndFeel != nullptr ? customLookAndFeel->regularFont : juce::Font()))
    , linkFont (atTextHeight (customLookAndFeel != nullptr ? customLookAndFeel->italicFont : juce::Font().italicised()))
    , game (std::move (hiddenGame))
{
    eventLink = makeLink (repositoryAddress);
    makerLink = makeLink (issuesAddress);

    addChildComponent (game.get());
    game->addChangeListener (this);
}

AboutTab::~AboutTab() { game->removeChangeListener (this); }

std::unique_ptr<juce::HyperlinkButton> AboutTab::makeLink (const juce::String& address)
{
    // The framework gives a link its address as tooltip.
    auto link = std::make_unique<juce::HyperlinkButton> (address, juce::URL (address));
    addAndMakeVisible (link.get());
    link->setFont (linkFont, true, juce::Justification::centredLeft);
    link->setColour (juce::HyperlinkButton::textColourId, juce::Colours::orange);
    return link;
}

void AboutTab::mouseDown (const juce::MouseEvent& e)
{
    const auto position = e.getPosition();

    if (position.y >= bodyBandTopPx && position.y <= bodyBandBottomPx)
    {
        revealClickCount = 0;
        setVisible (false);
        return;
    }

    countRevealClick (position);

    if (revealClickCount == revealedCount)
        revealGame();
}

void AboutTab::countRevealClick (juce::Point<int> position)
{
    const auto region = revealRegionAt (position, getWidth());

    if (region < 0)
    {
        revealClickCount = 0;
        return;
    }

    // A wrong click starts over rather than counting as a first click, and
    // nothing follows the eighth.
    const auto expected = revealClickCount < revealedCount && revealSequence[(size_t) revealClickCount] == region;
    revealClickCount = expected ? revealClickCount + 1 : 0;
    repaint();
}

void AboutTab::revealGame()
{
    // As the game's RESET does: keep the best score reached so far, since the
    // new game reads it back from the file.
    game->engine->saveMaximumScore();
    game->reset();
    game->setVisible (true);
    repaint();
}

void AboutTab::paint (juce::Graphics& g)
{
    g.drawImageAt (backgroundImage, 0, 0);
    g.drawImageAt (panelImage, 0, panelImageTopPx);

    // The game covers the panel below its title band.
    const auto showTexts = ! game->isVisible();
    eventLink->setVisible (showTexts);
    makerLink->setVisible (showTexts);

    if (showTexts)
        paintTexts (g);
}

void AboutTab::paintTexts (juce::Graphics& g)
{
    const auto ruleRightPx = (float) getWidth() - ruleMarginPx;
    const auto lineWidthPx = getWidth() - 2 * textLeftPx;

    g.setColour (juce::Colours::white);
    g.setFont (textFont);

    g.drawSingleLineText (
        juce::String ("Tarvolin v") + JucePlugin_VersionString + titleNotice, textLeftPx, titleBaselinePx);
    g.drawLine (ruleMarginPx, firstRuleYPx, ruleRightPx, firstRuleYPx, ruleThicknessPx);
    g.drawSingleLineText (noteText, textLeftPx, noteBaselinePx);
    g.drawLine (ruleMarginPx, secondRuleYPx, ruleRightPx, secondRuleYPx, ruleThicknessPx);
    g.drawMultiLineText (creditsText, textLeftPx, creditsBaselinePx, lineWidthPx);
    g.drawMultiLineText (thanksText, textLeftPx, thanksBaselinePx, lineWidthPx);
}

void AboutTab::resized()
{
    eventLink->setBounds (eventLinkBounds);
    makerLink->setBounds (makerLinkBounds);
    game->setBounds (0, gameTopPx, getWidth(), gameHeightPx);
}

void AboutTab::changeListenerCallback (juce::ChangeBroadcaster*) { sendChangeMessage(); }
