#pragma once
#include "game/Board.h"

#include <string>
#include <vector>

// Boards written as text, one string of 16 characters per row, top first:
// '0'-'7' a block of that colour, '.' CELL_EMPTY, '+' CELL_OPEN, '*'
// CELL_VACATED.
inline void FillBoard(Board& board, const std::vector<std::string>& rows)
{
    for (int y = 0; y < board.height; ++y)
        for (int x = 0; x < board.width; ++x)
        {
            const char c = rows.at(y).at(x);
            unsigned char v = CELL_EMPTY;
            if (c >= '0' && c <= '7')
                v = static_cast<unsigned char>(c - '0');
            else if (c == '+')
                v = CELL_OPEN;
            else if (c == '*')
                v = CELL_VACATED;
            board.SetCell(x, y, v);
        }
}

inline std::string BoardRow(const Board& board, int y)
{
    std::string row;
    for (int x = 0; x < board.width; ++x)
    {
        const unsigned char v = board.GetCell(x, y);
        if (v < CELL_EMPTY)
            row += static_cast<char>('0' + v);
        else if (v == CELL_OPEN)
            row += '+';
        else if (v == CELL_VACATED)
            row += '*';
        else if (v == CELL_EMPTY)
            row += '.';
        else
            row += '~';
    }
    return row;
}

inline std::vector<std::string> BoardRows(const Board& board)
{
    std::vector<std::string> rows;
    for (int y = 0; y < board.height; ++y)
        rows.push_back(BoardRow(board, y));
    return rows;
}

// A two-colour checkerboard: full, and with no move anywhere.
inline std::vector<std::string> Checkerboard(int height, char a = '3', char b = '4')
{
    std::vector<std::string> rows;
    for (int y = 0; y < height; ++y)
    {
        std::string row;
        for (int x = 0; x < 16; ++x)
            row += ((x + y) & 1) ? b : a;
        rows.push_back(row);
    }
    return rows;
}
