#pragma once
#include "engine/core/Input.h"
#include "engine/core/Random.h"
#include "engine/core/Window.h"
#include "game/Board.h"
#include "game/Game.h"
#include "game/ScoreTable.h"

#include <cstring>
#include <gtest/gtest.h>

// Puts the game into a known state, with the mode clock under the test's
// control: every step of Arcade and Tetris sees fakeStepSeconds pass.
class GameFixture : public testing::Test
{
public:
    static double fakeStepSeconds;

    static double FakeElapsed(int) { return fakeStepSeconds; }

public:
    void SetUp() override
    {
        savedClock = Game::elapsedSeconds;
        Game::elapsedSeconds = FakeElapsed;
        fakeStepSeconds = 0.02;
        savedAspect = Window::aspect;
        Window::aspect = 1.6f;
        RandomSeed(12345);
        Reset();
    }

    void TearDown() override
    {
        Reset();
        Game::elapsedSeconds = savedClock;
        Window::aspect = savedAspect;
    }

    static void Reset()
    {
        Board::Destroy(Game::board);
        Game::board = nullptr;
        Game::gameState = Game::STATE_MENU;
        Game::score = 0;
        Game::modeClock = 0.0f;
        Game::dropProgress = 0.0f;
        Game::groupRemoved = false;
        Game::lastScore = 0;
        std::memset(ScoreTable::tables, 0, sizeof ScoreTable::tables);
        ScoreTable::pendingEntry = nullptr;
    }

    // Moves the pointer to the middle of cell (x, y) and clicks.
    static void ClickCell(int x, int y)
    {
        const BoardGeometry g = Game::board->Geometry(Window::aspect);
        Input::mouseX = g.left + (x + 0.5f) * g.cellWidth;
        Input::mouseY = g.top - (y + 0.5f) * g.cellHeight;
        Game::Click();
    }

    // Steps until the game leaves its playing state; the number of steps,
    // or -1 if it did not end within the limit.
    static int StepUntilOver(int limit)
    {
        for (int i = 1; i <= limit; ++i)
        {
            Game::Step();
            if (Game::gameState == Game::STATE_ENTER_NAME)
                return i;
        }
        return -1;
    }

private:
    double (*savedClock)(int) = nullptr;
    float savedAspect = 1.6f;
};
