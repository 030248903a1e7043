// Drawing a frame allocates nothing of ours: every screen, the GUI's
// elements included, is drawn from memory set up before the first frame.
// Counted by replacing malloc and operator new in this test binary. Every
// operator new on the drawing thread counts (the driver is C; its compiler
// runs only in the frames before counting starts), malloc only from this
// executable's own code, so the driver's per-frame memory (its business,
// not ours) does not. Threads of the driver's own (a Vulkan-layered one
// compiles pipelines on them) allocate as they please.
#include "engine/core/Window.h"
#include "engine/graphic/Font.h"
#include "engine/graphic/gui/Button.h"
#include "engine/graphic/gui/Frame.h"
#include "engine/graphic/gui/Label.h"
#include "engine/graphic/gui/TextField.h"
#include "game/Board.h"
#include "game/Game.h"
#include "game/ScoreTable.h"
#include "tests/engine/graphic/DrawEnvironment.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <new>

#include "tests/support/SanitizerAllocator.h"

// A sanitizer brings its own malloc and operator new; this file's would clash.
#if defined(__GLIBC__) && !defined(TEST_SANITIZER_ALLOCATOR)
extern "C" void* __libc_malloc(size_t size);
extern "C" char __executable_start;
extern "C" char etext;

namespace
{
// Set on the drawing thread only.
thread_local bool counting = false;
std::atomic<int> ours{0};

void Note(const void* caller)
{
    const char* at = static_cast<const char*>(caller);
    if (counting && at >= &__executable_start && at < &etext)
        ours.fetch_add(1, std::memory_order_relaxed);
}

void NoteNew()
{
    if (counting)
        ours.fetch_add(1, std::memory_order_relaxed);
}
} // namespace

extern "C" void* malloc(size_t size)
{
    Note(__builtin_return_address(0));
    return __libc_malloc(size);
}

void* operator new(size_t size)
{
    NoteNew();
    if (void* p = __libc_malloc(size))
        return p;
    throw std::bad_alloc();
}

void* operator new[](size_t size)
{
    NoteNew();
    if (void* p = __libc_malloc(size))
        return p;
    throw std::bad_alloc();
}

void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    NoteNew();
    return __libc_malloc(size);
}

void* operator new[](size_t size, const std::nothrow_t&) noexcept
{
    NoteNew();
    return __libc_malloc(size);
}

namespace
{
using KyE::Graphic::GUI::Button;
using KyE::Graphic::GUI::Frame;
using KyE::Graphic::GUI::GUIBase;
using KyE::Graphic::GUI::Label;
using KyE::Graphic::GUI::TextField;

// Allocations of ours while `draw` runs `frames` times, after a few frames
// that may set things up once.
template <typename Draw> int AllocationsPerFrames(Draw draw, int frames = 20)
{
    for (int i = 0; i < 3; ++i)
        draw();
    ours.store(0);
    counting = true;
    for (int i = 0; i < frames; ++i)
        draw();
    counting = false;
    return ours.load();
}
} // namespace

TEST(FrameAllocations, NoScreenAllocatesOnItsFrames)
{
    // The hook itself must see what it is meant to see.
    counting = true;
    ours.store(0);
    void* probe = malloc(16);
    int* object = new (std::nothrow) int(1);
    counting = false;
    free(probe);
    delete object;
    ASSERT_EQ(ours.load(), 2) << "the counting hooks do not see this executable's allocations";

    Window::OnReshape(960, 600);
    KyE::Graphic::Font* font = KyE::ResourceManager::GetFont(TUMBLOX_BINARY_DIR "/Zived Udozo.kyf");
    ASSERT_NE(font, nullptr);
    KyE::Graphic::GUI::gameFont = font;
    for (int i = 0; i < Game::BLOCK_TEXTURES; ++i)
        Game::blockTextures[i] = TestDraw::MakeTexture(2, 2, std::vector<uint32_t>(4, 0xFF8040FFu - i));
    std::memset(ScoreTable::tables, 0, sizeof ScoreTable::tables);
    for (int t = 0; t < SCORE_TABLES; ++t)
    {
        std::strcpy(ScoreTable::tables[t].title, ScoreTable::titles[t]);
        for (int e = 0; e < SCORE_ENTRIES; ++e)
        {
            std::strcpy(ScoreTable::tables[t].entries[e].name,
                        "A long player name here"); // 23 + 1 bytes, the most a name holds
            ScoreTable::tables[t].entries[e].score = 1000000 - e;
            ScoreTable::tables[t].entries[e].time = 1700000000 + e * 86400;
        }
    }

    Board* board = Board::Create(18, 6);
    ASSERT_NE(board, nullptr);
    board->SetCell(3, 17, 200); // a block part-way through its fall
    Game::board = board;
    const int states[] = {Game::STATE_SIMPLE, Game::STATE_SUCCEEDING, Game::STATE_ARCADE,
                          Game::STATE_TETRIS, Game::STATE_SCORES,     Game::STATE_ENTER_NAME};
    for (int state : states)
    {
        Game::gameState = state;
        Game::score = state == Game::STATE_SCORES ? 1 : 123456;
        Game::modeClock = 42.5f;
        Game::lastScore = 98765;
        EXPECT_EQ(AllocationsPerFrames(Game::Display), 0) << "state " << state;
    }

    // The GUI as the menu and the name entry use it, focus and hover on.
    Frame* root = new (std::nothrow) Frame(-1.0f, -1.0f, 2.0f, 2.0f);
    ASSERT_NE(root, nullptr);
    auto* button = static_cast<Button*>(root->AddObject(GUIBase::TYPE_BUTTON, "Play"));
    auto* label = static_cast<Label*>(root->AddObject(GUIBase::TYPE_LABEL, "Title"));
    auto* field = static_cast<TextField*>(root->AddObject(GUIBase::TYPE_TEXT_FIELD, "Name"));
    ASSERT_TRUE(button != nullptr && label != nullptr && field != nullptr);
    button->Setup(-0.5f, 0.4f, 1.0f, 0.16f, "Succeeding");
    field->Setup(-0.5f, -0.2f, 1.0f, 0.2f, 0.06f);
    KyE::Graphic::GUI::SetFocus(field);
    Frame::OnMouseMove(root, 0.0f, 0.0f);
    EXPECT_EQ(AllocationsPerFrames([root] { root->Draw(); }), 0);

    KyE::Graphic::GUI::SetFocus(nullptr);
    delete root;
    delete label;
    delete field;
    Game::board = nullptr;
    Board::Destroy(board);
    for (auto*& texture : Game::blockTextures)
    {
        delete texture;
        texture = nullptr;
    }
    KyE::Graphic::GUI::gameFont = nullptr;
    font->Release();
    Game::gameState = Game::STATE_MENU;
    Game::score = 0;
    Game::lastScore = 0;
}
#endif
