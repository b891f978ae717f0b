#include "ui/AboutTab.h"
#include "game/Component2048.h"
#include "support/ClickGestures.h"
#include "support/TemporaryFolder.h"
#include "ui/ControlTestSupport.h"
#include "ui/CustomLookAndFeel.h"

#include <gtest/gtest.h>

namespace
{
constexpr juce::uint32 fileOffset = 24619;

// The hidden sequence, for developers: eight clicks in the title band's two
// corners (x below 100 or from width - 100 on, y below 80).
const juce::Point<float> leftCorner { 50.0f, 40.0f };
const juce::Point<float> rightCorner { 680.0f, 40.0f };
const juce::Point<float> revealSequence[] = {
    leftCorner, rightCorner, leftCorner, leftCorner, rightCorner, rightCorner, leftCorner, rightCorner,
};

class AboutPanel : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { gui = std::make_unique<juce::ScopedJuceInitialiser_GUI>(); }
    static void TearDownTestSuite() { gui.reset(); }

    void SetUp() override
    {
        lookAndFeel = std::make_unique<CustomLookAndFeel>();
        panel = std::make_unique<AboutTab> (lookAndFeel.get(), scoreFile());
        panel->setBounds (0, 0, 732, 360);
        panel->setVisible (true);
    }

    void TearDown() override
    {
        panel.reset();
        lookAndFeel.reset();
    }

    juce::File scoreFile() const { return temporary.folder.getChildFile ("Tarvolin.ini"); }

    int savedBestScore() const
    {
        juce::MemoryBlock bytes;
        scoreFile().loadFileAsData (bytes);
        return bytes.getSize() == 4 ? (int) (juce::ByteOrder::littleEndianInt (bytes.getData()) - fileOffset) : -1;
    }

    void click (juce::Point<float> position) { clickAt (*panel, position); }

    void clickSequence (int clicks)
    {
        for (int i = 0; i < clicks; ++i)
            click (revealSequence[i]);
    }

    Component2048& game() { return *panel->game; }

    TemporaryFolder temporary;
    std::unique_ptr<CustomLookAndFeel> lookAndFeel;
    std::unique_ptr<AboutTab> panel;

    inline static std::unique_ptr<juce::ScopedJuceInitialiser_GUI> gui;
};
} // namespace

TEST_F (AboutPanel, TheEighthClickOfTheSequenceSavesStartsAndShowsTheGame)
{
    game().engine->bestScore = 700; // reached since the file was written
    std::fill (std::begin (game().engine->board), std::end (game().engine->board), 8);

    for (int i = 0; i < 8; ++i)
    {
        EXPECT_FALSE (game().isVisible()) << "after " << i << " clicks";
        click (revealSequence[i]);
        EXPECT_EQ (panel->revealClickCount, i + 1);
    }

    EXPECT_TRUE (game().isVisible());
    EXPECT_TRUE (panel->isVisible());
    EXPECT_EQ (savedBestScore(), 700);
    EXPECT_EQ (game().getMaximumScore(), 700) << "the new game read back what was saved";
    EXPECT_EQ (game().engine->score, 0);
    EXPECT_EQ (std::count (std::begin (game().engine->board), std::end (game().engine->board), 0), 14);

    click (leftCorner);
    EXPECT_EQ (panel->revealClickCount, 0) << "nothing follows the eighth click";
    EXPECT_TRUE (game().isVisible());
}

TEST_F (AboutPanel, AWrongClickStartsTheSequenceOver)
{
    struct Case
    {
        const char* name;
        int correctClicks;
        juce::Point<float> wrongClick;
    };

    const Case cases[] = {
        { "right corner first", 0, rightCorner },
        // Left is also the sequence's first click, but a wrong click never
        // counts as one.
        { "left corner second", 1, leftCorner },
        { "right corner seventh", 6, rightCorner },
        { "title band between the corners", 4, { 366.0f, 40.0f } },
        { "just inside the left corner's right edge", 3, { 100.0f, 40.0f } },
        { "just outside the right corner's left edge", 3, { 631.0f, 79.0f } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        panel->revealClickCount = 0;
        clickSequence (c.correctClicks);
        ASSERT_EQ (panel->revealClickCount, c.correctClicks);

        click (c.wrongClick);

        EXPECT_EQ (panel->revealClickCount, 0);
        EXPECT_TRUE (panel->isVisible());
        EXPECT_FALSE (game().isVisible());
    }
}

TEST_F (AboutPanel, ABodyBandClickHidesThePanelAndStartsTheSequenceOver)
{
    for (const auto y : { 80.0f, 200.0f, 359.0f })
    {
        SCOPED_TRACE (y);
        panel->setVisible (true);
        clickSequence (5);

        click ({ 600.0f, y });

        EXPECT_FALSE (panel->isVisible());
        EXPECT_EQ (panel->revealClickCount, 0);
    }
}

TEST_F (AboutPanel, TheVisibleGameTakesTheClicksItCovers)
{
    clickSequence (8);
    ASSERT_TRUE (game().isVisible());

    click ({ 600.0f, 200.0f });
    EXPECT_TRUE (panel->isVisible()) << "the game lies over most of the body band";

    click ({ 600.0f, 82.0f });
    EXPECT_FALSE (panel->isVisible()) << "the strip above the game still closes the panel";
    EXPECT_TRUE (game().isVisible()) << "and the game stays up for the next time the panel opens";
}

TEST_F (AboutPanel, RepeatingTheSequenceKeepsTheBestScoreAndDealsANewBoard)
{
    clickSequence (8);
    game().engine->bestScore = 3000;
    game().engine->score = 3000;

    click ({ 366.0f, 40.0f }); // leaves the completed count of 8
    clickSequence (8);

    EXPECT_EQ (savedBestScore(), 3000);
    EXPECT_EQ (game().getMaximumScore(), 3000);
    EXPECT_EQ (game().engine->score, 0);
}

TEST_F (AboutPanel, TextsAndLinksGiveWayToTheGameAndComeBackWhenItQuits)
{
    controltest::snapshot (*panel, "about-panel");
    EXPECT_TRUE (panel->eventLink->isVisible());
    EXPECT_TRUE (panel->makerLink->isVisible());

    clickSequence (8);
    controltest::snapshot (*panel, "about-panel-game");
    EXPECT_FALSE (panel->eventLink->isVisible());
    EXPECT_FALSE (panel->makerLink->isVisible());

    clickAt (game(), { 130.0f, 220.0f }); // QUIT
    ASSERT_FALSE (game().isVisible());
    panel->createComponentSnapshot (panel->getLocalBounds());
    EXPECT_TRUE (panel->eventLink->isVisible());
    EXPECT_TRUE (panel->makerLink->isVisible());
}

TEST_F (AboutPanel, LinksShowAndTellTheirOwnAddresses)
{
    for (auto* link : { panel->eventLink.get(), panel->makerLink.get() })
    {
        SCOPED_TRACE (link->getButtonText());
        EXPECT_TRUE (link->getButtonText().startsWith ("https://github.com/moskeret/tarvolin"));
        EXPECT_EQ (link->getURL().toString (false), link->getButtonText());
        EXPECT_EQ (link->getTooltip(), link->getButtonText());
        EXPECT_EQ (link->findColour (juce::HyperlinkButton::textColourId), juce::Colours::orange);
    }

    EXPECT_NE (panel->eventLink->getButtonText(), panel->makerLink->getButtonText());
    EXPECT_EQ (game().getBounds(), juce::Rectangle<int> (0, 84, 732, 278));
}

TEST_F (AboutPanel, PassesOnEveryChangeMessageOfTheGame)
{
    clickSequence (8);
    controltest::ChangeCounter editor (*panel);

    for (int move = 1; move <= 2; ++move)
    {
        SCOPED_TRACE (move);
        std::fill (std::begin (game().engine->board), std::end (game().engine->board), 0);
        game().engine->board[1] = 2;
        game().engine->score = 5000;

        EXPECT_TRUE (game().keyPressed (juce::KeyPress (juce::KeyPress::leftKey)));
        game().dispatchPendingMessages();
        EXPECT_TRUE (editor.take() > 0);

        while (! game().isReady)
            game().timerCallback();
    }
}
