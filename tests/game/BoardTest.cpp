#include "game/Board.h"

#include "engine/core/Random.h"
#include "tests/game/BoardText.h"
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

namespace
{
Board Make(int height, const std::vector<std::string>& rows)
{
    RandomSeed(1);
    Board board(height, 8);
    FillBoard(board, rows);
    return board;
}

void* FailingAllocate(size_t)
{
    return nullptr;
}
} // namespace

TEST(Board, CreationFromASeedIsRepeatableAndUsesOnlyItsColours)
{
    RandomSeed(20260101);
    Board first(11, 5);
    RandomSeed(20260101);
    Board second(11, 5);
    EXPECT_EQ(first.width, 16);
    EXPECT_EQ(first.height, 11);
    EXPECT_EQ(first.colours, 5);
    EXPECT_EQ(0, std::memcmp(first.cells, second.cells, 16 * 11));
    bool seen[5] = {};
    for (int i = 0; i < 16 * 11; ++i)
    {
        ASSERT_LT(first.cells[i], 5);
        seen[first.cells[i]] = true;
    }
    for (bool s : seen)
        EXPECT_TRUE(s);
    // Filled in index order from the generator's outputs modulo colours.
    RandomSeed(20260101);
    for (int i = 0; i < 16 * 11; ++i)
        ASSERT_EQ(first.cells[i], RandomNext() % 5) << "cell " << i;
}

TEST(Board, SizesOutsideTheLimitsAreCut)
{
    Board many(11, 12);
    EXPECT_EQ(many.colours, 8);
    Board none(11, 0);
    EXPECT_EQ(none.colours, 1);
    for (int i = 0; i < 16 * 11; ++i)
        EXPECT_EQ(none.cells[i], 0);
    Board tall(40, 5);
    EXPECT_EQ(tall.height, BOARD_MAX_HEIGHT);
    Board flat(0, 5);
    EXPECT_EQ(flat.height, 1);
}

TEST(Board, CopyIsACompleteSnapshot)
{
    RandomSeed(7);
    Board original(18, 6);
    Board copy;
    EXPECT_EQ(copy.height, 0);
    EXPECT_EQ(copy.GetCell(0, 0), CELL_EMPTY);
    copy = original;
    original.SetCell(3, 17, CELL_VACATED);
    EXPECT_NE(copy.GetCell(3, 17), CELL_VACATED);
    EXPECT_EQ(copy.height, 18);
    EXPECT_EQ(0, std::memcmp(copy.cells, original.cells, 16 * 17 + 3));
}

TEST(Board, FailedAllocationReportsAndGivesNoBoard)
{
    void* (*saved)(size_t) = Board::allocate;
    Board::allocate = FailingAllocate;
    testing::internal::CaptureStderr();
    Board* board = Board::Create(11, 5);
    const std::string log = testing::internal::GetCapturedStderr();
    Board::allocate = saved;
    EXPECT_EQ(board, nullptr);
    EXPECT_EQ(log, "Error: Out of Memory. Could not allocate " + std::to_string(sizeof(Board)) + " byte.\n");
    Board::Destroy(nullptr); // harmless
    Board* real = Board::Create(11, 5);
    ASSERT_NE(real, nullptr);
    EXPECT_EQ(real->height, 11);
    Board::Destroy(real);
}

TEST(Board, GetCellOutsideIsEmptyAndSetCellOutsideIsIgnored)
{
    Board board = Make(11, Checkerboard(11));
    EXPECT_EQ(board.GetCell(-1, 0), CELL_EMPTY);
    EXPECT_EQ(board.GetCell(16, 0), CELL_EMPTY);
    EXPECT_EQ(board.GetCell(0, -1), CELL_EMPTY);
    EXPECT_EQ(board.GetCell(0, 11), CELL_EMPTY);
    Board before = board;
    board.SetCell(16, 0, 1);
    board.SetCell(-1, 3, 1);
    board.SetCell(0, 11, 1);
    EXPECT_EQ(0, std::memcmp(before.cells, board.cells, sizeof board.cells));
}

TEST(Board, RemoveGroupFloodsOrthogonallyOnly)
{
    std::vector<std::string> rows = Checkerboard(11);
    rows[2] = "3111434343434343"; // 1s: a run of three, plus one below
    rows[3] = "4313434343434341"; // (2,3) joins, (15,3) is another group
    rows[4] = "3434343434343414"; // (14,4) touches (15,3) only diagonally
    Board board = Make(11, rows);
    EXPECT_EQ(board.RemoveGroup(2, 2), 4);
    EXPECT_EQ(BoardRow(board, 2), "3***434343434343");
    EXPECT_EQ(BoardRow(board, 3), "43*3434343434341");
    EXPECT_EQ(board.GetCell(15, 3), 1);
    EXPECT_EQ(board.GetCell(14, 4), 1);
    EXPECT_EQ(board.RemoveGroup(15, 3), 1);
    EXPECT_EQ(board.RemoveGroup(1, 2), 0); // already empty
    EXPECT_EQ(board.RemoveGroup(-1, 2), 0);
}

TEST(Board, RemovingAWholeOneColourBoardCountsEveryCell)
{
    RandomSeed(3);
    Board board(18, 1);
    EXPECT_EQ(board.RemoveGroup(7, 9), 16 * 18);
    for (int i = 0; i < 16 * 18; ++i)
        EXPECT_EQ(board.cells[i], CELL_VACATED);
}

TEST(Board, FallAnimationOfAStackOverARemovedGroup)
{
    std::vector<std::string> rows = Checkerboard(11, '5', '6');
    for (int y = 0; y < 11; ++y)
        rows[y][0] = y < 5 ? '1' : (y < 8 ? '2' : '0');
    Board board = Make(11, rows);
    ASSERT_EQ(board.RemoveGroup(0, 6), 3);
    EXPECT_EQ(board.GetCell(0, 5), CELL_VACATED);

    const int expected[10] = {34, 59, 84, 109, 134, 159, 184, 209, 234, 255};
    for (int step = 0; step < 10; ++step)
    {
        // The block above is drawn lowered by (v - 7) / 248 of a cell.
        EXPECT_TRUE(board.FallStep()) << "step " << step + 1;
        ASSERT_EQ(board.GetCell(0, 5), expected[step]) << "step " << step + 1;
        // The cells further down have no block above them and wait.
        EXPECT_EQ(board.GetCell(0, 6), CELL_VACATED);
        EXPECT_EQ(board.GetCell(0, 7), CELL_VACATED);
        EXPECT_EQ(board.GetCell(0, 4), 1);
    }
    // Eleventh step: the block moves down, leaves 9 behind, and the next
    // cell starts advancing in the same step.
    EXPECT_TRUE(board.FallStep());
    EXPECT_EQ(board.GetCell(0, 4), CELL_VACATED);
    EXPECT_EQ(board.GetCell(0, 5), 1);
    EXPECT_EQ(board.GetCell(0, 6), 34);
    EXPECT_EQ(board.GetCell(0, 3), 1);
    // The block that was above follows one step behind.
    EXPECT_TRUE(board.FallStep());
    EXPECT_EQ(board.GetCell(0, 4), 34);
    EXPECT_EQ(board.GetCell(0, 6), 59);

    // In the end the stack lies on the bottom group. The top cell opens;
    // the two below it have no block above and stay as they were left.
    int steps = 0;
    while (board.FallStep() && steps < 1000)
        ++steps;
    EXPECT_LT(steps, 1000);
    EXPECT_EQ(board.GetCell(0, 0), CELL_OPEN);
    EXPECT_EQ(board.GetCell(0, 1), CELL_VACATED);
    EXPECT_EQ(board.GetCell(0, 2), CELL_VACATED);
    for (int y = 3; y < 8; ++y)
        EXPECT_EQ(board.GetCell(0, y), 1) << "row " << y;
    for (int y = 8; y < 11; ++y)
        EXPECT_EQ(board.GetCell(0, y), 0) << "row " << y;
    for (int x = 1; x < 16; ++x)
        EXPECT_EQ(BoardRow(board, 4)[x], rows[4][x]);
}

TEST(Board, BlockFallsThroughOpenCellsInOnePass)
{
    std::vector<std::string> rows = Checkerboard(11, '5', '6');
    const char column[] = "2+++++3...."; // rows 7-10 are set below
    for (int y = 0; y < 11; ++y)
        rows[y][0] = y < 7 ? column[y] : '0' + (y & 1);
    Board board = Make(11, rows);
    EXPECT_TRUE(board.FallStep());
    for (int y = 0; y < 5; ++y)
        EXPECT_EQ(board.GetCell(0, y), CELL_VACATED) << "row " << y;
    EXPECT_EQ(board.GetCell(0, 5), 2);
    EXPECT_EQ(board.GetCell(0, 6), 3);
}

TEST(Board, EmptyCellsWithoutABlockAboveKeepTheirValue)
{
    std::vector<std::string> rows = Checkerboard(11, '5', '6');
    rows[0][4] = '+';
    Board board = Make(11, rows);
    for (int y = 1; y < 6; ++y)
        board.SetCell(4, y, static_cast<unsigned char>(100 + y));
    // The top cell is already open; the ones below have no block above.
    for (int step = 0; step < 30; ++step)
        EXPECT_FALSE(board.FallStep());
    for (int y = 1; y < 6; ++y)
        EXPECT_EQ(board.GetCell(4, y), 100 + y);
    EXPECT_EQ(board.GetCell(4, 0), CELL_OPEN);
}

TEST(Board, EmptyTopRowCellsAlwaysAdvanceAndCapAt255)
{
    std::vector<std::string> rows = Checkerboard(11, '5', '6');
    rows[0][9] = '*';
    Board board = Make(11, rows);
    board.SetCell(9, 0, 240);
    EXPECT_TRUE(board.FallStep());
    EXPECT_EQ(board.GetCell(9, 0), CELL_OPEN);
    EXPECT_FALSE(board.FallStep());
}

TEST(Board, ShiftColumnsClosesGapsTowardsTheRight)
{
    std::vector<std::string> rows;
    for (int y = 0; y < 11; ++y)
        rows.push_back(y < 6 ? "................" : "...........01..2");
    rows[10][14] = '*'; // an empty column may hold any empty value
    Board board = Make(11, rows);
    board.SetCell(11, 5, 77); // moved along with its column
    EXPECT_TRUE(board.ShiftColumns());
    EXPECT_EQ(BoardRow(board, 8).substr(11), "0++12");
    EXPECT_EQ(BoardRow(board, 3).substr(11), ".++..");
    EXPECT_EQ(BoardRow(board, 5).substr(11), "~++..");
    EXPECT_EQ(board.GetCell(11, 5), 77);
    EXPECT_TRUE(board.ShiftColumns());
    EXPECT_EQ(BoardRow(board, 8).substr(10), ".++012");
    EXPECT_EQ(board.GetCell(13, 5), 77);
    EXPECT_FALSE(board.ShiftColumns());
    // Columns to the left of every block stay as they are.
    EXPECT_EQ(BoardRow(board, 8).substr(0, 11), "...........");
}

TEST(Board, RefillTopRowFillsOnlyEmptyCells)
{
    std::vector<std::string> rows = Checkerboard(11, '5', '6');
    rows[0] = "5+5*5.5+5+5+5+5+";
    RandomSeed(11);
    Board board(11, 3);
    FillBoard(board, rows);
    EXPECT_TRUE(board.RefillTopRow());
    for (int x = 0; x < 16; ++x)
    {
        if (x % 2 == 0)
            EXPECT_EQ(board.GetCell(x, 0), 5);
        else
            EXPECT_LT(board.GetCell(x, 0), 3);
    }
    EXPECT_FALSE(board.RefillTopRow());
}

TEST(Board, RefillLeftColumnOnlyWhenItHoldsNoBlock)
{
    std::vector<std::string> rows(11, "+...............");
    rows[10] = "+..............3";
    rows[7][0] = '4';
    RandomSeed(5);
    Board board(11, 5);
    FillBoard(board, rows);
    EXPECT_FALSE(board.RefillLeftColumn()); // a single block is enough
    EXPECT_EQ(board.GetCell(0, 0), CELL_OPEN);
    board.SetCell(0, 7, CELL_VACATED);
    EXPECT_TRUE(board.RefillLeftColumn());
    for (int y = 0; y < 11; ++y)
        EXPECT_LT(board.GetCell(0, y), 5);
    EXPECT_FALSE(board.RefillLeftColumn());
}

TEST(Board, DropBlockIntoEmptyTopGappedAndFullColumns)
{
    RandomSeed(9);
    Board board(18, 6);
    // Every top cell empty: exactly one block arrives in row 0.
    FillBoard(board, std::vector<std::string>(18, "................"));
    EXPECT_TRUE(board.DropBlock());
    int added = 0;
    for (int x = 0; x < 16; ++x)
        if (board.GetCell(x, 0) < CELL_EMPTY)
            ++added;
    EXPECT_EQ(added, 1);

    // Every top cell a block, a gap lower down: true, nothing added.
    std::vector<std::string> gapped = Checkerboard(18, '1', '2');
    gapped[12] = "++++++++++++++++";
    FillBoard(board, gapped);
    Board before = board;
    for (int i = 0; i < 20; ++i)
        EXPECT_TRUE(board.DropBlock());
    EXPECT_EQ(0, std::memcmp(before.cells, board.cells, sizeof board.cells));

    // Every column full: false.
    FillBoard(board, Checkerboard(18, '1', '2'));
    EXPECT_FALSE(board.DropBlock());
}

TEST(Board, NoMovesLeft)
{
    std::vector<std::string> rows(11, "................");
    Board board = Make(11, rows);
    EXPECT_EQ(board.NoMovesLeft(), 1); // empty board

    rows[4] = ".....1..........";
    rows[5] = "......1...2.....";
    FillBoard(board, rows);
    EXPECT_EQ(board.NoMovesLeft(), 4); // diagonal only: 3 blocks + 1

    rows[5] = ".....11...2.....";
    FillBoard(board, rows);
    EXPECT_EQ(board.NoMovesLeft(), 0); // side by side

    rows[5] = ".....21...2.....";
    FillBoard(board, rows);
    EXPECT_EQ(board.NoMovesLeft(), 5);
    rows[6] = "......1.........";
    FillBoard(board, rows);
    EXPECT_EQ(board.NoMovesLeft(), 0); // one above the other

    FillBoard(board, Checkerboard(11));
    EXPECT_EQ(board.NoMovesLeft(), 16 * 11 + 1);
    // Blocks at opposite edges of a row never wrap around.
    rows.assign(11, "................");
    rows[0] = "1..............1";
    rows[1] = "2...............";
    rows[10] = "2...............";
    FillBoard(board, rows);
    EXPECT_EQ(board.NoMovesLeft(), 5);
}

TEST(Board, GeometryAt960x600)
{
    Board board = Make(11, Checkerboard(11));
    const BoardGeometry g = board.Geometry(1.6f);
    EXPECT_NEAR(g.cellHeight, 0.163636f, 1e-6f);
    EXPECT_NEAR(g.cellWidth, 0.102273f, 1e-6f);
    EXPECT_NEAR(g.left, -0.818182f, 1e-6f);
    EXPECT_NEAR(g.left + 16 * g.cellWidth, 0.818182f, 1e-6f);
    EXPECT_EQ(g.top, 0.9f);
}

namespace
{
struct Cell
{
    int x, y;
};

Cell At(const Board& board, float px, float py, float aspect)
{
    Cell c{};
    board.CellAt(px, py, aspect, c.x, c.y);
    return c;
}

void CheckEdges(const Board& board, float aspect)
{
    const BoardGeometry g = board.Geometry(aspect);
    const float w = g.cellWidth;
    const float h = g.cellHeight;
    const float right = g.left + board.width * w;
    const float bottom = g.top - board.height * h;
    const float e = 0.001f;
    SCOPED_TRACE(testing::Message() << "aspect " << aspect << ", rows " << board.height);

    // Inside, at the corners.
    Cell c = At(board, g.left + e, g.top - e, aspect);
    EXPECT_EQ(c.x, 0);
    EXPECT_EQ(c.y, 0);
    c = At(board, right - e, bottom + e, aspect);
    EXPECT_EQ(c.x, board.width - 1);
    EXPECT_EQ(c.y, board.height - 1);
    c = At(board, g.left + 2.5f * w, g.top - 3.5f * h, aspect);
    EXPECT_EQ(c.x, 2);
    EXPECT_EQ(c.y, 3);

    // Less than a cell to the left or above truncates to 0.
    c = At(board, g.left - e, g.top + e, aspect);
    EXPECT_EQ(c.x, 0);
    EXPECT_EQ(c.y, 0);
    // Further out, outside.
    c = At(board, g.left - w - e, g.top + h + e, aspect);
    EXPECT_EQ(c.x, -1);
    EXPECT_EQ(c.y, -1);
    // Just right of and below the board, outside.
    c = At(board, right + e, bottom - e, aspect);
    EXPECT_EQ(c.x, board.width);
    EXPECT_EQ(c.y, board.height);
    EXPECT_EQ(board.GetCell(c.x, c.y), CELL_EMPTY);
}
} // namespace

TEST(Board, CellAtEveryEdgeAtTwoAspects)
{
    Board simple = Make(11, Checkerboard(11));
    CheckEdges(simple, 1.6f);
    CheckEdges(simple, 1.0f);
    Board tetris = Make(18, Checkerboard(18));
    CheckEdges(tetris, 1.6f);
    CheckEdges(tetris, 0.75f);
}

TEST(Board, CellAtFarOutsideOrNotANumberIsOutside)
{
    Board board = Make(11, Checkerboard(11));
    Cell c = At(board, 1e30f, -1e30f, 1.6f);
    EXPECT_GE(c.x, board.width);
    EXPECT_GE(c.y, board.height);
    c = At(board, -1e30f, 1e30f, 1.6f);
    EXPECT_LT(c.x, 0);
    EXPECT_LT(c.y, 0);
    c = At(board, std::nanf(""), 0.0f, 1.6f);
    EXPECT_EQ(board.GetCell(c.x, c.y), CELL_EMPTY);
}

namespace
{
// The cells an index computed past an edge of the row-major grid lands on:
// across the right edge the next row's first cell, across the left edge the
// previous row's last one, below the last row the bytes behind it.
std::vector<int> CellsAcrossTheEdges(const Board& board, int x, int y)
{
    std::vector<int> across;
    if (x == board.width - 1 && y < board.height - 1)
        across.push_back(board.width * y + x + 1);
    if (x == 0 && y > 0)
        across.push_back(board.width * y - 1);
    if (y == board.height - 1)
        across.push_back(board.width * (y + 1) + x);
    return across;
}

struct EdgeCell
{
    int x, y;
};
// Every corner and a cell in the middle of every edge of a 16 x 11 board.
const EdgeCell EDGE_CELLS[] = {{0, 0}, {15, 0}, {0, 10}, {15, 10}, {7, 0}, {7, 10}, {0, 5}, {15, 5}};

// The cell's neighbour along its edge, inside the board.
EdgeCell AlongTheEdge(EdgeCell c)
{
    if (c.x == 0 || c.x == 15)
        return {c.x, c.y == 0 ? 1 : c.y - 1};
    return {c.x + 1, c.y};
}
} // namespace

TEST(Board, GroupsAndMovesOnEveryEdgeNeverWrapAround)
{
    for (const EdgeCell c : EDGE_CELLS)
    {
        SCOPED_TRACE(testing::Message() << "edge cell " << c.x << "," << c.y);
        const EdgeCell n = AlongTheEdge(c);
        Board board = Make(11, Checkerboard(11));
        board.SetCell(c.x, c.y, 1);
        board.SetCell(n.x, n.y, 1);
        std::vector<int> across = CellsAcrossTheEdges(board, c.x, c.y);
        for (int i : CellsAcrossTheEdges(board, n.x, n.y))
            across.push_back(i);
        for (int i : across)
            board.cells[i] = 1;
        EXPECT_EQ(board.RemoveGroup(c.x, c.y), 2);
        EXPECT_EQ(board.GetCell(n.x, n.y), CELL_VACATED);
        for (int i : across)
            EXPECT_EQ(board.cells[i], 1) << "cell " << i;

        // A lone block and the same colour across its edge: no move.
        Board lone = Make(11, std::vector<std::string>(11, "................"));
        lone.SetCell(c.x, c.y, 2);
        int blocks = 1;
        for (int i : CellsAcrossTheEdges(lone, c.x, c.y))
        {
            if (i < 16 * 11) // behind the last row is not on the board
                ++blocks;
            lone.cells[i] = 2;
        }
        EXPECT_EQ(lone.NoMovesLeft(), blocks + 1);
        lone.SetCell(n.x, n.y, 2);
        EXPECT_EQ(lone.NoMovesLeft(), 0);
    }
}

TEST(Board, ShiftColumnsClosesUpToTheRightEdge)
{
    struct Case
    {
        const char* row;       // the lower three rows; the rest is empty
        const char* firstPass; // after one pass
    };
    const Case cases[] = {
        {"012345670123456.", "01234567012345+6"}, // the rightmost column empty
        {"0123456701234...", "012345670123+++4"}, // several at the right
        {"0.1.2.3.4.5.6.7.", "+0+1+2+3+4+5+6+7"}, // each moves on through its run
        {"0...............", "+++++++++++++++0"}, {".......3........", ".......++++++++3"},
        {"...............5", "...............5"}, // nothing to close
        {"0123456701234567", "0123456701234567"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.row);
        std::vector<std::string> rows(11, "................");
        for (int y = 8; y < 11; ++y)
            rows[y] = c.row;
        Board board = Make(11, rows);
        const std::string row = c.row;
        EXPECT_EQ(board.ShiftColumns(), row != c.firstPass);
        EXPECT_EQ(BoardRow(board, 10), c.firstPass);
        for (int pass = 0; pass < 16 && board.ShiftColumns(); ++pass)
        {
        }
        // At rest: the blocks in their order against the right edge, the
        // columns they left open, the never-used ones left of them as were.
        const size_t leading = row.find_first_not_of('.');
        std::string blocks;
        for (char ch : row)
            if (ch != '.')
                blocks += ch;
        const std::string atRest = row.substr(0, leading) + std::string(16 - leading - blocks.size(), '+') + blocks;
        for (int y = 8; y < 11; ++y)
            EXPECT_EQ(BoardRow(board, y), atRest) << "row " << y;
        EXPECT_FALSE(board.ShiftColumns());
    }
}

TEST(Board, RefillDropAndFallReachTheLastColumnAndRow)
{
    // The only block of column 0 in its last row still keeps the refill out.
    std::vector<std::string> rows(11, "+...............");
    rows[10] = "4...............";
    Board left = Make(11, rows);
    EXPECT_FALSE(left.RefillLeftColumn());

    // A gap in the last row only: not a full column.
    RandomSeed(9);
    Board tetris(18, 6);
    std::vector<std::string> gapped = Checkerboard(18, '1', '2');
    gapped[17] = "++++++++++++++++";
    FillBoard(tetris, gapped);
    for (int i = 0; i < 20; ++i)
        EXPECT_TRUE(tetris.DropBlock());

    // Drops reach every column, the last one too.
    FillBoard(tetris, std::vector<std::string>(18, "................"));
    for (int i = 0; i < 300; ++i)
        tetris.DropBlock();
    EXPECT_EQ(BoardRow(tetris, 0).find('.'), std::string::npos) << BoardRow(tetris, 0);

    // A block in the last column falls through its open cells.
    rows.assign(11, "................");
    rows[0][15] = '6';
    for (int y = 1; y < 11; ++y)
        rows[y][15] = '+';
    Board fall = Make(11, rows);
    EXPECT_TRUE(fall.FallStep());
    EXPECT_EQ(fall.GetCell(15, 10), 6);
}
