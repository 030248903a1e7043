#include "game/Game.h"

#include "game/Board.h"
#include "game/ScoreTable.h"
#include "engine/core/Clock.h"
#include "engine/core/Device.h"
#include "engine/core/Input.h"
#include "engine/core/Log.h"
#include "engine/core/RenderState.h"
#include "engine/graphic/Font.h"
#include "engine/graphic/gui/Button.h"
#include "engine/graphic/gui/Frame.h"
#include "engine/graphic/gui/TextField.h"
#include "engine/resources/ResourceManager.h"
#include "engine/resources/Texture.h"
#include "platform/Storage.h"
#include <GL/freeglut.h>
#include <new>

using KyE::Graphic::GUI::Button;
using KyE::Graphic::GUI::Frame;
using KyE::Graphic::GUI::GUIBase;
using KyE::Graphic::GUI::TextField;

namespace Game
{
KyE::Graphic::GUI::Frame* menuFrame = nullptr;
KyE::Graphic::GUI::Frame* nameFrame = nullptr;
KyE::Graphic::GUI::TextField* nameField = nullptr;
KyE::Graphic::Material::Texture* blockTextures[BLOCK_TEXTURES] = {};

namespace
{
int CurrentState()
{
    StateLock lock(stateMutex);
    return gameState;
}

// The menu buttons' release handlers; the actions take the lock themselves.
int OnSimpleReleased(GUIBase*, int)
{
    return StartSimple() ? 1 : 0;
}

int OnSucceedingReleased(GUIBase*, int)
{
    return StartSucceeding() ? 1 : 0;
}

int OnArcadeReleased(GUIBase*, int)
{
    return StartArcade() ? 1 : 0;
}

int OnTetrisReleased(GUIBase*, int)
{
    return StartTetris() ? 1 : 0;
}

int OnShowScoreReleased(GUIBase*, int)
{
    return ShowScores() ? 1 : 0;
}

struct MenuEntry
{
    const char* name;
    const char* caption;
    float y;
    int (*onRelease)(GUIBase*, int);
};

const MenuEntry MENU[] = {
    {"EasyMode", "Simple", 0.48f, OnSimpleReleased},
    {"SucceedMode", "Succeeding", 0.28f, OnSucceedingReleased},
    {"ArcadeMode", "Arcade", 0.08f, OnArcadeReleased},
    {"TetrisMode", "Tetris", -0.12f, OnTetrisReleased},
    {"ShowScore", "Show Score", -0.42f, OnShowScoreReleased},
};

// Panels for a button whose face textures are missing, so the menu stays
// usable without them: light, like the faces, for the black captions.
const float BUTTON_COLOUR[4] = {0.78f, 0.82f, 0.89f, 1.0f};
const float BUTTON_HOVER_COLOUR[4] = {0.98f, 0.87f, 0.58f, 1.0f};
const float BUTTON_DOWN_COLOUR[4] = {0.85f, 0.71f, 0.42f, 1.0f};
const float FIELD_COLOUR[4] = {0.12f, 0.14f, 0.20f, 1.0f};

void BuildMenu()
{
    menuFrame = new (std::nothrow) Frame(-1.0f, -1.0f, 2.0f, 2.0f);
    if (menuFrame == nullptr)
    {
        LogOutOfMemory(sizeof(Frame));
        return;
    }
    for (const MenuEntry& entry : MENU)
    {
        Button* button = static_cast<Button*>(menuFrame->AddObject(GUIBase::TYPE_BUTTON, entry.name));
        if (button == nullptr)
            continue;
        button->Setup(-0.5f, entry.y, 1.0f, 0.16f, entry.caption);
        button->textScale = 0.7f;
        for (int i = 0; i < 4; ++i)
        {
            button->colour[i] = BUTTON_COLOUR[i];
            button->hoverColour[i] = BUTTON_HOVER_COLOUR[i];
            button->downColour[i] = BUTTON_DOWN_COLOUR[i];
        }
        button->onKeyUp = entry.onRelease;
    }
}

void BuildNameEntry()
{
    nameFrame = new (std::nothrow) Frame(-1.0f, -1.0f, 2.0f, 2.0f);
    if (nameFrame == nullptr)
    {
        LogOutOfMemory(sizeof(Frame));
        return;
    }
    // Made as any element of a frame is: named, in the frame's table, with
    // the frame's font and text colour. The frame does not destroy text
    // fields, so the game keeps owning it.
    nameField = static_cast<TextField*>(nameFrame->AddObject(GUIBase::TYPE_TEXT_FIELD, "PlayerName"));
    if (nameField == nullptr)
        return;
    nameField->Setup(-0.5f, -0.18f, 1.0f, 0.16f, 0.08f);
    // A table keeps 23 bytes of a name: a phone's keyboard stops there.
    nameField->keptLength = SCORE_NAME_SIZE - 1;
    for (int i = 0; i < 4; ++i)
    {
        nameField->textColour[i] = textColour[i];
        nameField->backgroundColour[i] = FIELD_COLOUR[i];
    }
}

void LoadBlockTextures()
{
    static const char* const FILES[BLOCK_TEXTURES] = {
        "textures/block01.kyt", "textures/block02.kyt", "textures/block03.kyt", "textures/block04.kyt",
        "textures/block05.kyt", "textures/block06.kyt", "textures/block07.kyt", "textures/block08.kyt"};
    ElapsedSeconds(1);
    for (int i = 0; i < BLOCK_TEXTURES; ++i)
        blockTextures[i] = KyE::ResourceManager::GetTexture(FILES[i]);
    LogInfo("Block texture loading time: %f", ElapsedSeconds(1));
}

// The pointer handler of a frame: of its two slots, the first that is set.
void MovePointerOver(Frame* frame, float dx, float dy)
{
    if (frame == nullptr)
        return;
    if (frame->onMouseMove != nullptr)
        frame->onMouseMove(frame, dx, dy);
    else if (frame->onMouseOver != nullptr)
        frame->onMouseOver(frame, dx, dy);
}
} // namespace

void BuildScreens()
{
    BuildMenu();
    BuildNameEntry();
}

void DestroyScreens()
{
    // The menu's buttons go with their frame; the name field is ours.
    delete nameFrame;
    nameFrame = nullptr;
    delete menuFrame;
    menuFrame = nullptr;
    delete nameField;
    nameField = nullptr;
}

void Init()
{
    Device::Init(Device::Callbacks{OnClose, Display, Step});
    // Without a window there is nothing to play; the score tables are not
    // even read, so that nothing can overwrite them.
    if (!Device::IsReady())
        return;
    Device::SetUpdatesPerSecond(50);
    Input::onKeyDown = OnKeyDown;
    Input::onKeyUp = OnKeyUp;
    Input::onMouseMove = OnPointerMove;
    // The font first: root frames take it when they are made.
    KyE::Graphic::GUI::gameFont = KyE::ResourceManager::GetFont("Zived Udozo.kyf");
    BuildScreens();
    LoadBlockTextures();
    RenderState::SetBlend(true);
    RenderState::SetBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    ScoreTable::LoadAll();
}

void ToggleFullScreen()
{
    fullScreen = !fullScreen;
    if (fullScreen)
    {
        LogInfo("Enter full screen mode.");
        glutFullScreen();
    }
    else
    {
        LogInfo("Leave full screen mode.");
        glutLeaveFullScreen();
    }
}

void OnKeyDown(int code)
{
    int state = CurrentState();
    if (state == STATE_ENTER_NAME)
    {
        if (nameFrame != nullptr)
        {
            // The name is typed at once: a focus still on a menu button
            // from before the game would keep the keys from the field.
            if (nameField != nullptr && !(KyE::Graphic::GUI::focusedElement != nullptr &&
                                          KyE::Graphic::GUI::focusedElement->IsInside(nameFrame)))
                KyE::Graphic::GUI::SetFocus(nameField);
            if (nameFrame->onKeyDown != nullptr)
                nameFrame->onKeyDown(nameFrame, code);
        }
        if (code == Input::CODE_RETURN)
        {
            ScoreTable::ConfirmName(nameField != nullptr ? nameField->buffer : nullptr);
            if (KyStorage_SaveOnChange())
                ScoreTable::SaveAll();
            // The name entry is over: its field lets the focus go, and a
            // keyboard on the screen with it.
            if (KyE::Graphic::GUI::focusedElement != nullptr && KyE::Graphic::GUI::focusedElement->IsInside(nameFrame))
                KyE::Graphic::GUI::SetFocus(nullptr);
            StateLock lock(stateMutex);
            gameState = STATE_SCORES;
            return;
        }
    }
    if (state >= STATE_SIMPLE && state <= STATE_TETRIS && code == Input::CODE_MOUSE_LEFT)
    {
        Click();
        return;
    }
    if (code == Input::CODE_F11 || (code == Input::CODE_ESCAPE && fullScreen))
        ToggleFullScreen();
}

void OnKeyUp(int code)
{
    int state = CurrentState();
    if (state == STATE_MENU)
    {
        if (menuFrame != nullptr && menuFrame->onKeyUp != nullptr)
            menuFrame->onKeyUp(menuFrame, code);
    }
    else if (state == STATE_ENTER_NAME)
    {
        if (nameFrame != nullptr && nameFrame->onKeyUp != nullptr)
            nameFrame->onKeyUp(nameFrame, code);
    }
    else if (state == STATE_SCORES)
    {
        StateLock lock(stateMutex);
        if (code == Input::CODE_ESCAPE)
        {
            if (!fullScreen)
                gameState = STATE_MENU;
        }
        else if (code == Input::CODE_MOUSE_RIGHT || code == Input::CODE_MOUSE_LEFT || code == Input::CODE_BACKSPACE)
            gameState = STATE_MENU;
        else if (code == Input::CODE_LEFT)
            score = (score - 1) & 3;
        else if (code == Input::CODE_RIGHT)
            score = (score + 1) & 3;
    }
}

void OnPointerMove(float dx, float dy)
{
    int state = CurrentState();
    if (state == STATE_MENU)
        MovePointerOver(menuFrame, dx, dy);
    else if (state == STATE_ENTER_NAME)
        MovePointerOver(nameFrame, dx, dy);
}

bool ShowScores()
{
    StateLock lock(stateMutex);
    gameState = STATE_SCORES;
    // A score left over from a game never selects a table.
    if (static_cast<unsigned int>(score) >= 4)
        score = 0;
    return true;
}

void OnClose()
{
    ScoreTable::SaveAll();
    {
        StateLock lock(stateMutex);
        Board::Destroy(board);
        board = nullptr;
    }
    DestroyScreens();
    for (KyE::Graphic::Material::Texture*& texture : blockTextures)
    {
        if (texture != nullptr)
            texture->Release();
        texture = nullptr;
    }
    if (KyE::Graphic::GUI::gameFont != nullptr)
        KyE::Graphic::GUI::gameFont->Release();
    KyE::Graphic::GUI::gameFont = nullptr;
}
} // namespace Game
