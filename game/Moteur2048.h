#pragma once

#include <juce_core/juce_core.h>

/** The rules of the sliding-tile game: a 4 x 4 board of powers of two, moves
    that slide and merge tiles, a random tile after each move, the score and
    the best score kept in a small file.

    Each move also records which tile went from which cell to which (a tile
    that moved twice keeps one entry, from its first cell to its last; a new
    tile is an entry whose source is its target), so that the view can
    animate it. The view reads the fields directly and clears the move lists
    once its animation ends. */
class Moteur2048
{
public:
    static constexpr int moveLeft = 0;
    static constexpr int moveRight = 1;
    static constexpr int moveUp = 2;
    static constexpr int moveDown = 3;

    static constexpr int boardSide = 4;
    static constexpr int cellCount = boardSide * boardSide;

    /** Reads the best score from the file; the board and score start empty. */
    explicit Moteur2048 (juce::File bestScoreFile);

    /** Saves the best score. */
    ~Moteur2048();

    /** Writes the larger of the file's value and bestScore to the file, so
        that a game closing with a lower best score never erases the higher
        one another game saved. Failures leave the file as it was. */
    void saveMaximumScore();

    /** bestScore = the value in the file: 0 when it is missing, shorter than
        four bytes or cannot be read. */
    void loadMaximumScore();

    /** Puts a 2 (three times in four) or a 4 on a random empty cell. */
    void putNewRandomValueOnBoard();

    /** Whether a move in that direction would change the board; false for
        anything but the four directions. */
    bool isDirectionAllowed (int direction) const;

    /** Plays one move when it is allowed, records it and updates the scores. */
    void moveBoardContent (int direction);

    /** Cell index = row x 4 + column; 0 is an empty cell. */
    int board[cellCount] {};
    int score = 0;
    int bestScore = 0;

    juce::Random random;

    /** Tests turn this off and seed random themselves to replay a game. */
    bool reseedForEachTile = true;

    juce::Array<int> moveSources;
    juce::Array<int> moveTargets;

    const juce::File bestScoreFile;

private:
    static int cellIndex (int direction, int line, int position);

    void compactLines (int direction);
    void mergeLines (int direction);
    void collapseChainedMoves();
    void recordMove (int sourceCell, int targetCell);

    JUCE_DECLARE_NON_COPYABLE (Moteur2048)
};
