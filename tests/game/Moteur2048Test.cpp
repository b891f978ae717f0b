#include "game/Moteur2048.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <sys/stat.h>
#include <vector>

namespace
{
using Line = std::array<int, 4>;
using Moves = std::vector<std::pair<int, int>>;

constexpr juce::uint32 fileOffset = 24619;

std::array<int, 16> boardOf (const Moteur2048& engine)
{
    std::array<int, 16> cells {};
    std::copy (std::begin (engine.board), std::end (engine.board), cells.begin());
    return cells;
}

Moves recordedMoves (const Moteur2048& engine)
{
    Moves moves;

    for (int i = 0; i < engine.moveSources.size(); ++i)
        moves.emplace_back (engine.moveSources[i], engine.moveTargets[i]);

    return moves;
}

// A line read left to right (a row) or top to bottom (a column), placed in
// row or column `index` of the board.
void putLine (Moteur2048& engine, const Line& line, bool isColumn, int index)
{
    for (int i = 0; i < 4; ++i)
        engine.board[isColumn ? i * 4 + index : index * 4 + i] = line[(size_t) i];
}

Line getLine (const Moteur2048& engine, bool isColumn, int index)
{
    Line line {};

    for (int i = 0; i < 4; ++i)
        line[(size_t) i] = engine.board[isColumn ? i * 4 + index : index * 4 + i];

    return line;
}

juce::File scoreFileIn (const TemporaryFolder& temporary) { return temporary.folder.getChildFile ("Tarvolin.ini"); }

void writeBytes (const juce::File& file, std::vector<juce::uint8> bytes)
{
    ASSERT_TRUE (file.replaceWithData (bytes.data(), bytes.size()));
}

std::vector<juce::uint8> littleEndian (juce::uint32 value)
{
    return {
        (juce::uint8) value, (juce::uint8) (value >> 8), (juce::uint8) (value >> 16), (juce::uint8) (value >> 24)
    };
}

std::vector<juce::uint8> fileBytes (const juce::File& file)
{
    juce::MemoryBlock block;
    file.loadFileAsData (block);
    const auto* data = static_cast<const juce::uint8*> (block.getData());
    return { data, data + block.getSize() };
}
} // namespace

TEST (Moteur2048, SlidesAndMergesEveryRowAndColumnInAllFourDirections)
{
    struct Case
    {
        Line before;
        bool towardsStart; // left for a row, up for a column
        Line after;
        int scoreGained;
    };

    const Case cases[] = {
        { { 2, 2, 2, 2 }, true, { 4, 4, 0, 0 }, 8 },  { { 2, 2, 4, 0 }, true, { 4, 4, 0, 0 }, 4 },
        { { 4, 0, 4, 0 }, true, { 8, 0, 0, 0 }, 8 },  { { 2, 0, 0, 2 }, false, { 0, 0, 0, 4 }, 4 },
        { { 2, 2, 2, 2 }, false, { 0, 0, 4, 4 }, 8 }, { { 0, 0, 0, 2 }, true, { 2, 0, 0, 0 }, 0 },
        { { 8, 4, 4, 0 }, true, { 8, 8, 0, 0 }, 8 },  { { 4, 4, 8, 8 }, false, { 0, 0, 8, 16 }, 24 },
        { { 2, 4, 0, 4 }, false, { 0, 0, 2, 8 }, 8 }, { { 4096, 4096, 0, 0 }, true, { 8192, 0, 0, 0 }, 8192 },
    };

    for (const auto& c : cases)
    {
        for (const bool isColumn : { false, true })
        {
            for (int index = 0; index < 4; ++index)
            {
                Moteur2048 engine { juce::File() };
                putLine (engine, c.before, isColumn, index);
                const auto direction = isColumn ? (c.towardsStart ? Moteur2048::moveUp : Moteur2048::moveDown)
                                                : (c.towardsStart ? Moteur2048::moveLeft : Moteur2048::moveRight);

                SCOPED_TRACE (testing::Message()
                              << (isColumn ? "column " : "row ") << index << " direction " << direction << " line "
                              << c.before[0] << "," << c.before[1] << "," << c.before[2] << "," << c.before[3]);

                ASSERT_TRUE (engine.isDirectionAllowed (direction));
                engine.moveBoardContent (direction);

                EXPECT_EQ (getLine (engine, isColumn, index), c.after);
                EXPECT_EQ (engine.score, c.scoreGained);
                EXPECT_EQ (engine.bestScore, c.scoreGained);

                for (int other = 0; other < 4; ++other)
                    if (other != index)
                        EXPECT_EQ (getLine (engine, isColumn, other), (Line {})) << "line " << other;
            }
        }
    }
}

TEST (Moteur2048, RefusedMovesChangeAndRecordNothing)
{
    struct Case
    {
        const char* name;
        std::array<int, 16> board;
        int direction;
    };

    const std::array<int, 16> packedLeft { 2, 4, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 16, 2, 4, 8 };
    const std::array<int, 16> noPairs { 2, 4, 2, 4, 4, 2, 4, 2, 2, 4, 2, 4, 4, 2, 4, 2 };

    const Case cases[] = {
        { "packed left, left", packedLeft, Moteur2048::moveLeft },
        { "packed left, up", { 2, 4, 8, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 }, Moteur2048::moveUp },
        { "bottom row, down", { 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 4, 2, 4 }, Moteur2048::moveDown },
        { "right column, right", { 0, 0, 0, 2, 0, 0, 0, 4, 0, 0, 0, 2, 0, 0, 0, 4 }, Moteur2048::moveRight },
        { "empty board, left", {}, Moteur2048::moveLeft },
        { "full board without pairs, left", noPairs, Moteur2048::moveLeft },
        { "full board without pairs, right", noPairs, Moteur2048::moveRight },
        { "full board without pairs, up", noPairs, Moteur2048::moveUp },
        { "full board without pairs, down", noPairs, Moteur2048::moveDown },
        { "no such direction -1", packedLeft, -1 },
        { "no such direction 4", packedLeft, 4 },
        { "no such direction INT_MIN", packedLeft, INT_MIN },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        Moteur2048 engine { juce::File() };
        std::copy (c.board.begin(), c.board.end(), engine.board);
        engine.score = 10;

        EXPECT_FALSE (engine.isDirectionAllowed (c.direction));
        engine.moveBoardContent (c.direction);

        EXPECT_EQ (boardOf (engine), c.board);
        EXPECT_EQ (engine.score, 10);
        EXPECT_TRUE (recordedMoves (engine).empty());
    }
}

TEST (Moteur2048, AFullBoardGetsNoNewTile)
{
    Moteur2048 engine { juce::File() };
    std::fill (std::begin (engine.board), std::end (engine.board), 2);
    engine.putNewRandomValueOnBoard();

    EXPECT_EQ (boardOf (engine), (std::array<int, 16> { 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2 }));
    EXPECT_TRUE (recordedMoves (engine).empty());
}

TEST (Moteur2048, RecordsEachTileOnceFromItsFirstCellToItsLast)
{
    struct Case
    {
        const char* name;
        std::array<int, 16> board;
        int direction;
        Moves moves;
    };

    const Case cases[] = {
        { "2,2,0,0 right", { 2, 2, 0, 0 }, Moteur2048::moveRight, { { 1, 3 }, { 0, 3 } } },
        // The merge into cell 2 and the slide out of it join into (3 to 1);
        // the 4 that sat in cell 2 keeps no entry.
        { "2,2,4,4 left", { 2, 2, 4, 4 }, Moteur2048::moveLeft, { { 1, 0 }, { 3, 1 } } },
        { "2,2,4,4 up the first column",
          { 2, 0, 0, 0, 2, 0, 0, 0, 4, 0, 0, 0, 4, 0, 0, 0 },
          Moteur2048::moveUp,
          { { 4, 0 }, { 12, 4 } } },
        { "single tile down", { 0, 8, 0, 0 }, Moteur2048::moveDown, { { 1, 13 } } },
        { "two rows left", { 0, 0, 0, 2, 0, 0, 0, 0, 4, 0, 4, 0 }, Moteur2048::moveLeft, { { 3, 0 }, { 10, 8 } } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        Moteur2048 engine { juce::File() };
        std::copy (c.board.begin(), c.board.end(), engine.board);
        engine.moveBoardContent (c.direction);
        EXPECT_EQ (recordedMoves (engine), c.moves);
    }
}

namespace
{
/** A 4 one time in four, on every empty cell alike, from a fixed seed. */
void expectFairTiles (juce::int64 seed)
{
    Moteur2048 engine { juce::File() };
    engine.reseedForEachTile = false;
    engine.random.setSeed (seed);

    constexpr int draws = 40000;
    int fours = 0;
    std::array<int, 16> hitsPerCell {};

    for (int i = 0; i < draws; ++i)
    {
        std::fill (std::begin (engine.board), std::end (engine.board), 0);
        engine.board[5] = 64; // an occupied cell is never chosen
        engine.moveSources.clear();
        engine.moveTargets.clear();

        engine.putNewRandomValueOnBoard();

        ASSERT_EQ (engine.moveSources.size(), 1);
        const auto cell = engine.moveSources[0];
        ASSERT_EQ (engine.moveTargets[0], cell) << "a new tile is recorded as a move onto itself";
        ASSERT_NE (cell, 5);
        ASSERT_TRUE (engine.board[cell] == 2 || engine.board[cell] == 4);

        fours += engine.board[cell] == 4 ? 1 : 0;
        ++hitsPerCell[(size_t) cell];
    }

    // Binomial standard deviation at 40000 draws is about 0.0022.
    EXPECT_NEAR ((double) fours / draws, 0.25, 0.012);

    for (int cell = 0; cell < 16; ++cell)
        if (cell != 5)
            EXPECT_NEAR (hitsPerCell[(size_t) cell], draws / 15, draws / 60) << "cell " << cell;
}
} // namespace

TEST (Moteur2048, NewTilesAreAFourOneTimeInFourOnAnyEmptyCell)
{
    for (const juce::int64 seed : { 1, 2048 })
    {
        SCOPED_TRACE (testing::Message() << "seed " << seed);
        expectFairTiles (seed);
    }
}

TEST (Moteur2048, TilesComeOutOfTheRandomGeneratorEvenWhenReseededEachTime)
{
    Moteur2048 engine { juce::File() };
    engine.putNewRandomValueOnBoard();
    engine.putNewRandomValueOnBoard();

    EXPECT_EQ (std::count_if (std::begin (engine.board), std::end (engine.board), [] (int v) { return v != 0; }), 2);
}

TEST (Moteur2048, BestScoreFileHoldsFourLittleEndianBytesWithTheOffset)
{
    for (const int bestScore : { 0, 1, 4999, 5000, 123456, INT_MAX })
    {
        SCOPED_TRACE (bestScore);
        TemporaryFolder temporary;
        const auto file = scoreFileIn (temporary);

        {
            Moteur2048 engine { file };
            engine.bestScore = bestScore;
            engine.saveMaximumScore();
            EXPECT_EQ (fileBytes (file), littleEndian ((juce::uint32) bestScore + fileOffset));
        }

        EXPECT_EQ (Moteur2048 { file }.bestScore, bestScore);
    }
}

TEST (Moteur2048, ReadsOnlyWhatTheFileHolds)
{
    struct Case
    {
        const char* name;
        std::vector<juce::uint8> bytes;
        int bestScore;
    };

    auto nineBytes = littleEndian (7000 + fileOffset);
    nineBytes.insert (nineBytes.end(), { 1, 2, 3, 4, 5 });

    const Case cases[] = {
        { "empty", {}, 0 },
        { "two bytes", { 0x2b, 0x60 }, 0 },
        { "three bytes", { 0x2b, 0x60, 0x00 }, 0 },
        { "four bytes", littleEndian (5000 + fileOffset), 5000 },
        { "nine bytes", nineBytes, 7000 },
        { "offset wraps", littleEndian (0x80000000u + fileOffset), INT_MIN },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        TemporaryFolder temporary;
        writeBytes (scoreFileIn (temporary), c.bytes);

        Moteur2048 engine { scoreFileIn (temporary) };
        EXPECT_EQ (engine.bestScore, c.bestScore);
    }

    TemporaryFolder empty;
    EXPECT_EQ (Moteur2048 { scoreFileIn (empty) }.bestScore, 0) << "no file";
}

TEST (Moteur2048, SavingKeepsTheLargerOfTheFileAndTheGame)
{
    for (const bool higherSavesFirst : { true, false })
    {
        SCOPED_TRACE (higherSavesFirst ? "higher first" : "lower first");
        TemporaryFolder temporary;
        const auto file = scoreFileIn (temporary);

        auto higher = std::make_unique<Moteur2048> (file);
        auto lower = std::make_unique<Moteur2048> (file);
        higher->bestScore = 3000;
        lower->bestScore = 1000;

        if (higherSavesFirst)
            higher->saveMaximumScore();

        lower.reset(); // saves on destruction

        if (! higherSavesFirst)
            EXPECT_EQ (Moteur2048 { file }.bestScore, 1000);

        higher.reset();
        EXPECT_EQ (fileBytes (file), littleEndian (3000 + fileOffset));
    }
}

TEST (Moteur2048, ReloadingReplacesAnUnsavedBestScoreWithTheSavedOne)
{
    TemporaryFolder temporary;
    writeBytes (scoreFileIn (temporary), littleEndian (200 + fileOffset));

    Moteur2048 engine { scoreFileIn (temporary) };
    engine.board[0] = engine.board[1] = 512;
    engine.moveBoardContent (Moteur2048::moveLeft);
    ASSERT_EQ (engine.bestScore, 1024);

    engine.loadMaximumScore();
    EXPECT_EQ (engine.bestScore, 200);
}

TEST (Moteur2048, PathsThatAreNoFileAreNeitherReadNorReplaced)
{
    TemporaryFolder temporary;
    const auto path = scoreFileIn (temporary);

    const auto saveThroughAnEngine = [] (const juce::File& file) {
        Moteur2048 engine { file };
        EXPECT_EQ (engine.bestScore, 0);
        engine.bestScore = 42;
        engine.saveMaximumScore();
    };

    {
        SCOPED_TRACE ("a folder");
        ASSERT_TRUE (path.getChildFile ("keep").create());
        saveThroughAnEngine (path);
        EXPECT_TRUE (path.getChildFile ("keep").existsAsFile());
        ASSERT_TRUE (path.deleteRecursively());
    }

    {
        SCOPED_TRACE ("a FIFO: opening it would block until a writer came");
        ASSERT_EQ (mkfifo (path.getFullPathName().toRawUTF8(), 0600), 0) << strerror (errno);
        saveThroughAnEngine (path);
        struct stat info
        {
        };
        ASSERT_EQ (stat (path.getFullPathName().toRawUTF8(), &info), 0);
        EXPECT_TRUE (S_ISFIFO (info.st_mode));
        ASSERT_TRUE (path.deleteFile());
    }

    {
        SCOPED_TRACE ("a folder that does not exist");
        const auto missing = temporary.folder.getChildFile ("gone/Tarvolin.ini");
        saveThroughAnEngine (missing);
        EXPECT_FALSE (missing.getParentDirectory().exists());
    }

    EXPECT_EQ (temporary.folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0)
        << "no temporary file is left behind";
}
