#include "engine/core/Random.h"
#include "game/Board.h"
#include "game/Game.h"

#include <benchmark/benchmark.h>

namespace
{
double NoTime(int)
{
    return 0.0;
}

// One Game::Step of a mode on a full board, with a removal pending so that
// the step runs its whole course: fall, column pass, refills, and the move
// test (a random full board has a move, so the game goes on). Tetris gets a
// full board but for its top row, with a drop due. Each iteration restores
// the board by a copy first (see BoardCopy in bench_board).
void StepOnFullBoard(benchmark::State& state, bool (*start)())
{
    Game::elapsedSeconds = NoTime;
    RandomSeed(2026);
    start();
    const int mode = Game::gameState;
    Board& board = *Game::board;
    board = Board(board.height, board.colours);
    if (mode == Game::STATE_TETRIS)
        for (int x = 0; x < board.width; ++x)
            board.SetCell(x, 0, CELL_EMPTY);
    const Board full = board;
    for (auto _ : state)
    {
        board = full;
        Game::groupRemoved = true;
        Game::dropProgress = 1.0f;
        Game::Step();
        benchmark::ClobberMemory();
    }
    if (Game::gameState != mode)
        state.SkipWithError("the game ended during the benchmark");
    Game::gameState = Game::STATE_MENU;
}

void StepSimple(benchmark::State& state)
{
    StepOnFullBoard(state, Game::StartSimple);
}
void StepSucceeding(benchmark::State& state)
{
    StepOnFullBoard(state, Game::StartSucceeding);
}
void StepArcade(benchmark::State& state)
{
    StepOnFullBoard(state, Game::StartArcade);
}
void StepTetris(benchmark::State& state)
{
    StepOnFullBoard(state, Game::StartTetris);
}
BENCHMARK(StepSimple);
BENCHMARK(StepSucceeding);
BENCHMARK(StepArcade);
BENCHMARK(StepTetris);
} // namespace
