#pragma once

#include "game/Component2048Case.h"
#include "game/Moteur2048.h"

#include <array>
#include <juce_gui_basics/juce_gui_basics.h>
#include <memory>

/** The game's window part, 732 x 278 pixels: the board as two layers of
    tiles, the score boxes, four arrow pads, RESET and QUIT, and a text
    column. Arrow keys and pad clicks play moves, each animated over ten
    frames; keys and buttons wait for the animation to end.

    A change message follows every move that leaves the current score at
    unlockScore or more; the editor then shows the dark pedal pictures when
    getMaximumScore() has reached unlockScore. */
class Component2048 : public juce::Component, public juce::Timer, public juce::ChangeBroadcaster
{
public:
    static constexpr int unlockScore = 5000;

    /** Keeps the best score in "Tarvolin.ini" beside our other files. */
    Component2048();

    explicit Component2048 (juce::File bestScoreFile);

    /** Saves the best score. */
    ~Component2048() override;

    /** A new game: re-reads the best score from the file without saving the
        current one first (call the engine's saveMaximumScore before to keep
        it), and puts two tiles on an empty board. */
    void reset();

    int getMaximumScore() const { return engine->bestScore; }

    /** Plays the move of an arrow key, unless a move is still animating. */
    void keyP (const juce::KeyPress& key);

    /** The text column: what the game is, then the challenge or, once the
        best score has reached unlockScore, what it unlocked. */
    juce::String getColumnText() const;

    void mouseDown (const juce::MouseEvent& e) override;
    void paint (juce::Graphics& g) override;
    bool keyPressed (const juce::KeyPress& key) override;
    void resized() override;
    void timerCallback() override;

    std::array<std::unique_ptr<Component2048Case>, Moteur2048::cellCount> topTiles;
    std::array<std::unique_ptr<Component2048Case>, Moteur2048::cellCount> backTiles;
    std::unique_ptr<Moteur2048> engine;

    int frame = 10;
    int numFrames = 10;
    int frameIntervalMs = 10;
    bool isReady = true;

private:
    static juce::File defaultBestScoreFile();

    void layoutTiles();
    void showBoardOnTiles();
    void finishAnimation();
    void animateNewTile (int cell, float progress);
    void animateMovedTile (int sourceCell, int targetCell, float progress);

    void paintScores (juce::Graphics& g) const;
    void paintPads (juce::Graphics& g) const;
    void paintButtons (juce::Graphics& g) const;

    JUCE_DECLARE_NON_COPYABLE (Component2048)
};
