#pragma once
#include <cstddef>

// Cell values. 0 to 7 is a block of that colour; every value of 8 or more is
// empty, and for an empty cell (v - 7) / 248 is how far the block above it
// has slid into it.
constexpr unsigned char CELL_EMPTY = 8;
constexpr unsigned char CELL_VACATED = 9;
constexpr unsigned char CELL_OPEN = 255;
// Added to an advancing empty cell each step: 9 reaches 255 in ten steps.
constexpr int CELL_FALL_SPEED = 25;

constexpr int BOARD_WIDTH = 16;
constexpr int BOARD_MAX_HEIGHT = 18;
constexpr int BOARD_MAX_COLOURS = 8;
constexpr int BOARD_MAX_CELLS = BOARD_WIDTH * BOARD_MAX_HEIGHT;

// The board's place on screen, in normalised device coordinates (y up).
struct BoardGeometry
{
    float cellWidth;
    float cellHeight;
    float left;
    float top;
};

// The playing field: a grid of single-cell blocks, row 0 at the top. The
// cells are held inline, so a plain copy of a Board is a complete snapshot
// (the drawing takes one under the game's lock).
class Board
{
public:
    // A board filled with random blocks, the cells in index order. height is
    // kept within 1 to BOARD_MAX_HEIGHT and colours within 1 to 8.
    Board(int height, int colours);
    // A board without rows, for a snapshot to be copied into: it draws
    // nothing from the random generator, so it needs no lock.
    Board();

    // Allocates a new board; on failure reports the out-of-memory line and
    // returns null. Free it with Destroy.
    static Board* Create(int height, int colours);
    static void Destroy(Board* board);
    // The allocator behind Create, replaceable so that the failure path can
    // be exercised; plain malloc otherwise.
    static void* (*allocate)(size_t bytes);

    // The cell, or CELL_EMPTY for any position outside the board.
    unsigned char GetCell(int x, int y) const;
    // Ignores positions outside the board.
    void SetCell(int x, int y, unsigned char value);

    // Removes the orthogonally connected group of the block at (x, y), each
    // cell becoming CELL_VACATED; the number of cells removed, 0 if (x, y)
    // holds no block.
    int RemoveGroup(int x, int y);
    // One step of the fall animation; true if anything moved or advanced.
    bool FallStep();
    // Moves columns right into empty columns; true if a column moved.
    bool ShiftColumns();
    // Fills every empty top-row cell; true if one was filled.
    bool RefillTopRow();
    // Fills column 0 when it holds no block; true if it was filled.
    bool RefillLeftColumn();
    // Drops a block into a random column; false only if that column is full.
    bool DropBlock();
    // 0 if some block has a neighbour of its colour, else the blocks plus 1.
    int NoMovesLeft() const;

    BoardGeometry Geometry(float aspect) const;
    // The column and row under a point, each truncated toward zero; a point
    // far outside gives a position outside the board.
    void CellAt(float px, float py, float aspect, int& x, int& y) const;

    int width;
    int height;
    int colours;
    // Row-major: the cell of column x and row y at width * y + x.
    unsigned char cells[BOARD_MAX_CELLS];

private:
    void Mark(int x, int y, unsigned char colour, int& count);
    unsigned char RandomColour() const;
};
