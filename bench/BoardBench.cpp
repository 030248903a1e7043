#include "engine/core/Random.h"
#include "game/Board.h"

#include <benchmark/benchmark.h>

namespace
{
// The largest board, full, in a two-colour checkerboard: no move anywhere,
// so the test visits every cell.
Board FullWithoutMoves()
{
    Board board;
    board.height = BOARD_MAX_HEIGHT;
    board.colours = 2;
    for (int y = 0; y < board.height; ++y)
        for (int x = 0; x < board.width; ++x)
            board.SetCell(x, y, static_cast<unsigned char>((x + y) & 1));
    return board;
}

void BoardCopy(benchmark::State& state)
{
    RandomSeed(1);
    const Board source(BOARD_MAX_HEIGHT, 6);
    Board target;
    for (auto _ : state)
    {
        target = source;
        benchmark::DoNotOptimize(target);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BoardCopy);

void NoMovesLeftFullBoardWithoutMoves(benchmark::State& state)
{
    const Board board = FullWithoutMoves();
    for (auto _ : state)
    {
        int result = board.NoMovesLeft();
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(NoMovesLeftFullBoardWithoutMoves);

// Includes restoring the board by a copy each time (see BoardCopy).
void RemoveGroupWholeOneColourBoard(benchmark::State& state)
{
    RandomSeed(1);
    const Board source(BOARD_MAX_HEIGHT, 1);
    Board board;
    for (auto _ : state)
    {
        board = source;
        int removed = board.RemoveGroup(7, 9);
        benchmark::DoNotOptimize(removed);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(RemoveGroupWholeOneColourBoard);
} // namespace
