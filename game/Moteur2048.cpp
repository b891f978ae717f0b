#include "Moteur2048.h"

#include <algorithm>
#include <filesystem>

namespace
{
// The file holds the best score plus this offset, so that a fresh game
// (best score 0) does not leave four zero bytes that look like an empty file.
constexpr juce::uint32 storedScoreOffset = 24619;
constexpr int storedScoreBytes = 4;

constexpr float chanceOfFour = 0.25f;
constexpr int smallTile = 2;
constexpr int largeTile = 4;

struct StoredScore
{
    int value = 0;

    /** False when something other than a file we can read sits at the
        path: replacing it could destroy what we failed to read. */
    bool mayBeReplaced = true;
};

StoredScore readStoredScore (const juce::File& file)
{
    std::error_code error;
    const auto type = std::filesystem::status (file.getFullPathName().toStdString(), error).type();

    if (type == std::filesystem::file_type::not_found)
        return {};

    // Opening a FIFO or a device would block the message thread or read
    // endless data: only a regular file (or a link to one) is read.
    if (type != std::filesystem::file_type::regular)
        return { 0, false };

    juce::FileInputStream stream (file);

    if (stream.failedToOpen())
        return { 0, false };

    juce::uint8 bytes[storedScoreBytes] {};

    // A truncated file counts as no best score, not as a garbled one.
    if (stream.read (bytes, storedScoreBytes) != storedScoreBytes)
        return {};

    const auto stored = juce::ByteOrder::littleEndianInt (bytes);
    return { static_cast<int> (stored - storedScoreOffset), true };
}
} // namespace

Moteur2048::Moteur2048 (juce::File file)
    : bestScoreFile (std::move (file))
{
    loadMaximumScore();
}

Moteur2048::~Moteur2048() { saveMaximumScore(); }

void Moteur2048::saveMaximumScore()
{
    // The temporary file that the write goes through needs the folder.
    if (! bestScoreFile.getParentDirectory().isDirectory())
        return;

    const auto stored = readStoredScore (bestScoreFile);

    if (! stored.mayBeReplaced)
        return;

    // Unsigned, so that any best score, however large, wraps instead of
    // overflowing; reading undoes it the same way.
    const auto value = static_cast<juce::uint32> (std::max (stored.value, bestScore)) + storedScoreOffset;

    juce::MemoryOutputStream bytes;
    bytes.writeInt (static_cast<int> (value)); // little-endian, as the file is read back

    // Through a temporary file: a failed write leaves the old file whole.
    bestScoreFile.replaceWithData (bytes.getData(), bytes.getDataSize());
}

void Moteur2048::loadMaximumScore() { bestScore = readStoredScore (bestScoreFile).value; }

void Moteur2048::putNewRandomValueOnBoard()
{
    const auto emptyCells = static_cast<int> (std::count (std::begin (board), std::end (board), 0));

    if (emptyCells == 0)
        return;

    if (reseedForEachTile)
        random.setSeedRandomly();

    const auto draw = random.nextFloat();
    auto emptyToSkip = random.nextInt (emptyCells);

    for (int cell = 0; cell < cellCount; ++cell)
    {
        if (board[cell] != 0)
            continue;

        if (emptyToSkip-- == 0)
        {
            board[cell] = draw <= chanceOfFour ? largeTile : smallTile;
            recordMove (cell, cell);
            return;
        }
    }
}

bool Moteur2048::isDirectionAllowed (int direction) const
{
    if (direction < moveLeft || direction > moveDown)
        return false;

    for (int line = 0; line < boardSide; ++line)
    {
        for (int position = 0; position < boardSide - 1; ++position)
        {
            const auto nearer = board[cellIndex (direction, line, position)];
            const auto farther = board[cellIndex (direction, line, position + 1)];

            if (farther != 0 && (nearer == 0 || nearer == farther))
                return true;
        }
    }

    return false;
}

void Moteur2048::moveBoardContent (int direction)
{
    if (! isDirectionAllowed (direction))
        return;

    compactLines (direction);
    mergeLines (direction);
    compactLines (direction);

    bestScore = std::max (bestScore, score);
    collapseChainedMoves();
}

int Moteur2048::cellIndex (int direction, int line, int position)
{
    const auto last = boardSide - 1;

    switch (direction)
    {
        case moveLeft:
            return line * boardSide + position;
        case moveRight:
            return line * boardSide + last - position;
        case moveUp:
            return position * boardSide + line;
        default:
            return (last - position) * boardSide + line;
    }
}

void Moteur2048::compactLines (int direction)
{
    for (int line = 0; line < boardSide; ++line)
    {
        for (int position = 0; position < boardSide - 1; ++position)
        {
            const auto target = cellIndex (direction, line, position);

            if (board[target] != 0)
                continue;

            for (int farther = position + 1; farther < boardSide; ++farther)
            {
                const auto source = cellIndex (direction, line, farther);

                if (board[source] != 0)
                {
                    board[target] = board[source];
                    board[source] = 0;
                    recordMove (source, target);
                    break;
                }
            }
        }
    }
}

void Moteur2048::mergeLines (int direction)
{
    for (int line = 0; line < boardSide; ++line)
    {
        for (int position = 0; position < boardSide - 1; ++position)
        {
            const auto target = cellIndex (direction, line, position);
            const auto source = cellIndex (direction, line, position + 1);

            // The merged tile's partner is emptied here, so it cannot merge
            // a second time in the same move.
            if (board[source] >= 1 && board[source] == board[target])
            {
                board[target] *= 2;
                board[source] = 0;
                score += board[target];
                recordMove (source, target);
            }
        }
    }
}

void Moteur2048::collapseChainedMoves()
{
    // Cells are matched, not tiles: a merge whose target cell is emptied by a
    // later slide is joined to that slide. Only the animation sees this.
    int i = 0;

    while (i < moveSources.size() - 1)
    {
        int j = i + 1;

        while (j < moveSources.size() && moveSources[j] != moveTargets[i])
            ++j;

        if (j < moveSources.size())
        {
            moveSources.set (j, moveSources[i]);
            moveSources.remove (i);
            moveTargets.remove (i);
        }
        else
        {
            ++i;
        }
    }
}

void Moteur2048::recordMove (int sourceCell, int targetCell)
{
    moveSources.add (sourceCell);
    moveTargets.add (targetCell);
}
