#include "engine/math/InvSqrt.h"
#include "tests/game/BoardText.h"
#include "tests/game/GameFixture.h"

#include <climits>
#include <vector>

double GameFixture::fakeStepSeconds = 0.02;

namespace
{
using Rules = GameFixture;

// Full boards without a move, but for a group of five 1s in row 5.
std::vector<std::string> FiveGroup(int height)
{
    std::vector<std::string> rows = Checkerboard(height, '3', '4');
    rows[5].replace(4, 4, "1111");
    rows[6][5] = '1';
    return rows;
}

void* FailingAllocate(size_t)
{
    return nullptr;
}
} // namespace

TEST_F(Rules, StartActionsSetUpTheirModes)
{
    Game::score = 3; // the table last shown
    EXPECT_TRUE(Game::StartSimple());
    ASSERT_NE(Game::board, nullptr);
    EXPECT_EQ(Game::gameState, Game::STATE_SIMPLE);
    EXPECT_EQ(Game::board->height, 11);
    EXPECT_EQ(Game::board->colours, 5);
    EXPECT_EQ(Game::score, 0); // a new game starts from 0

    Game::dropProgress = 0.5f;
    Game::groupRemoved = true;
    EXPECT_TRUE(Game::StartTetris());
    EXPECT_EQ(Game::gameState, Game::STATE_TETRIS);
    EXPECT_EQ(Game::board->height, 18);
    EXPECT_EQ(Game::board->colours, 6);
    EXPECT_EQ(Game::modeClock, 0.0f);
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 16; ++x)
        {
            if (y < 13)
                EXPECT_EQ(Game::board->GetCell(x, y), CELL_EMPTY);
            else
                EXPECT_LT(Game::board->GetCell(x, y), 6);
        }
    // Left as they are by a start.
    EXPECT_EQ(Game::dropProgress, 0.5f);
    EXPECT_TRUE(Game::groupRemoved);

    EXPECT_TRUE(Game::StartArcade());
    EXPECT_EQ(Game::gameState, Game::STATE_ARCADE);
    EXPECT_EQ(Game::board->colours, 8);
    EXPECT_EQ(Game::modeClock, 60.0f);

    EXPECT_TRUE(Game::StartSucceeding());
    EXPECT_EQ(Game::gameState, Game::STATE_SUCCEEDING);
    EXPECT_EQ(Game::board->colours, 5);
}

TEST_F(Rules, ABoardThatCannotBeAllocatedStartsNoGame)
{
    Game::StartSimple();
    void* (*saved)(size_t) = Board::allocate;
    Board::allocate = FailingAllocate;
    Game::gameState = Game::STATE_MENU;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(Game::StartArcade());
    const std::string log = testing::internal::GetCapturedStderr();
    Board::allocate = saved;
    EXPECT_NE(log.find("Error: Out of Memory. Could not allocate"), std::string::npos);
    EXPECT_EQ(Game::board, nullptr);
    EXPECT_EQ(Game::gameState, Game::STATE_MENU);
    // Nothing that runs later can reach a board.
    Game::Step();
    Game::gameState = Game::STATE_ARCADE;
    Game::Step();
    Game::Click();
    EXPECT_EQ(Game::board, nullptr);
}

TEST_F(Rules, AGroupOfFiveScoresBySquareOrByCountInArcade)
{
    const struct
    {
        bool (*start)();
        int points;
    } modes[] = {{Game::StartSimple, 25}, {Game::StartSucceeding, 25}, {Game::StartTetris, 25}, {Game::StartArcade, 5}};
    for (const auto& mode : modes)
    {
        mode.start();
        FillBoard(*Game::board, FiveGroup(Game::board->height));
        Game::groupRemoved = false;
        ClickCell(5, 6);
        EXPECT_EQ(Game::score, mode.points) << "state " << Game::gameState;
        EXPECT_TRUE(Game::groupRemoved);
        EXPECT_EQ(Game::board->GetCell(4, 5), CELL_VACATED);
        EXPECT_EQ(Game::board->GetCell(5, 6), CELL_VACATED);
    }
}

TEST_F(Rules, SingleBlocksEmptyCellsAndPointsOutsideAreIgnored)
{
    Game::StartSimple();
    std::vector<std::string> rows = Checkerboard(11);
    rows[3][3] = '1';
    rows[4][4] = '1'; // diagonal to (3, 3)
    rows[2][0] = '.';
    FillBoard(*Game::board, rows);
    const Board before = *Game::board;
    ClickCell(3, 3);
    ClickCell(0, 2);
    Input::mouseX = 0.95f; // right of the board
    Input::mouseY = 0.0f;
    Game::Click();
    Input::mouseX = 0.0f;
    Input::mouseY = -0.95f; // below it
    Game::Click();
    EXPECT_EQ(0, std::memcmp(before.cells, Game::board->cells, sizeof before.cells));
    EXPECT_EQ(Game::score, 0);
    EXPECT_FALSE(Game::groupRemoved);
}

TEST_F(Rules, ArcadeTimeBonusShrinksWithTheScore)
{
    Game::StartArcade();
    std::vector<std::string> rows = Checkerboard(11);
    rows[8].replace(2, 4, "1111");
    FillBoard(*Game::board, rows);
    Game::score = 12;
    Game::modeClock = 10.0f;
    ClickCell(3, 8);
    EXPECT_EQ(Game::score, 16);
    EXPECT_NEAR(Game::modeClock, 14.0f, 1e-4f);
    EXPECT_EQ(Game::modeClock, 10.0f + 16.0f * InvSqrt(16.0f));
}

TEST_F(Rules, ClicksAfterTheGameEndedChangeNothing)
{
    Game::StartSimple();
    FillBoard(*Game::board, FiveGroup(11));
    Game::GameOver(0);
    ASSERT_EQ(Game::gameState, Game::STATE_ENTER_NAME);
    const Board before = *Game::board;
    ClickCell(5, 6);
    EXPECT_EQ(Game::score, 0); // still the table index
    EXPECT_EQ(0, std::memcmp(before.cells, Game::board->cells, sizeof before.cells));
    for (int i = 0; i < 50; ++i)
        Game::Step();
    EXPECT_EQ(0, std::memcmp(before.cells, Game::board->cells, sizeof before.cells));
}

TEST_F(Rules, TheEndTestWaitsForTheBoardToSettle)
{
    Game::StartSimple();
    // Remove the pair in the top row: the top cells need ten steps to open,
    // and until then the board has not settled.
    std::vector<std::string> rows = Checkerboard(11);
    rows[0][6] = '1';
    rows[0][7] = '1';
    FillBoard(*Game::board, rows);
    ClickCell(6, 0);
    ASSERT_EQ(Game::score, 4);
    for (int i = 0; i < 10; ++i)
    {
        Game::Step();
        ASSERT_EQ(Game::gameState, Game::STATE_SIMPLE) << "step " << i + 1;
        EXPECT_TRUE(Game::groupRemoved);
    }
    EXPECT_EQ(Game::board->GetCell(6, 0), CELL_OPEN);
    Game::Step(); // nothing changes any more: the test runs, no move is left
    EXPECT_EQ(Game::gameState, Game::STATE_ENTER_NAME);
    EXPECT_FALSE(Game::groupRemoved);
    // 174 blocks left: 500 / 175 = 2.
    EXPECT_EQ(Game::lastScore, 4 + 2);
}

TEST_F(Rules, NoEndTestWithoutARemoval)
{
    Game::StartSimple();
    FillBoard(*Game::board, Checkerboard(11));
    for (int i = 0; i < 20; ++i)
        Game::Step();
    EXPECT_EQ(Game::gameState, Game::STATE_SIMPLE);
}

TEST_F(Rules, EndBonusesForBlocksLeft)
{
    const struct
    {
        const char* extra;
        int bonus;
    } cases[] = {{"................", 500}, {"..........2.....", 250}, {"2.3.........4...", 125}};
    for (const auto& c : cases)
    {
        Reset();
        Game::StartSimple();
        std::vector<std::string> rows(11, "................");
        rows[10] = c.extra;
        rows[10][14] = '1';
        rows[10][15] = '1';
        FillBoard(*Game::board, rows);
        ClickCell(15, 10);
        ASSERT_EQ(Game::score, 4);
        ASSERT_GT(StepUntilOver(1000), 0);
        EXPECT_EQ(Game::lastScore, 4 + c.bonus) << c.extra;
        // Into the Simple table, pending its name; the score is the index.
        EXPECT_EQ(ScoreTable::tables[0].entries[0].score, 4 + c.bonus);
        EXPECT_EQ(ScoreTable::pendingEntry, ScoreTable::tables[0].entries[0].name);
        EXPECT_EQ(Game::score, 0);
    }
}

TEST_F(Rules, SucceedingBringsInANewColumnWhenTheLeftOneIsEmpty)
{
    Game::StartSucceeding();
    std::vector<std::string> rows(11, "................");
    rows[10] = "..............11";
    FillBoard(*Game::board, rows);
    ClickCell(14, 10);
    Game::Step();
    for (int y = 0; y < 11; ++y)
        EXPECT_LT(Game::board->GetCell(0, y), 5);
    EXPECT_EQ(Game::gameState, Game::STATE_SUCCEEDING);
}

TEST_F(Rules, SucceedingEndsWithTheTableOfItsMode)
{
    Game::StartSucceeding();
    // A vertical pair: the column above it falls two rows, which keeps the
    // checkerboard without a move.
    std::vector<std::string> rows = Checkerboard(11);
    rows[9][15] = '1';
    rows[10][15] = '1';
    FillBoard(*Game::board, rows);
    ClickCell(15, 10);
    ASSERT_GT(StepUntilOver(2000), 20);
    EXPECT_EQ(Game::lastScore, 4 + 500 / 175);
    EXPECT_EQ(ScoreTable::tables[2].entries[0].score, Game::lastScore);
    EXPECT_EQ(Game::score, 2);
    for (int y = 0; y < 11; ++y)
        EXPECT_LT(Game::board->GetCell(0, y), 8); // no column came in
}

TEST_F(Rules, ArcadeEndsWhenItsClockRunsOutWithoutABonus)
{
    Game::StartArcade();
    FillBoard(*Game::board, Checkerboard(11));
    Game::score = 7;
    fakeStepSeconds = 1.0;
    Game::modeClock = 2.5f;
    Game::Step();
    Game::Step();
    EXPECT_EQ(Game::gameState, Game::STATE_ARCADE);
    EXPECT_FLOAT_EQ(Game::modeClock, 0.5f);
    Game::groupRemoved = true; // a move test would be due, but time is up first
    Game::Step();
    EXPECT_EQ(Game::gameState, Game::STATE_ENTER_NAME);
    EXPECT_EQ(Game::lastScore, 7);
    EXPECT_TRUE(Game::groupRemoved);
    EXPECT_EQ(Game::score, 1);
    EXPECT_EQ(ScoreTable::tables[1].entries[0].score, 7);
}

TEST_F(Rules, ArcadeRefillsAndEndsWhenNoMoveIsLeft)
{
    Game::StartArcade();
    std::vector<std::string> rows = Checkerboard(11);
    rows[0][0] = '.';
    FillBoard(*Game::board, rows);
    Game::score = 10;
    Game::groupRemoved = true;
    Game::Step();
    // Refilled at once, and the refill counts as a change: no test yet.
    EXPECT_LT(Game::board->GetCell(0, 0), 8);
    EXPECT_EQ(Game::gameState, Game::STATE_ARCADE);
    EXPECT_TRUE(Game::groupRemoved);
    // Settled without a move: the game ends, with no bonus.
    Game::board->SetCell(0, 0, 3);
    Game::Step();
    EXPECT_EQ(Game::gameState, Game::STATE_ENTER_NAME);
    EXPECT_EQ(Game::lastScore, 10);
    EXPECT_FALSE(Game::groupRemoved);
}

TEST_F(Rules, ArcadeWithAMoveLeftGoesOn)
{
    Game::StartArcade();
    FillBoard(*Game::board, FiveGroup(11));
    Game::groupRemoved = true;
    Game::Step();
    EXPECT_EQ(Game::gameState, Game::STATE_ARCADE);
    EXPECT_FALSE(Game::groupRemoved);
    EXPECT_FLOAT_EQ(Game::modeClock, 60.0f - 0.02f);
}

TEST_F(Rules, TetrisDropsAtItsRateAndNeverClosesColumns)
{
    Game::StartTetris();
    Game::dropProgress = 0.0f;
    FillBoard(*Game::board, std::vector<std::string>(18, "................"));
    const auto countBlocks = [] {
        int n = 0;
        for (int i = 0; i < 16 * 18; ++i)
            n += Game::board->cells[i] < CELL_EMPTY;
        return n;
    };
    // 50 steps of 20 ms at score 0: the first block after about a second.
    int first = 0;
    for (int i = 1; i <= 60 && first == 0; ++i)
    {
        Game::Step();
        if (countBlocks() > 0)
            first = i;
    }
    EXPECT_GE(first, 49);
    EXPECT_LE(first, 51);
    EXPECT_NEAR(Game::modeClock, first * 0.02f, 1e-4f);

    // At score 1000, three per second: 30 in ten seconds, at most one a step.
    Game::dropProgress = 0.0f;
    FillBoard(*Game::board, std::vector<std::string>(18, "................"));
    Game::score = 1000;
    int dropped = 0;
    for (int i = 0; i < 500; ++i)
    {
        const int before = countBlocks();
        Game::Step();
        dropped += countBlocks() - before;
        ASSERT_LE(countBlocks() - before, 1);
    }
    // A drop onto a block still in the top row adds nothing; close to 30.
    EXPECT_GE(dropped, 25);
    EXPECT_LE(dropped, 30);
    EXPECT_EQ(Game::gameState, Game::STATE_TETRIS);

    // An empty column between blocks stays where it is.
    std::vector<std::string> rows(18, "................");
    rows[17] = "1.2.............";
    FillBoard(*Game::board, rows);
    Game::score = 0;
    Game::dropProgress = 0.0f;
    Game::Step();
    EXPECT_EQ(Game::board->GetCell(0, 17), 1);
    EXPECT_EQ(Game::board->GetCell(1, 17), CELL_EMPTY);
    EXPECT_EQ(Game::board->GetCell(2, 17), 2);
}

TEST_F(Rules, TetrisEndsOnlyWhenTheChosenColumnIsFull)
{
    Game::StartTetris();
    // Every top cell a block, but every column with a gap: no end.
    std::vector<std::string> rows = Checkerboard(18, '1', '2');
    rows[9] = "++++++++++++++++";
    for (int y = 0; y < 9; ++y)
        rows[y] = y % 2 ? "2121212121212121" : "1212121212121212";
    FillBoard(*Game::board, rows);
    // Keep the gap open: the blocks above it would fall into it.
    for (int i = 0; i < 200; ++i)
    {
        Game::dropProgress = 1.0f;
        Game::Step();
        for (int x = 0; x < 16; ++x)
            Game::board->SetCell(x, 9, CELL_VACATED);
        ASSERT_EQ(Game::gameState, Game::STATE_TETRIS) << "step " << i;
    }
    FillBoard(*Game::board, Checkerboard(18, '1', '2'));
    Game::score = 40;
    Game::dropProgress = 0.99f;
    fakeStepSeconds = 0.0;
    Game::Step(); // not yet due
    EXPECT_EQ(Game::gameState, Game::STATE_TETRIS);
    fakeStepSeconds = 0.02;
    Game::Step();
    EXPECT_EQ(Game::gameState, Game::STATE_ENTER_NAME);
    EXPECT_EQ(Game::lastScore, 40); // no bonus
    EXPECT_EQ(Game::score, 3);
    EXPECT_EQ(ScoreTable::tables[3].entries[0].score, 40);
}

TEST_F(Rules, GameOverEntersTheScoreAndSelectsTheTable)
{
    Game::StartArcade();
    Game::score = 321;
    Game::GameOver(0);
    EXPECT_EQ(Game::lastScore, 321);
    EXPECT_EQ(Game::score, 1);
    EXPECT_EQ(Game::gameState, Game::STATE_ENTER_NAME);
    EXPECT_EQ(ScoreTable::tables[1].entries[0].score, 321);
    ASSERT_NE(ScoreTable::pendingEntry, nullptr);

    // A score that does not qualify leaves no entry pending.
    Game::StartArcade();
    for (ScoreEntry& e : ScoreTable::tables[1].entries)
        e.score = 1000;
    Game::score = 5;
    Game::GameOver(0);
    EXPECT_EQ(ScoreTable::pendingEntry, nullptr);
    EXPECT_EQ(Game::lastScore, 5);
}

TEST_F(Rules, ScoresSaturateInsteadOfWrapping)
{
    Game::StartTetris();
    FillBoard(*Game::board, FiveGroup(18));
    Game::score = INT_MAX - 10;
    ClickCell(5, 6);
    EXPECT_EQ(Game::score, INT_MAX);
}

namespace
{
// Clicks the first removable group in index order; false if there is none.
bool ClickFirstGroup()
{
    const Board& b = *Game::board;
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x)
        {
            const unsigned char c = b.GetCell(x, y);
            if (c < CELL_EMPTY && (b.GetCell(x + 1, y) == c || b.GetCell(x, y + 1) == c))
            {
                GameFixture::ClickCell(x, y);
                return true;
            }
        }
    return false;
}

struct DriveResult
{
    int steps = 0;
    int clicks = 0;
    int finalRunningScore = 0;
};

// Plays a started game to its end: a click on the first group every
// clickEvery steps, checking the invariants after every step.
DriveResult Drive(int clickEvery, int limit)
{
    DriveResult r;
    const int mode = Game::gameState;
    const int colours = Game::board->colours;
    int lastScore = Game::score;
    while (Game::gameState == mode && r.steps < limit)
    {
        if (r.steps % clickEvery == 0 && ClickFirstGroup())
            ++r.clicks;
        if (Game::gameState != mode)
            break;
        EXPECT_GE(Game::score, lastScore);
        lastScore = Game::score;
        Game::Step();
        ++r.steps;
        for (int i = 0; i < Game::board->width * Game::board->height; ++i)
        {
            const unsigned char v = Game::board->cells[i];
            if (v < CELL_EMPTY)
            {
                EXPECT_LT(v, colours) << "cell " << i;
            }
        }
        if (Game::gameState == mode)
        {
            EXPECT_GE(Game::score, lastScore);
            lastScore = Game::score;
        }
        if (testing::Test::HasFailure())
            break;
    }
    r.finalRunningScore = lastScore;
    return r;
}

void ExpectEnded(const DriveResult& r, int table)
{
    EXPECT_EQ(Game::gameState, Game::STATE_ENTER_NAME);
    EXPECT_GE(Game::lastScore, r.finalRunningScore);
    EXPECT_EQ(Game::score, table);
    EXPECT_GT(r.clicks, 0);
    if (Game::lastScore > 0)
    {
        EXPECT_EQ(ScoreTable::tables[table].entries[0].score, Game::lastScore);
    }
}
} // namespace

TEST_F(Rules, WholeSimpleGamesEnd)
{
    for (unsigned seed = 1; seed <= 3; ++seed)
    {
        Reset();
        RandomSeed(seed);
        Game::StartSimple();
        const DriveResult r = Drive(1, 100000);
        ExpectEnded(r, 0);
        // Simple removes blocks only: the bonus follows from what is left.
        EXPECT_EQ(Game::board->NoMovesLeft() > 0, true);
        EXPECT_EQ(Game::lastScore, r.finalRunningScore + 500 / Game::board->NoMovesLeft());
    }
}

TEST_F(Rules, WholeSucceedingGameEnds)
{
    RandomSeed(4);
    Game::StartSucceeding();
    const DriveResult r = Drive(1, 200000);
    ExpectEnded(r, 2);
    EXPECT_EQ(Game::lastScore, r.finalRunningScore + 500 / Game::board->NoMovesLeft());
}

TEST_F(Rules, WholeArcadeGameEnds)
{
    RandomSeed(5);
    fakeStepSeconds = 0.5; // time runs fast enough to beat the bonuses
    Game::StartArcade();
    const DriveResult r = Drive(5, 100000);
    ExpectEnded(r, 1);
    EXPECT_EQ(Game::lastScore, r.finalRunningScore);
}

TEST_F(Rules, WholeTetrisGameEnds)
{
    RandomSeed(6);
    fakeStepSeconds = 0.2;
    Game::StartTetris();
    const DriveResult r = Drive(3, 200000);
    ExpectEnded(r, 3);
    EXPECT_EQ(Game::lastScore, r.finalRunningScore);
}
