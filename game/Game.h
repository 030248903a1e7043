#pragma once
#include <mutex>

class Board;

namespace KyE
{
namespace Graphic
{
class Font;
namespace Material
{
class Texture;
}
namespace GUI
{
class Frame;
class TextField;
} // namespace GUI
} // namespace Graphic
} // namespace KyE

namespace Game
{
// The screens; the four playing states are consecutive, and gameState minus
// STATE_SIMPLE is the index of the mode's high score table.
enum State : int
{
    STATE_MENU = 0,
    STATE_ENTER_NAME = 1,
    STATE_SCORES = 2,
    STATE_SIMPLE = 3,
    STATE_ARCADE = 4,
    STATE_SUCCEEDING = 5,
    STATE_TETRIS = 6
};

// Shared state. The worker thread's step and the main thread's input
// handlers and drawing meet here, and stateMutex is the one rule between
// them: every read or write of the variables below, of the board, of the
// score tables (with lastScore and the pending entry) and of the random
// generator happens with stateMutex held. The step holds it for one whole
// step, a click or a start action for its whole change, and a frame only
// while it copies what it draws. The lock is never held while calling into
// the GUI, so a handler may take it itself.
extern std::mutex stateMutex;
using StateLock = std::lock_guard<std::mutex>;

extern int gameState;
// The running score during a game; outside a game the table on show.
extern int score;
extern float modeClock;
extern float dropProgress;
extern bool groupRemoved;
extern Board* board;
// The final score of the most recent game, for the end-of-game screen.
extern int lastScore;

// Main thread only.
extern bool fullScreen;
// The colour of every game text and of the name field.
extern const float textColour[4];

// The screens' GUI and the game's textures, main thread only; they live from
// Init to OnClose. The font is the GUI's gameFont.
constexpr int BLOCK_TEXTURES = 8;
extern KyE::Graphic::GUI::Frame* menuFrame;
extern KyE::Graphic::GUI::Frame* nameFrame;
extern KyE::Graphic::GUI::TextField* nameField;
// Index i is the texture of block colour i; null when it failed to load.
extern KyE::Graphic::Material::Texture* blockTextures[BLOCK_TEXTURES];

void Init();
// Makes menuFrame with its five buttons, nameFrame and nameField, in the
// font gameFont holds; Init calls it once the font is loaded. OnClose
// deletes them with DestroyScreens.
void BuildScreens();
void DestroyScreens();
void OnKeyDown(int code);
void OnKeyUp(int code);
void OnPointerMove(float dx, float dy);
void OnClose();
void Display();
// Draws a board as it was copied by Display.
void DrawBoard(const Board& board);

// Switches full screen on or off with its log line.
void ToggleFullScreen();

// Main thread, from the menu: each frees the old board, sets up its mode
// from a score of 0 and enters its playing state last. When the new board
// cannot be allocated the game stays in the menu, with no board. Always true.
bool StartSimple();
bool StartSucceeding();
bool StartArcade();
bool StartTetris();
// Main thread, from the menu: the score screen, on the table of the last
// game's mode (the first table when no table was chosen yet). Always true.
bool ShowScores();

// Main thread: the left button at (mouseX, mouseY) during a game removes the
// group under it and scores it. Ignored outside a playing state.
void Click();

// Worker thread: one game step of the mode on show.
void Step();

// Ends the game from inside Step (stateMutex held): adds 500 / bonusDivisor
// when it is 1 or more, enters the score into the mode's table and moves to
// the end-of-game screen.
void GameOver(int bonusDivisor);

// The stopwatch the Arcade and Tetris clocks read, on slot 2; ElapsedSeconds
// unless a test drives the time itself.
extern double (*elapsedSeconds)(int slot);
} // namespace Game
