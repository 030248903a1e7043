#include "engine/core/Input.h"
#include "engine/core/Random.h"
#include "engine/core/Window.h"
#include "game/Board.h"
#include "game/Game.h"
#include "game/ScoreTable.h"

#include <atomic>
#include <cstring>
#include <gtest/gtest.h>
#include <thread>

namespace
{
double FastClock(int)
{
    return 0.05;
}

bool (*const starts[])() = {Game::StartSimple, Game::StartArcade, Game::StartSucceeding, Game::StartTetris};
} // namespace

// The worker thread steps games while this thread clicks, reads the board
// and the score the way a frame does, names finished games and starts new
// ones. Run under ThreadSanitizer, no access may go unguarded.
TEST(RulesThreads, StepsClicksFramesAndStartsShareTheStateSafely)
{
    double (*savedClock)(int) = Game::elapsedSeconds;
    Game::elapsedSeconds = FastClock;
    Window::aspect = 1.6f;
    RandomSeed(77);
    std::memset(ScoreTable::tables, 0, sizeof ScoreTable::tables);
    Game::StartSimple();

    std::atomic<bool> stop{false};
    std::atomic<int> steps{0};
    std::thread worker([&stop, &steps] {
        while (!stop)
        {
            Game::Step();
            ++steps;
            std::this_thread::yield();
        }
    });

    int games = 0;
    int frames = 0;
    int nextMode = 1;
    uint32_t pick = 1;
    bool legal = true;
    // Two games of each mode, bounded in case a game never ends.
    while (games < 8 && frames < 400000)
    {
        Board snapshot;
        int state;
        int score;
        {
            Game::StateLock lock(Game::stateMutex);
            state = Game::gameState;
            score = Game::score;
            if (Game::board)
                snapshot = *Game::board;
        }
        ++frames;
        for (int i = 0; i < snapshot.width * snapshot.height; ++i)
            if (snapshot.cells[i] < CELL_EMPTY && snapshot.cells[i] >= snapshot.colours)
                legal = false;
        if (state == Game::STATE_ENTER_NAME)
        {
            EXPECT_GE(score, 0);
            EXPECT_LE(score, 3);
            ScoreTable::ConfirmName("racer");
            {
                Game::StateLock lock(Game::stateMutex);
                Game::gameState = Game::STATE_MENU;
            }
            starts[nextMode]();
            nextMode = (nextMode + 1) % 4;
            ++games;
            continue;
        }
        // A click on some cell of the board as it was just seen.
        pick = pick * 1103515245u + 12345u;
        const BoardGeometry g = snapshot.Geometry(Window::aspect);
        const int x = static_cast<int>((pick >> 8) % 16);
        if (snapshot.height == 0)
            continue;
        const int y = static_cast<int>((pick >> 16) % static_cast<uint32_t>(snapshot.height));
        Input::mouseX = g.left + (x + 0.5f) * g.cellWidth;
        Input::mouseY = g.top - (y + 0.5f) * g.cellHeight;
        Game::Click();
        std::this_thread::yield();
    }
    stop = true;
    worker.join();
    Game::elapsedSeconds = savedClock;

    EXPECT_TRUE(legal);
    EXPECT_GT(frames, 100);
    EXPECT_EQ(games, 8); // the threads really met across games' ends
    EXPECT_GT(steps, 100);
    Board::Destroy(Game::board);
    Game::board = nullptr;
    Game::gameState = Game::STATE_MENU;
    Game::score = 0;
    ScoreTable::pendingEntry = nullptr;
}
