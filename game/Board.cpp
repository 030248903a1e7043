#include "game/Board.h"

#include "engine/core/Log.h"
#include "engine/core/Random.h"
#include <cstdlib>
#include <new>

namespace
{
bool IsBlock(unsigned char value)
{
    return value < CELL_EMPTY;
}

// Truncation toward zero, with points too far out (or not a number) kept
// well outside the board instead of overflowing the conversion.
int TruncateToCell(float f)
{
    constexpr float LIMIT = 1.0e6f;
    if (f > -LIMIT && f < LIMIT)
        return static_cast<int>(f);
    return f > 0.0f ? static_cast<int>(LIMIT) : -static_cast<int>(LIMIT);
}
} // namespace

void* (*Board::allocate)(size_t bytes) = std::malloc;

Board::Board(int rows, int colourCount) : width(BOARD_WIDTH), height(rows), colours(colourCount), cells{}
{
    if (height < 1)
        height = 1;
    if (height > BOARD_MAX_HEIGHT)
        height = BOARD_MAX_HEIGHT;
    if (colours > BOARD_MAX_COLOURS)
        colours = BOARD_MAX_COLOURS;
    if (colours < 1)
        colours = 1;
    for (int i = width * height; i < BOARD_MAX_CELLS; ++i)
        cells[i] = CELL_EMPTY;
    for (int i = 0; i < width * height; ++i)
        cells[i] = RandomColour();
}

Board::Board() : width(BOARD_WIDTH), height(0), colours(1)
{
    for (unsigned char& cell : cells)
        cell = CELL_EMPTY;
}

Board* Board::Create(int rows, int colourCount)
{
    void* storage = allocate(sizeof(Board));
    if (!storage)
    {
        LogOutOfMemory(sizeof(Board));
        return nullptr;
    }
    return new (storage) Board(rows, colourCount);
}

void Board::Destroy(Board* board)
{
    if (!board)
        return;
    board->~Board();
    std::free(board);
}

unsigned char Board::RandomColour() const
{
    return static_cast<unsigned char>(RandomInt(static_cast<uint32_t>(colours - 1)));
}

unsigned char Board::GetCell(int x, int y) const
{
    if (x < 0 || x >= width || y < 0 || y >= height)
        return CELL_EMPTY;
    return cells[width * y + x];
}

void Board::SetCell(int x, int y, unsigned char value)
{
    if (x < 0 || x >= width || y < 0 || y >= height)
        return;
    cells[width * y + x] = value;
}

void Board::Mark(int x, int y, unsigned char colour, int& count)
{
    if (x < 0 || x >= width || y < 0 || y >= height)
        return;
    unsigned char& cell = cells[width * y + x];
    if (cell != colour)
        return;
    cell = CELL_VACATED;
    ++count;
    // Depth first; a marked cell no longer matches, so each counts once and
    // the recursion is at most one level per cell.
    Mark(x - 1, y, colour, count);
    Mark(x + 1, y, colour, count);
    Mark(x, y - 1, colour, count);
    Mark(x, y + 1, colour, count);
}

int Board::RemoveGroup(int x, int y)
{
    const unsigned char colour = GetCell(x, y);
    if (!IsBlock(colour))
        return 0;
    cells[width * y + x] = CELL_VACATED;
    int count = 1;
    Mark(x - 1, y, colour, count);
    Mark(x + 1, y, colour, count);
    Mark(x, y - 1, colour, count);
    Mark(x, y + 1, colour, count);
    return count;
}

bool Board::FallStep()
{
    // One pass top to bottom, in place: a block that moves is met again in
    // its new row and falls on through cells that are already open.
    bool changed = false;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            unsigned char& cell = cells[width * y + x];
            if (IsBlock(cell))
            {
                if (y < height - 1 && cells[width * (y + 1) + x] == CELL_OPEN)
                {
                    cells[width * (y + 1) + x] = cell;
                    cell = CELL_VACATED;
                    changed = true;
                }
            }
            else if (y == 0 || IsBlock(cells[width * (y - 1) + x]))
            {
                if (cell < CELL_OPEN)
                    changed = true;
                const int advanced = cell + CELL_FALL_SPEED;
                cell = static_cast<unsigned char>(advanced < CELL_OPEN ? advanced : CELL_OPEN);
            }
        }
    return changed;
}

bool Board::ShiftColumns()
{
    bool changed = false;
    bool blockSeen = false;
    for (int x = 0; x < width; ++x)
    {
        bool empty = true;
        for (int y = 0; y < height; ++y)
            if (IsBlock(cells[width * y + x]))
                empty = false;
        if (!empty)
        {
            blockSeen = true;
            continue;
        }
        if (!blockSeen)
            continue;
        // The column on the left moves in; it goes on moving right through
        // a run of empty columns in this same pass.
        for (int y = 0; y < height; ++y)
        {
            cells[width * y + x] = cells[width * y + x - 1];
            cells[width * y + x - 1] = CELL_OPEN;
        }
        changed = true;
    }
    return changed;
}

bool Board::RefillTopRow()
{
    bool filled = false;
    for (int x = 0; x < width; ++x)
        if (!IsBlock(cells[x]))
        {
            cells[x] = RandomColour();
            filled = true;
        }
    return filled;
}

bool Board::RefillLeftColumn()
{
    for (int y = 0; y < height; ++y)
        if (IsBlock(cells[width * y]))
            return false;
    for (int y = 0; y < height; ++y)
        cells[width * y] = RandomColour();
    return true;
}

bool Board::DropBlock()
{
    const int x = static_cast<int>(RandomInt(static_cast<uint32_t>(width - 1)));
    if (!IsBlock(cells[x]))
    {
        cells[x] = RandomColour();
        return true;
    }
    for (int y = 1; y < height; ++y)
        if (!IsBlock(cells[width * y + x]))
            return true;
    return false;
}

int Board::NoMovesLeft() const
{
    int blocks = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const unsigned char colour = cells[width * y + x];
            if (!IsBlock(colour))
                continue;
            ++blocks;
            if (GetCell(x + 1, y) == colour || GetCell(x - 1, y) == colour || GetCell(x, y + 1) == colour ||
                GetCell(x, y - 1) == colour)
                return 0;
        }
    return blocks + 1;
}

BoardGeometry Board::Geometry(float aspect) const
{
    BoardGeometry g;
    g.cellHeight = 1.8f / static_cast<float>(height);
    g.cellWidth = g.cellHeight / aspect;
    g.left = (2.0f - static_cast<float>(width) * g.cellWidth) * 0.5f - 1.0f;
    g.top = 0.9f;
    return g;
}

void Board::CellAt(float px, float py, float aspect, int& x, int& y) const
{
    const BoardGeometry g = Geometry(aspect);
    x = TruncateToCell((px - g.left) / g.cellWidth);
    y = TruncateToCell((g.top - py) / g.cellHeight);
}
