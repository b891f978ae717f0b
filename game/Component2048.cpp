#include "Component2048.h"

#include "engine/BundleLocation.h"

#include <cmath>

namespace
{
const juce::Colour boardColour { 192, 160, 160 };

const juce::Rectangle<float> boardArea { 265.0f, 50.0f, 201.0f, 200.0f };
constexpr float boardCornerPx = 6.0f;

constexpr float tileLeftPx = 271.0f;
constexpr float tileTopPx = 55.0f;
constexpr float tileStepPx = 47.0f;
constexpr int tileSizePx = 47;

// Moving tiles are placed from this row origin and then pushed down by the
// same ten pixels as the idle grid (55 = 45 + 10).
constexpr float animationTopPx = 45.0f;
constexpr int animationDropPx = 10;

const juce::Rectangle<float> scoreBox { 276.0f, 20.0f, 80.0f, 20.0f };
const juce::Rectangle<float> bestBox { 376.0f, 20.0f, 80.0f, 20.0f };
const juce::Rectangle<int> scoreTextArea { 266, 10, 100, 40 };
const juce::Rectangle<int> bestTextArea { 366, 10, 100, 40 };

constexpr float padSizePx = 39.5f;
constexpr float padCornerPx = 4.0f;
const juce::Rectangle<float> upPad { 112.0f, 50.0f, padSizePx, padSizePx };
const juce::Rectangle<float> leftPad { 67.5f, 94.5f, padSizePx, padSizePx };
const juce::Rectangle<float> downPad { 112.0f, 94.5f, padSizePx, padSizePx };
const juce::Rectangle<float> rightPad { 156.5f, 94.5f, padSizePx, padSizePx };

const juce::Line<float> upArrow { 131.75f, 83.5f, 131.75f, 56.0f };
const juce::Line<float> downArrow { 131.75f, 100.5f, 131.75f, 128.0f };
const juce::Line<float> leftArrow { 101.0f, 114.25f, 73.5f, 114.25f };
const juce::Line<float> rightArrow { 162.5f, 114.25f, 190.0f, 114.25f };
constexpr float arrowThicknessPx = 1.0f;
constexpr float arrowHeadWidthPx = 13.0f;
constexpr float arrowHeadLengthPx = 8.0f;

const juce::Rectangle<float> resetButton { 67.5f, 154.0f, 128.5f, 35.5f };
const juce::Rectangle<float> quitButton { 67.5f, 201.5f, 128.5f, 35.5f };
const juce::Rectangle<int> resetLabelArea { 67, 154, 128, 35 };
const juce::Rectangle<int> quitLabelArea { 67, 201, 128, 35 };
constexpr float buttonCornerPx = 4.0f;

// The buttons answer clicks a pad's height (39.5) below their top edge, a
// little beyond what is drawn.
constexpr float buttonHitLeftPx = 67.5f;
constexpr float buttonHitRightPx = 196.0f;
const juce::Range<float> resetHitRows { 154.0f, 193.5f };
const juce::Range<float> quitHitRows { 201.5f, 241.0f };

constexpr int textColumnLeftPx = 506;
constexpr int textColumnBaselinePx = 60;
constexpr int textColumnWidthPx = 180;

const char* const descriptionText =
    "2048: slide every tile with the arrow keys or the pads; two equal tiles that meet become one. "
    "Reach the 2048 tile, then keep going for the best score.";
const char* const challengeText =
    "If you are able to get a score higher than 5000, something cool is going to happen !";
const char* const unlockText = "Because your maximum score has been higher than 5000, you have unlocked the HOT new "
                               "skins on every Tarvolin. Enjoy, and thanks for playing !";

int directionForKey (const juce::KeyPress& key)
{
    const auto code = key.getKeyCode();

    if (code == juce::KeyPress::upKey)
        return Moteur2048::moveUp;
    if (code == juce::KeyPress::downKey)
        return Moteur2048::moveDown;
    if (code == juce::KeyPress::leftKey)
        return Moteur2048::moveLeft;
    if (code == juce::KeyPress::rightKey)
        return Moteur2048::moveRight;

    return -1;
}

int rowOf (int cell) { return cell / Moteur2048::boardSide; }
int columnOf (int cell) { return cell % Moteur2048::boardSide; }

juce::Rectangle<int> idleTileBounds (int cell)
{
    return { static_cast<int> (tileLeftPx + tileStepPx * (float) columnOf (cell)),
             static_cast<int> (tileTopPx + tileStepPx * (float) rowOf (cell)),
             tileSizePx,
             tileSizePx };
}

bool isWithin (float value, juce::Range<float> closedRange)
{
    return closedRange.getStart() <= value && value <= closedRange.getEnd();
}
} // namespace

Component2048::Component2048()
    : Component2048 (defaultBestScoreFile())
{
}

Component2048::Component2048 (juce::File bestScoreFile)
    : engine (std::make_unique<Moteur2048> (std::move (bestScoreFile)))
{
    // The back layer goes in first so that the front layer lies above it.
    for (auto* layer : { &backTiles, &topTiles })
    {
        for (auto& tile : *layer)
        {
            tile = std::make_unique<Component2048Case>();
            addAndMakeVisible (tile.get());
        }
    }

    layoutTiles();
    reset();

    setWantsKeyboardFocus (true);
    grabKeyboardFocus();
}

Component2048::~Component2048() { stopTimer(); }

juce::File Component2048::defaultBestScoreFile()
{
    return BundleLocation::folderForUserFiles().getChildFile ("Tarvolin.ini");
}

void Component2048::reset()
{
    engine->loadMaximumScore();
    std::fill (std::begin (engine->board), std::end (engine->board), 0);
    engine->score = 0;

    engine->putNewRandomValueOnBoard();
    engine->putNewRandomValueOnBoard();

    // The first two tiles simply appear.
    engine->moveSources.clear();
    engine->moveTargets.clear();

    showBoardOnTiles();
    isReady = true;
}

void Component2048::keyP (const juce::KeyPress& key)
{
    if (! isReady)
        return;

    const auto direction = directionForKey (key);

    if (! engine->isDirectionAllowed (direction))
        return;

    engine->moveBoardContent (direction);
    engine->putNewRandomValueOnBoard();

    frame = 0;
    startTimer (frameIntervalMs);
    isReady = false;

    // Every such move, not only the first: the listener cannot tell a best
    // score it has already seen from a new one.
    if (engine->score >= unlockScore)
        sendChangeMessage();
}

juce::String Component2048::getColumnText() const
{
    return juce::String (descriptionText) + "\n\n" + (engine->bestScore >= unlockScore ? unlockText : challengeText);
}

void Component2048::mouseDown (const juce::MouseEvent& e)
{
    const auto position = e.position;

    const std::pair<const juce::Rectangle<float>*, int> pads[] = {
        { &upPad, juce::KeyPress::upKey },
        { &leftPad, juce::KeyPress::leftKey },
        { &downPad, juce::KeyPress::downKey },
        { &rightPad, juce::KeyPress::rightKey },
    };

    for (const auto& [pad, keyCode] : pads)
    {
        if (pad->contains (position))
        {
            keyP (juce::KeyPress (keyCode));
            return;
        }
    }

    const auto inButtonColumn = buttonHitLeftPx <= position.x && position.x < buttonHitRightPx;

    if (! inButtonColumn || ! isReady)
        return;

    if (isWithin (position.y, resetHitRows))
    {
        engine->saveMaximumScore();
        reset();
        repaint();
    }
    else if (isWithin (position.y, quitHitRows))
    {
        engine->saveMaximumScore();
        setVisible (false);
    }
}

void Component2048::paint (juce::Graphics& g)
{
    g.setColour (boardColour);
    g.fillRoundedRectangle (boardArea, boardCornerPx);
    g.fillRect (scoreBox);
    g.fillRect (bestBox);

    paintScores (g);
    paintPads (g);
    paintButtons (g);

    g.setColour (juce::Colours::white);
    g.drawMultiLineText (getColumnText(), textColumnLeftPx, textColumnBaselinePx, textColumnWidthPx);

    // The game lives inside the about panel; whenever it is on screen the
    // arrow keys must reach it rather than the editor's controls.
    setWantsKeyboardFocus (true);
    grabKeyboardFocus();
}

void Component2048::paintScores (juce::Graphics& g) const
{
    g.setColour (juce::Colours::black);
    g.drawText (juce::String (engine->score), scoreTextArea, juce::Justification::centred, false);
    g.drawText (juce::String (engine->bestScore), bestTextArea, juce::Justification::centred, false);
}

void Component2048::paintPads (juce::Graphics& g) const
{
    g.setColour (juce::Colours::white);

    for (const auto* pad : { &upPad, &leftPad, &downPad, &rightPad })
        g.fillRoundedRectangle (*pad, padCornerPx);

    g.setColour (juce::Colours::black);

    for (const auto* arrow : { &upArrow, &leftArrow, &downArrow, &rightArrow })
        g.drawArrow (*arrow, arrowThicknessPx, arrowHeadWidthPx, arrowHeadLengthPx);
}

void Component2048::paintButtons (juce::Graphics& g) const
{
    g.setColour (boardColour);
    g.fillRoundedRectangle (resetButton, buttonCornerPx);
    g.fillRoundedRectangle (quitButton, buttonCornerPx);

    g.setColour (juce::Colours::black);
    g.drawFittedText ("RESET", resetLabelArea, juce::Justification::centred, 1);
    g.drawFittedText ("QUIT", quitLabelArea, juce::Justification::centred, 1);
}

bool Component2048::keyPressed (const juce::KeyPress& key)
{
    keyP (key);
    return true;
}

void Component2048::resized()
{
    // Mid-animation the tiles are where the animation put them.
    if (frame == numFrames)
        layoutTiles();
}

void Component2048::timerCallback()
{
    if (frame >= numFrames)
    {
        finishAnimation();
        return;
    }

    const auto remaining = 1.0f - (float) frame / (float) numFrames;
    const auto progress = 1.0f - remaining * remaining; // eases out

    for (int i = 0; i < engine->moveSources.size(); ++i)
    {
        const auto source = engine->moveSources[i];
        const auto target = engine->moveTargets[i];

        if (source == target)
            animateNewTile (target, progress);
        else
            animateMovedTile (source, target, progress);
    }

    startTimer (frameIntervalMs);
    ++frame;
}

void Component2048::finishAnimation()
{
    engine->moveSources.clear();
    engine->moveTargets.clear();
    layoutTiles();
    showBoardOnTiles();
    repaint();
    isReady = true;
    stopTimer();
}

void Component2048::animateNewTile (int cell, float progress)
{
    auto& tile = *topTiles[(size_t) cell];

    if (frame == 0)
    {
        tile.toFront (false);
        tile.setValue (engine->board[cell]);
        backTiles[(size_t) cell]->setValue (0);
    }

    // Grows from the centre of its cell.
    const auto offsetPx = 0.5f * tileStepPx * (1.0f - progress);
    const auto sizePx = static_cast<int> (std::floor (tileStepPx * progress));

    tile.setBounds (static_cast<int> (std::floor (tileLeftPx + tileStepPx * (float) columnOf (cell) + offsetPx)),
                    static_cast<int> (std::floor (animationTopPx + tileStepPx * (float) rowOf (cell) + offsetPx))
                        + animationDropPx,
                    sizePx,
                    sizePx);
}

void Component2048::animateMovedTile (int sourceCell, int targetCell, float progress)
{
    auto& tile = *topTiles[(size_t) targetCell];

    if (frame == 0)
    {
        tile.toFront (false);
        topTiles[(size_t) sourceCell]->setValue (engine->board[sourceCell]);
        tile.setValue (engine->board[targetCell]);
    }

    backTiles[(size_t) sourceCell]->setValue (0);

    const auto column = (float) columnOf (targetCell) * progress + (float) columnOf (sourceCell) * (1.0f - progress);
    const auto row = (float) rowOf (targetCell) * progress + (float) rowOf (sourceCell) * (1.0f - progress);

    tile.setBounds (static_cast<int> (std::floor (column * tileStepPx + tileLeftPx)),
                    static_cast<int> (std::floor (row * tileStepPx + animationTopPx)) + animationDropPx,
                    tileSizePx,
                    tileSizePx);
}

void Component2048::layoutTiles()
{
    for (int cell = 0; cell < Moteur2048::cellCount; ++cell)
    {
        backTiles[(size_t) cell]->setBounds (idleTileBounds (cell));
        topTiles[(size_t) cell]->setBounds (idleTileBounds (cell));
    }
}

void Component2048::showBoardOnTiles()
{
    for (int cell = 0; cell < Moteur2048::cellCount; ++cell)
    {
        backTiles[(size_t) cell]->setValue (engine->board[cell]);
        topTiles[(size_t) cell]->setValue (engine->board[cell]);
    }
}
