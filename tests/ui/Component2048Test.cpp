#include "game/Component2048.h"
#include "support/ClickGestures.h"
#include "support/TemporaryFolder.h"
#include "ui/ControlTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>

namespace
{
constexpr juce::uint32 fileOffset = 24619;
constexpr juce::int64 tileSeed = 2048; // the same new tiles on every run
constexpr int ticksPerMove = 11; // ten frames, then the tick that settles the board

using Board = std::array<int, 16>;

class GameView : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { gui = std::make_unique<juce::ScopedJuceInitialiser_GUI>(); }
    static void TearDownTestSuite() { gui.reset(); }

    void SetUp() override
    {
        view = std::make_unique<Component2048> (scoreFile());
        view->setBounds (0, 0, 732, 278);
        view->setVisible (true);

        view->engine->reseedForEachTile = false;
        view->engine->random.setSeed (tileSeed);
    }

    void TearDown() override { view.reset(); }

    juce::File scoreFile() const { return temporary.folder.getChildFile ("Tarvolin.ini"); }

    std::optional<int> savedBestScore() const
    {
        juce::MemoryBlock bytes;

        if (! scoreFile().loadFileAsData (bytes) || bytes.getSize() != 4)
            return std::nullopt;

        return (int) (juce::ByteOrder::littleEndianInt (bytes.getData()) - fileOffset);
    }

    void saveBestScore (int bestScore) const
    {
        juce::MemoryOutputStream bytes;
        bytes.writeInt ((int) ((juce::uint32) bestScore + fileOffset));
        ASSERT_TRUE (scoreFile().replaceWithData (bytes.getData(), bytes.getDataSize()));
    }

    void setBoard (const Board& board, int score = 0)
    {
        std::copy (board.begin(), board.end(), view->engine->board);
        view->engine->score = score;

        for (size_t cell = 0; cell < board.size(); ++cell)
        {
            view->topTiles[cell]->setValue (board[cell]);
            view->backTiles[cell]->setValue (board[cell]);
        }
    }

    Board board() const
    {
        Board cells {};
        std::copy (std::begin (view->engine->board), std::end (view->engine->board), cells.begin());
        return cells;
    }

    int tileCount() const
    {
        return (int) std::count_if (
            std::begin (view->engine->board), std::end (view->engine->board), [] (int v) { return v != 0; });
    }

    void press (int keyCode) { EXPECT_TRUE (view->keyPressed (juce::KeyPress (keyCode))); }

    void click (float x, float y) { clickAt (*view, { x, y }); }

    void finishAnimation()
    {
        for (int tick = 0; tick < ticksPerMove && ! view->isReady; ++tick)
            view->timerCallback();

        ASSERT_TRUE (view->isReady);
    }

    TemporaryFolder temporary;
    std::unique_ptr<Component2048> view;

    inline static std::unique_ptr<juce::ScopedJuceInitialiser_GUI> gui;
};

struct Gesture
{
    const char* name;
    int keyCode; // 0: a click instead
    juce::Point<float> clickAt;
    int expectedCell; // where the 64 from cell 5 ends up; 5 when nothing moves
};
} // namespace

TEST_F (GameView, KeysAndPadsMoveTheBoard)
{
    const Gesture gestures[] = {
        { "up key", juce::KeyPress::upKey, {}, 1 },
        { "down key", juce::KeyPress::downKey, {}, 13 },
        { "left key", juce::KeyPress::leftKey, {}, 4 },
        { "right key", juce::KeyPress::rightKey, {}, 7 },
        { "up pad", 0, { 131.75f, 69.75f }, 1 },
        { "up pad, top left corner", 0, { 112.0f, 50.0f }, 1 },
        { "up pad, inside bottom right", 0, { 151.4f, 89.4f }, 1 },
        { "left pad", 0, { 87.25f, 114.25f }, 4 },
        { "down pad", 0, { 131.75f, 114.25f }, 13 },
        { "right pad", 0, { 176.25f, 114.25f }, 7 },
        { "right pad, inside right edge", 0, { 195.9f, 133.9f }, 7 },
        { "gap right of the up pad", 0, { 151.5f, 60.0f }, 5 },
        { "gap left of the left pad", 0, { 67.4f, 114.25f }, 5 },
        { "below the down pad", 0, { 131.75f, 134.0f }, 5 },
        { "on the board", 0, { 300.0f, 100.0f }, 5 },
    };

    for (const auto& g : gestures)
    {
        SCOPED_TRACE (g.name);
        Board start {};
        start[5] = 64;
        setBoard (start);

        if (g.keyCode != 0)
            press (g.keyCode);
        else
            click (g.clickAt.x, g.clickAt.y);

        EXPECT_EQ (board()[(size_t) g.expectedCell], 64);

        const auto moved = g.expectedCell != 5;
        EXPECT_EQ (tileCount(), moved ? 2 : 1) << "a new tile follows each move, and only a move";
        EXPECT_EQ (view->isReady, ! moved);

        if (moved)
            finishAnimation();
    }
}

TEST_F (GameView, AMoveSlidesEasesOutAndSettlesOnTheEleventhTick)
{
    setBoard ({ 0, 0, 0, 64 });
    press (juce::KeyPress::leftKey);

    int newCell = -1;

    for (int i = 0; i < view->engine->moveSources.size(); ++i)
        if (view->engine->moveSources[i] == view->engine->moveTargets[i])
            newCell = view->engine->moveSources[i];

    ASSERT_GE (newCell, 1);
    const auto newColumnPx = 271 + 47 * (newCell % 4);
    const auto newRowPx = 55 + 47 * (newCell / 4);
    auto& slider = *view->topTiles[0];
    auto& grower = *view->topTiles[(size_t) newCell];

    struct Frame
    {
        int ticks;
        int sliderX;
        int growerSize;
        int growerOffset;
    };

    // Progress 1 - (1 - frame / 10)^2: 0, then 0.75 at frame 5, 0.99 at frame 9.
    for (const auto& f : { Frame { 1, 412, 0, 23 }, Frame { 6, 306, 35, 5 }, Frame { 10, 272, 46, 0 } })
    {
        SCOPED_TRACE (f.ticks);

        while (view->frame < f.ticks)
            view->timerCallback();

        EXPECT_FALSE (view->isReady);
        EXPECT_EQ (slider.getBounds(), juce::Rectangle<int> (f.sliderX, 55, 47, 47));
        EXPECT_EQ (slider.value, 64);
        EXPECT_EQ (view->backTiles[3]->value, 0) << "the back of the cell it left is empty";
        EXPECT_EQ (
            grower.getBounds(),
            juce::Rectangle<int> (newColumnPx + f.growerOffset, newRowPx + f.growerOffset, f.growerSize, f.growerSize));

        // It passes over the other front tiles of its row (the new tile,
        // brought forward after it, may lie above it).
        for (int passedCell : { 1, 2, 3 })
            if (passedCell != newCell)
                EXPECT_GT (view->getIndexOfChildComponent (&slider),
                           view->getIndexOfChildComponent (view->topTiles[(size_t) passedCell].get()));
    }

    view->timerCallback();
    EXPECT_TRUE (view->isReady);
    EXPECT_FALSE (view->isTimerRunning());
    EXPECT_TRUE (view->engine->moveSources.isEmpty());

    for (int cell = 0; cell < 16; ++cell)
    {
        const auto idle = juce::Rectangle<int> (271 + 47 * (cell % 4), 55 + 47 * (cell / 4), 47, 47);
        EXPECT_EQ (view->topTiles[(size_t) cell]->getBounds(), idle) << cell;
        EXPECT_EQ (view->backTiles[(size_t) cell]->getBounds(), idle) << cell;
        EXPECT_EQ (view->topTiles[(size_t) cell]->value, view->engine->board[cell]) << cell;
        EXPECT_EQ (view->backTiles[(size_t) cell]->value, view->engine->board[cell]) << cell;
    }
}

TEST_F (GameView, InputDuringAnAnimationIsDropped)
{
    setBoard ({ 0, 0, 0, 64 });
    press (juce::KeyPress::leftKey);
    const auto afterFirstMove = board();

    press (juce::KeyPress::rightKey);
    click (176.25f, 114.25f); // right pad
    click (130.0f, 170.0f); // RESET
    click (130.0f, 220.0f); // QUIT

    EXPECT_EQ (board(), afterFirstMove);
    EXPECT_TRUE (view->isVisible());
    EXPECT_FALSE (scoreFile().exists()) << "neither button saved";

    finishAnimation();
    press (juce::KeyPress::rightKey);
    EXPECT_NE (board()[0], 64) << "keys work again once the board has settled";
}

TEST_F (GameView, KeysThatMoveNothingAreConsumedAndStartNothing)
{
    const Board packedLeft { 2, 4, 0, 0, 8, 0, 0, 0 };

    for (const auto& key : { juce::KeyPress ('a'),
                             juce::KeyPress (juce::KeyPress::spaceKey),
                             juce::KeyPress (juce::KeyPress::returnKey),
                             juce::KeyPress (juce::KeyPress::leftKey) })
    {
        SCOPED_TRACE (key.getTextDescription());
        setBoard (packedLeft);

        EXPECT_TRUE (view->keyPressed (key));
        EXPECT_EQ (board(), packedLeft);
        EXPECT_TRUE (view->isReady);
        EXPECT_FALSE (view->isTimerRunning());
        EXPECT_TRUE (view->engine->moveSources.isEmpty());
    }
}

TEST_F (GameView, ResetSavesTheBestScoreThenStartsANewGame)
{
    struct Case
    {
        int savedBefore;
        int savedAfter;
    };

    // The game reaches 512; the file keeps whichever is larger.
    for (const auto& c : { Case { 100, 512 }, Case { 9000, 9000 } })
    {
        SCOPED_TRACE (c.savedBefore);
        saveBestScore (c.savedBefore);
        view->engine->bestScore = 0;
        setBoard ({ 256, 256 });
        press (juce::KeyPress::leftKey);
        finishAnimation();
        ASSERT_EQ (view->getMaximumScore(), 512);

        click (130.0f, 193.5f); // RESET's lowest row

        EXPECT_EQ (savedBestScore(), c.savedAfter);
        EXPECT_EQ (view->getMaximumScore(), c.savedAfter) << "the new game reads the file back";
        EXPECT_EQ (view->engine->score, 0);
        EXPECT_EQ (tileCount(), 2);
        EXPECT_TRUE (view->engine->moveSources.isEmpty()) << "the first two tiles are not animated";

        for (int cell = 0; cell < 16; ++cell)
            EXPECT_EQ (view->topTiles[(size_t) cell]->value, view->engine->board[cell]) << cell;
    }
}

TEST_F (GameView, QuitSavesAndHidesButKeepsTheBoard)
{
    setBoard ({ 128, 128, 0, 0, 0, 0, 2 });
    press (juce::KeyPress::leftKey);
    finishAnimation();
    const auto played = board();

    click (195.9f, 241.0f); // QUIT's lowest row, right edge

    EXPECT_FALSE (view->isVisible());
    EXPECT_EQ (savedBestScore(), 256);
    EXPECT_EQ (board(), played);
}

TEST_F (GameView, ButtonsAnswerOnlyWithinTheirColumn)
{
    setBoard ({ 2 });

    for (const auto& point : { juce::Point<float> { 67.4f, 170.0f },
                               juce::Point<float> { 196.0f, 170.0f },
                               juce::Point<float> { 130.0f, 197.0f },
                               juce::Point<float> { 130.0f, 241.5f } })
    {
        SCOPED_TRACE (point.toString());
        click (point.x, point.y);
        EXPECT_TRUE (view->isVisible());
        EXPECT_FALSE (scoreFile().exists());
        EXPECT_EQ (board(), (Board { 2 }));
    }
}

TEST_F (GameView, TheTextTurnsFromChallengeToUnlockAtABestScoreOf5000)
{
    const juce::String challenge =
        "If you are able to get a score higher than 5000, something cool is going to happen !";
    const juce::String unlock = "Because your maximum score has been higher than 5000, you have unlocked the HOT new "
                                "skins on every Tarvolin. Enjoy, and thanks for playing !";

    for (const auto bestScore : { 0, 4999, 5000, 70000 })
    {
        SCOPED_TRACE (bestScore);
        view->engine->bestScore = bestScore;
        const auto text = view->getColumnText();
        const auto unlocked = bestScore >= 5000;

        EXPECT_TRUE (text.contains ("2048"));
        EXPECT_TRUE (text.endsWith ("\n\n" + (unlocked ? unlock : challenge)));
        EXPECT_FALSE (text.contains (unlocked ? challenge : unlock));
    }

    setBoard ({ 2, 4, 8, 16, 32, 64, 128, 256, 512, 1024, 2048, 4096, 0, 0, 2, 2 }, 4990);

    // The view draws no background: the about panel shows through it.
    juce::Image picture (juce::Image::ARGB, view->getWidth(), view->getHeight(), true);
    juce::Graphics g (picture);
    g.fillAll (juce::Colour (40, 40, 48));
    g.drawImageAt (controltest::snapshot (*view), 0, 0);
    controltest::saveSnapshot (picture, "game-view-unlocked");
}

TEST_F (GameView, EveryMoveLeavingTheScoreAt5000OrMoreSendsAChangeMessage)
{
    struct Case
    {
        const char* name;
        int scoreBefore;
        Board board;
        bool message;
    };

    const Case cases[] = {
        { "4990 + 8 stays below", 4990, { 4, 4 }, false },      { "4990 + 32 crosses", 4990, { 16, 16 }, true },
        { "exactly 5000 after a merge", 4992, { 4, 4 }, true }, { "a slide at 5000", 5000, { 0, 2 }, true },
        { "a slide at 4999", 4999, { 0, 2 }, false },           { "a refused move at 6000", 6000, { 2, 4 }, false },
    };

    controltest::ChangeCounter watcher (*view);

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        setBoard (c.board, c.scoreBefore);

        press (juce::KeyPress::leftKey);
        EXPECT_EQ (watcher.take() > 0, c.message);

        if (! view->isReady)
            finishAnimation();
    }
}

TEST (GameTile, IsColouredByItsValueAndShowsItsNumber)
{
    juce::ScopedJuceInitialiser_GUI gui;

    struct Case
    {
        int value;
        juce::Colour colour;
    };

    const Case cases[] = {
        { 0, juce::Colour (128, 128, 128) }, { 2, juce::Colours::white },  { 4, juce::Colours::beige.darker (0.2f) },
        { 8, juce::Colours::orange },        { 32, juce::Colours::red },   { 2048, juce::Colours::gold },
        { 4096, juce::Colours::yellow },     { 3, juce::Colours::yellow },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.value);
        Component2048Case tile;
        tile.setBounds (0, 0, 47, 47);
        tile.setValue (c.value);
        const auto image = tile.createComponentSnapshot (tile.getLocalBounds());

        EXPECT_EQ (image.getPixelAt (10, 7), c.colour) << "inside the square, clear of the number";
        EXPECT_EQ (image.getPixelAt (2, 2).getAlpha(), 0) << "the margin stays clear";

        bool hasBlack = false;

        for (int x = 10; x < 37; ++x)
            hasBlack = hasBlack || image.getPixelAt (x, 23).getBrightness() < 0.3f;

        EXPECT_EQ (hasBlack, c.value != 0) << "the number, across the middle row";
    }
}
