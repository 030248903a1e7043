#include "game/Game.h"

#include "engine/core/RenderState.h"
#include "engine/core/Window.h"
#include "engine/graphic/Draw2D.h"
#include "engine/graphic/Font.h"
#include "engine/graphic/gui/Frame.h"
#include "game/Board.h"
#include "game/ScoreTable.h"
#include "platform/CalendarTime.h"
#include <GL/glew.h>
#include <cstdio>
#include <cstring>
#include <new>
#include <type_traits>

namespace Game
{
const float textColour[4] = {0.9f, 0.9f, 0.8f, 1.0f};

namespace
{
// What one frame draws, copied under the state lock so that a step on the
// worker thread never shows half done and the lock is not held while drawing.
struct Snapshot
{
    int state;
    int score;
    float modeClock;
    int lastScore;
    bool entryPending;
    // The board is copied into this storage (a Board is trivially
    // copyable), so that no board has to be made up before the first frame.
    const Board* board;
    alignas(Board) unsigned char boardStorage[sizeof(Board)];
    ScoreTable tables[SCORE_TABLES];
};
static_assert(std::is_trivially_copyable<Board>::value, "a frame copies the board byte for byte");

// A few kilobytes; static so that a frame allocates nothing.
Snapshot snapshot;

void TakeSnapshot(Snapshot& s)
{
    StateLock lock(stateMutex);
    s.state = gameState;
    s.score = score;
    s.modeClock = modeClock;
    s.lastScore = lastScore;
    s.entryPending = ScoreTable::pendingEntry != nullptr;
    s.board = nullptr;
    if (board != nullptr && gameState >= STATE_SIMPLE)
        s.board = new (s.boardStorage) Board(*board);
    if (gameState == STATE_SCORES || gameState == STATE_ENTER_NAME)
        std::memcpy(s.tables, ScoreTable::tables, sizeof s.tables);
}

void Text(const char* text, float size, float x, float y)
{
    KyE::Graphic::Font* font = KyE::Graphic::GUI::gameFont;
    if (font != nullptr)
        font->DrawTextAt(text, size, textColour, 1.0f, x, y);
}

// A name or title as stored: at most 23 characters, whatever a file held.
void CopyField(char (&out)[SCORE_NAME_SIZE], const char (&field)[SCORE_NAME_SIZE])
{
    size_t length = strnlen(field, SCORE_NAME_SIZE - 1);
    std::memcpy(out, field, length);
    out[length] = '\0';
}

void DrawEndOfGame(const Snapshot& s)
{
    char line[64];
    snprintf(line, sizeof line, "Your new score: %d", s.lastScore);
    if (s.entryPending)
    {
        if (nameFrame != nullptr)
            nameFrame->Draw();
        Text(line, 0.08f, -0.5f, 0.3f);
        return;
    }
    Text(line, 0.08f, -0.5f, 0.3f);
    char smallest[96];
    const ScoreTable& table = s.tables[s.score & 3];
    snprintf(smallest, sizeof smallest, "Smallest high score: %d\n\n\n\t\t<press return>",
             table.entries[SCORE_ENTRIES - 1].score);
    Text(smallest, 0.06f, -0.465f, 0.0f);
}

void DrawTitle(const ScoreTable& table, float size, float x)
{
    char title[SCORE_NAME_SIZE];
    CopyField(title, table.title);
    Text(title, size, x, 0.9f);
}

void DrawScores(const Snapshot& s)
{
    int t = s.score & 3;
    DrawTitle(s.tables[(t - 1) & 3], 0.05f, -0.8f);
    Text("<-", 0.06f, -0.35f, 0.9f);
    DrawTitle(s.tables[t], 0.08f, -0.2f);
    Text("->", 0.06f, 0.35f, 0.9f);
    DrawTitle(s.tables[(t + 1) & 3], 0.05f, 0.5f);
    for (int i = 0; i < SCORE_ENTRIES; ++i)
    {
        const ScoreEntry& entry = s.tables[t].entries[i];
        if (entry.score == 0)
            continue;
        LocalDate date;
        ToLocalDate(entry.time, date);
        char name[SCORE_NAME_SIZE];
        CopyField(name, entry.name);
        char row[96];
        snprintf(row, sizeof row, "%.2d.%.2d.%d   %s : %d", date.day, date.month, date.year, name, entry.score);
        Text(row, 0.06f, -0.5f, 0.7f - static_cast<float>(i) * 0.13f);
    }
}

// Stand-ins for a block whose texture could not be loaded, so the board
// stays playable: bevelled panels in eight distinct colours.
const float fallbackColours[BLOCK_TEXTURES][4] = {
    {0.90f, 0.62f, 0.00f, 1.0f}, {0.34f, 0.71f, 0.91f, 1.0f}, {0.00f, 0.62f, 0.45f, 1.0f}, {0.94f, 0.89f, 0.26f, 1.0f},
    {0.00f, 0.45f, 0.70f, 1.0f}, {0.84f, 0.37f, 0.00f, 1.0f}, {0.80f, 0.47f, 0.65f, 1.0f}, {0.85f, 0.85f, 0.85f, 1.0f}};
} // namespace

void DrawBoard(const Board& b)
{
    BoardGeometry g = b.Geometry(Window::aspect);
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x)
        {
            unsigned char v = b.GetCell(x, y);
            if (v >= CELL_EMPTY)
                continue;
            unsigned char below = b.GetCell(x, y + 1);
            float offset = below < CELL_EMPTY ? 0.0f : static_cast<float>(below - 7) / 248.0f;
            float left = g.left + static_cast<float>(x) * g.cellWidth;
            float bottom = 0.9f - (static_cast<float>(y) + 1.0f + offset) * g.cellHeight;
            if (blockTextures[v] != nullptr)
                Draw2D::DrawTexturedRect(blockTextures[v], left, bottom, g.cellWidth, g.cellHeight);
            else
            {
                Matrix2x3 rect = {g.cellWidth, 0.0f, left, 0.0f, g.cellHeight, bottom};
                Draw2D::DrawBevelRect(rect, fallbackColours[v]);
            }
        }
}

void Display()
{
    RenderState::SetDepthWrite(true);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    Snapshot& s = snapshot;
    TakeSnapshot(s);

    char line[64];
    switch (s.state)
    {
    case STATE_MENU:
        if (menuFrame != nullptr)
            menuFrame->Draw();
        return;
    case STATE_ENTER_NAME:
        DrawEndOfGame(s);
        return;
    case STATE_SCORES:
        DrawScores(s);
        return;
    case STATE_SIMPLE:
    case STATE_SUCCEEDING:
        snprintf(line, sizeof line, "Score:\n%d", s.score);
        break;
    case STATE_ARCADE:
    case STATE_TETRIS:
        snprintf(line, sizeof line, "Score:\n%d\n\nTime: %.1f", s.score, static_cast<double>(s.modeClock));
        break;
    default:
        return;
    }
    Text(line, 0.06f, -1.0f, 1.0f);
    if (s.board != nullptr)
        DrawBoard(*s.board);
}
} // namespace Game
