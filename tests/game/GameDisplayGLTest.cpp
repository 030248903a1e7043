// The game's screens drawn for real and read back: the board's place and
// the smooth fall offset, the score screen's titles and a dated row, each
// compared with the texts drawn alone where they belong; and the same
// pixels again once a lost context is back and the engine made its objects
// anew.
#include "engine/core/Window.h"
#include "engine/graphic/Font.h"
#include "engine/graphic/gui/Button.h"
#include "engine/graphic/gui/Frame.h"
#include "game/Board.h"
#include "game/Game.h"
#include "game/ScoreTable.h"
#include "tests/engine/graphic/DrawEnvironment.h"

#include <cstring>
#include <ctime>
#include <fstream>
#include <gtest/gtest.h>

using KyE::Graphic::Font;
using KyE::Graphic::Material::Texture;
using TestDraw::Near;
using TestDraw::Rgb;

namespace
{
const uint32_t BLOCK_COLOURS[Game::BLOCK_TEXTURES] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00,
                                                      0xFF00FF, 0x00FFFF, 0x808080, 0xFFFFFF};

class GameScreens : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        Window::OnReshape(960, 600);
        for (int i = 0; i < Game::BLOCK_TEXTURES; ++i)
            Game::blockTextures[i] =
                TestDraw::MakeTexture(2, 2, std::vector<uint32_t>(4, (BLOCK_COLOURS[i] << 8) | 0xFF));
        font = KyE::ResourceManager::GetFont(TUMBLOX_BINARY_DIR "/Zived Udozo.kyf");
        KyE::Graphic::GUI::gameFont = font;
    }
    static void TearDownTestSuite()
    {
        for (Texture*& texture : Game::blockTextures)
        {
            delete texture;
            texture = nullptr;
        }
        KyE::Graphic::GUI::gameFont = nullptr;
        if (font != nullptr)
            font->Release();
        Game::board = nullptr;
        Game::gameState = Game::STATE_MENU;
    }
    void SetUp() override
    {
        TestDraw::ClearFrame();
        TestDraw::RestoreFrame();
        RenderState::SetBlend(true);
        RenderState::SetBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        std::memset(ScoreTable::tables, 0, sizeof ScoreTable::tables);
        for (int t = 0; t < SCORE_TABLES; ++t)
            std::strcpy(ScoreTable::tables[t].title, ScoreTable::titles[t]);
        ScoreTable::pendingEntry = nullptr;
    }
    void TearDown() override
    {
        Board::Destroy(board);
        board = nullptr;
        Game::board = nullptr;
    }

    // The window's pixels as one frame draws them.
    static std::vector<uint8_t> Frame()
    {
        Game::Display();
        return TestGL::ReadPixels(0, 0, 960, 600);
    }

    // The same frame with only one text drawn on a cleared screen.
    static std::vector<uint8_t> TextAlone(const char* text, float size, float x, float y)
    {
        RenderState::SetDepthWrite(true);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        font->DrawTextAt(text, size, Game::textColour, 1.0f, x, y);
        return TestGL::ReadPixels(0, 0, 960, 600);
    }

    // Whether the frame's pixels in the box (window pixels, y up) equal the
    // reference's, and the reference has something drawn there.
    static bool SameInBox(const std::vector<uint8_t>& frame, const std::vector<uint8_t>& reference, int x0, int y0,
                          int x1, int y1)
    {
        int lit = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
            {
                size_t i = (static_cast<size_t>(y) * 960 + x) * 4;
                if (std::memcmp(&frame[i], &reference[i], 3) != 0)
                    return false;
                lit += reference[i] > 40;
            }
        return lit > 20;
    }

    static Font* font;
    Board* board = nullptr;
};

Font* GameScreens::font = nullptr;
} // namespace

TEST_F(GameScreens, BoardSpansItsCellsAndBlocksFallSmoothly)
{
    ASSERT_NE(font, nullptr);
    board = Board::Create(11, 5);
    ASSERT_NE(board, nullptr);
    std::memset(board->cells, CELL_EMPTY, sizeof board->cells);
    board->SetCell(0, 10, 0);   // bottom-left corner
    board->SetCell(15, 0, 1);   // top-right corner: it stands on an empty cell at rest
    board->SetCell(5, 9, 2);    // stands on a cell half way to open
    board->SetCell(5, 10, 134); // (134 - 7) / 248 of a cell
    Game::board = board;
    Game::gameState = Game::STATE_SIMPLE;
    std::vector<uint8_t> frame = Frame();
    auto at = [&](int x, int y) {
        size_t i = (static_cast<size_t>(y) * 960 + x) * 4;
        return (uint32_t(frame[i]) << 16) | (uint32_t(frame[i + 1]) << 8) | frame[i + 2];
    };

    // At 960 x 600 a cell is 0.163636 high (49.09 px) and 0.102273 wide, and
    // the board spans x from -0.818182 to 0.818182 (87.3 to 872.7 px) and y
    // from -0.9 to 0.9 (30 to 570 px). Samples stay a pixel or more away from
    // each edge, so rasterisation rules do not decide them.
    EXPECT_TRUE(Near(at(89, 32), BLOCK_COLOURS[0])) << std::hex << at(89, 32);
    EXPECT_TRUE(Near(at(135, 77), BLOCK_COLOURS[0]));
    EXPECT_EQ(at(85, 40), 0u) << "left of the board";
    EXPECT_EQ(at(100, 27), 0u) << "below the board";
    EXPECT_EQ(at(100, 80), 0u) << "above the bottom-left cell";
    EXPECT_EQ(at(139, 40), 0u) << "the next cell is empty";
    // The top-right block stands on a cell at rest (8): drawn 1/248 lower.
    EXPECT_TRUE(Near(at(871, 567), BLOCK_COLOURS[1]));
    EXPECT_TRUE(Near(at(825, 522), BLOCK_COLOURS[1]));
    EXPECT_EQ(at(875, 560), 0u) << "right of the board";
    EXPECT_EQ(at(860, 572), 0u) << "above the board";

    // Column 5 spans 87.27 + 5 * 49.09 = 332.7 to 381.8 px. The block of row
    // 9 rests on 79.1 to 128.2 px and is drawn lowered by 127/248 of a cell,
    // 25.1 px: from 54.0 to 103.1 px.
    EXPECT_TRUE(Near(at(357, 56), BLOCK_COLOURS[2])) << std::hex << at(357, 56);
    EXPECT_TRUE(Near(at(357, 101), BLOCK_COLOURS[2]));
    EXPECT_EQ(at(357, 52), 0u);
    EXPECT_EQ(at(357, 105), 0u) << "the top of its resting place is left empty";

    // The score line stands in the top-left corner.
    std::vector<uint8_t> scoreLine = TextAlone("Score:\n0", 0.06f, -1.0f, 1.0f);
    EXPECT_TRUE(SameInBox(frame, scoreLine, 0, 500, 85, 600));
}

TEST_F(GameScreens, TimedModesShowTheirClock)
{
    board = Board::Create(11, 8);
    ASSERT_NE(board, nullptr);
    Game::board = board;
    Game::gameState = Game::STATE_ARCADE;
    Game::score = 42;
    Game::modeClock = 59.96f;
    std::vector<uint8_t> frame = Frame();
    std::vector<uint8_t> line = TextAlone("Score:\n42\n\nTime: 60.0", 0.06f, -1.0f, 1.0f);
    EXPECT_TRUE(SameInBox(frame, line, 0, 400, 85, 600));
    Game::score = 0;
}

TEST_F(GameScreens, ScoreScreenShowsNeighbourTitlesAndDatedRows)
{
    tm date = {};
    date.tm_mday = 5;
    date.tm_mon = 2;
    date.tm_year = 2014 - 1900;
    date.tm_hour = 12;
    date.tm_isdst = -1;
    ScoreEntry& entry = ScoreTable::tables[0].entries[0];
    std::strcpy(entry.name, "abc");
    entry.score = 120;
    entry.time = static_cast<int64_t>(mktime(&date));
    ScoreEntry& third = ScoreTable::tables[0].entries[2]; // row 1 unused keeps its place
    std::strcpy(third.name, "zed");
    third.score = 7;
    third.time = entry.time;

    Game::gameState = Game::STATE_SCORES;
    Game::score = 0;
    std::vector<uint8_t> frame = Frame();

    // Texts are drawn top-left anchored at (x, y): y 0.9 is pixel row 570.
    EXPECT_TRUE(SameInBox(frame, TextAlone("Tetris", 0.05f, -0.8f, 0.9f), 96, 530, 250, 571));
    EXPECT_TRUE(SameInBox(frame, TextAlone("Arcade", 0.05f, 0.5f, 0.9f), 720, 530, 900, 571));
    EXPECT_TRUE(SameInBox(frame, TextAlone("Simple", 0.08f, -0.2f, 0.9f), 384, 510, 560, 571));
    EXPECT_TRUE(SameInBox(frame, TextAlone("<-", 0.06f, -0.35f, 0.9f), 312, 530, 370, 571));
    // Row 0 at y 0.7 (pixel 510), row 2 at 0.7 - 2 * 0.13 (pixel 432).
    EXPECT_TRUE(SameInBox(frame, TextAlone("05.03.2014   abc : 120", 0.06f, -0.5f, 0.7f), 240, 474, 700, 511));
    EXPECT_TRUE(SameInBox(frame, TextAlone("05.03.2014   zed : 7", 0.06f, -0.5f, 0.44f), 240, 396, 700, 433));

    // Table 1 in the middle: Simple on the left, Succeeding on the right.
    Game::score = 1;
    frame = Frame();
    EXPECT_TRUE(SameInBox(frame, TextAlone("Simple", 0.05f, -0.8f, 0.9f), 96, 530, 250, 571));
    EXPECT_TRUE(SameInBox(frame, TextAlone("Succeeding", 0.05f, 0.5f, 0.9f), 720, 530, 959, 571));
    Game::score = 0;
}

TEST_F(GameScreens, EndOfGameWithoutAnEntryShowsTheSmallestHighScore)
{
    Game::gameState = Game::STATE_ENTER_NAME;
    Game::score = 2; // the mode just played: Succeeding
    Game::lastScore = 96;
    ScoreTable::tables[2].entries[SCORE_ENTRIES - 1].score = 0;
    std::vector<uint8_t> frame = Frame();
    EXPECT_TRUE(SameInBox(frame, TextAlone("Your new score: 96", 0.08f, -0.5f, 0.3f), 240, 330, 700, 391));
    EXPECT_TRUE(SameInBox(frame, TextAlone("Smallest high score: 0\n\n\n\t\t<press return>", 0.06f, -0.465f, 0.0f), 250,
                          150, 800, 301));
    Game::score = 0;
    Game::lastScore = 0;
}

// A context given back empty, as a browser gives back the one it took: every
// object the engine, the GUI and the game hold is made anew, so a game and
// the menu draw exactly as before. A resource whose file is gone by then is
// reported, and the rest is made all the same.
TEST(ContextRestored, TheScreensDrawAsBeforeOnceTheObjectsAreMadeAnew)
{
    using KyE::Graphic::GUI::Button;
    Window::OnReshape(960, 600);
    Font* font = KyE::ResourceManager::GetFont(TUMBLOX_BINARY_DIR "/Zived Udozo.kyf");
    ASSERT_NE(font, nullptr);
    KyE::Graphic::GUI::gameFont = font;
    char name[32];
    for (int i = 0; i < Game::BLOCK_TEXTURES - 1; ++i) // the last colour: a bevelled panel
    {
        snprintf(name, sizeof name, "textures/block%02d.kyt", i + 1);
        Game::blockTextures[i] = KyE::ResourceManager::GetTexture(name);
    }
    const std::string gonePath = "/tmp/tumblox-restored-" + std::to_string(getpid()) + ".kyt";
    std::ofstream(gonePath, std::ios::binary) << std::ifstream("textures/block01.kyt", std::ios::binary).rdbuf();
    Texture* gone = KyE::ResourceManager::GetTexture(gonePath.c_str());
    ASSERT_NE(gone, nullptr);
    auto* menu = new KyE::Graphic::GUI::Frame(-1.0f, -1.0f, 2.0f, 2.0f);
    static_cast<Button*>(menu->AddObject(Button::TYPE_BUTTON, "Simple"))->Setup(-0.5f, 0.48f, 1.0f, 0.16f, "Simple");
    Game::menuFrame = menu;
    Game::board = Board::Create(11, 5);
    ASSERT_NE(Game::board, nullptr);
    Game::board->SetCell(3, 10, Game::BLOCK_TEXTURES - 1);
    RenderState::SetBlend(true);
    RenderState::SetBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    auto screens = [] {
        std::vector<uint8_t> both;
        for (int state : {Game::STATE_SIMPLE, Game::STATE_MENU})
        {
            Game::gameState = state;
            Game::Display();
            std::vector<uint8_t> frame = TestGL::ReadPixels(0, 0, 960, 600);
            both.insert(both.end(), frame.begin(), frame.end());
        }
        return both;
    };
    const std::vector<uint8_t> before = screens();

    ASSERT_TRUE(TestGL::ReplaceContext());
    EXPECT_FALSE(glIsTexture(Game::blockTextures[0]->textureName)) << "the new context holds the old objects";
    unlink(gonePath.c_str());
    testing::internal::CaptureStderr();
    Device::OnContextRestored();
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("Could not re-create the resource '/tmp/tumblox-restored-"), std::string::npos) << errors;
    EXPECT_NE(errors.find("could not be made anew: 1;"), std::string::npos) << errors;
    EXPECT_TRUE(screens() == before) << "the screens differ once the objects are made anew";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    Board::Destroy(Game::board);
    Game::board = nullptr;
    Game::gameState = Game::STATE_MENU;
    delete menu;
    Game::menuFrame = nullptr;
    gone->Release();
    for (Texture*& texture : Game::blockTextures)
    {
        if (texture != nullptr)
            texture->Release();
        texture = nullptr;
    }
    KyE::Graphic::GUI::gameFont = nullptr;
    font->Release();
}
