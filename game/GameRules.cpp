#include "game/Board.h"
#include "game/Game.h"
#include "game/ScoreTable.h"

#include "engine/core/Clock.h"
#include "engine/core/Input.h"
#include "engine/core/Window.h"
#include "engine/math/InvSqrt.h"
#include "platform/Storage.h"
#include <climits>

namespace Game
{
int lastScore = 0;
double (*elapsedSeconds)(int slot) = ElapsedSeconds;

namespace
{
constexpr int ROWS = 11;
constexpr int TETRIS_ROWS = 18;
constexpr int SIMPLE_COLOURS = 5;
constexpr int ARCADE_COLOURS = 8;
constexpr int TETRIS_COLOURS = 6;
constexpr float ARCADE_TIME = 60.0f;
constexpr int END_BONUS = 500;
constexpr float TETRIS_RATE_OFFSET = 500.0f;
constexpr float TETRIS_RATE_FACTOR = 0.002f;
constexpr int MODE_CLOCK_SLOT = 2;

bool IsPlaying(int state)
{
    return state >= STATE_SIMPLE && state <= STATE_TETRIS;
}

// Scores saturate rather than wrap: an endless Tetris or Arcade game must
// never turn a record into a negative number.
void AddScore(int points)
{
    score = (points > INT_MAX - score) ? INT_MAX : score + points;
}

void StartMode(int state, int rows, int colours)
{
    StateLock lock(stateMutex);
    Board::Destroy(board);
    board = Board::Create(rows, colours);
    if (!board)
        return; // reported by Create; without a board there is no game
    if (state == STATE_TETRIS)
    {
        const int emptyRows = board->height * 3 / 4;
        for (int i = 0; i < board->width * emptyRows; ++i)
            board->cells[i] = CELL_EMPTY;
    }
    if (state == STATE_ARCADE || state == STATE_TETRIS)
    {
        elapsedSeconds(MODE_CLOCK_SLOT);
        modeClock = (state == STATE_ARCADE) ? ARCADE_TIME : 0.0f;
    }
    // A new game never inherits the index of the table last shown.
    score = 0;
    // Last: the worker starts stepping the mode as soon as it sees it.
    gameState = state;
}

float ModeClockDelta()
{
    return static_cast<float>(elapsedSeconds(MODE_CLOCK_SLOT));
}

void StepSettling(bool succeeding)
{
    bool changed = board->FallStep();
    changed = board->ShiftColumns() || changed;
    if (succeeding)
        changed = board->RefillLeftColumn() || changed;
    if (changed || !groupRemoved)
        return;
    const int remaining = board->NoMovesLeft();
    if (remaining != 0)
        GameOver(remaining);
    groupRemoved = false;
}

void StepArcade()
{
    bool changed = board->FallStep();
    changed = board->ShiftColumns() || changed;
    changed = board->RefillTopRow() || changed;
    modeClock -= ModeClockDelta();
    if (modeClock <= 0.0f)
    {
        GameOver(0);
        return;
    }
    if (changed || !groupRemoved)
        return;
    if (board->NoMovesLeft() != 0)
        GameOver(0);
    groupRemoved = false;
}

void StepTetris()
{
    board->FallStep();
    const float dt = ModeClockDelta();
    dropProgress += (static_cast<float>(score) + TETRIS_RATE_OFFSET) * dt * TETRIS_RATE_FACTOR;
    modeClock += dt;
    if (dropProgress >= 1.0f)
    {
        dropProgress -= 1.0f;
        if (!board->DropBlock())
            GameOver(0);
    }
}
} // namespace

bool StartSimple()
{
    StartMode(STATE_SIMPLE, ROWS, SIMPLE_COLOURS);
    return true;
}

bool StartSucceeding()
{
    StartMode(STATE_SUCCEEDING, ROWS, SIMPLE_COLOURS);
    return true;
}

bool StartArcade()
{
    StartMode(STATE_ARCADE, ROWS, ARCADE_COLOURS);
    return true;
}

bool StartTetris()
{
    StartMode(STATE_TETRIS, TETRIS_ROWS, TETRIS_COLOURS);
    return true;
}

void Click()
{
    StateLock lock(stateMutex);
    // The worker may have ended the game since the caller looked at the
    // state: a click then must not touch the board or the score, which by
    // now holds the table index.
    if (!IsPlaying(gameState) || !board)
        return;
    int x;
    int y;
    board->CellAt(Input::mouseX, Input::mouseY, Window::aspect, x, y);
    const unsigned char colour = board->GetCell(x, y);
    if (colour >= CELL_EMPTY)
        return;
    if (board->GetCell(x - 1, y) != colour && board->GetCell(x + 1, y) != colour &&
        board->GetCell(x, y - 1) != colour && board->GetCell(x, y + 1) != colour)
        return;
    const int removed = board->RemoveGroup(x, y);
    if (gameState == STATE_ARCADE)
    {
        AddScore(removed);
        modeClock += static_cast<float>(removed * removed) * InvSqrt(static_cast<float>(score));
    }
    else
        AddScore(removed * removed);
    groupRemoved = true;
}

void Step()
{
    bool ended = false;
    {
        StateLock lock(stateMutex);
        if (!board)
            return;
        switch (gameState)
        {
        case STATE_SIMPLE:
            StepSettling(false);
            break;
        case STATE_SUCCEEDING:
            StepSettling(true);
            break;
        case STATE_ARCADE:
            StepArcade();
            break;
        case STATE_TETRIS:
            StepTetris();
            break;
        default:
            return;
        }
        ended = gameState == STATE_ENTER_NAME;
    }
    // Where the program may go without closing, the new entry is kept at once.
    if (ended && KyStorage_SaveOnChange())
        ScoreTable::SaveAll();
}

void GameOver(int bonusDivisor)
{
    if (!IsPlaying(gameState))
        return;
    if (bonusDivisor >= 1)
        AddScore(END_BONUS / bonusDivisor);
    const int table = gameState - STATE_SIMPLE;
    lastScore = score;
    ScoreTable::pendingEntry = nullptr;
    gameState = STATE_ENTER_NAME;
    ScoreTable::Insert(table, score);
    // The score screen, reached from the end-of-game screen, opens on the
    // table of the mode just played.
    score = table;
}
} // namespace Game
