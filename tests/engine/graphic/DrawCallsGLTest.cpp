// What one frame's drawing asks of OpenGL: counted through GLEW's entry
// points, which the test replaces with counting ones for the span of a draw.
#include "tests/engine/graphic/DrawEnvironment.h"

namespace
{
struct Calls
{
    int uniform1i = 0;
    int useProgram = 0;
    int bindTexture = 0;
};
Calls calls;
PFNGLUNIFORM1IPROC realUniform1i = nullptr;
PFNGLUSEPROGRAMPROC realUseProgram = nullptr;

void GLAPIENTRY CountUniform1i(GLint location, GLint value)
{
    ++calls.uniform1i;
    realUniform1i(location, value);
}

void GLAPIENTRY CountUseProgram(GLuint program)
{
    ++calls.useProgram;
    realUseProgram(program);
}

// Counts between construction and destruction.
class Counting
{
public:
    Counting()
    {
        calls = Calls();
        realUniform1i = glUniform1i;
        realUseProgram = glUseProgram;
        glUniform1i = CountUniform1i;
        glUseProgram = CountUseProgram;
        textureBinds = BindingCache::calls.bindTexture;
    }
    ~Counting()
    {
        glUniform1i = realUniform1i;
        glUseProgram = realUseProgram;
    }
    unsigned long TextureBinds() const { return BindingCache::calls.bindTexture - textureBinds; }

private:
    unsigned long textureBinds;
};

TEST(DrawCalls, BoardOfBlocksWritesNoSamplerAndBindsEachRunOfOneTextureOnce)
{
    TestDraw::ClearFrame();
    std::vector<uint32_t> red(16, 0xFF0000FFu), blue(16, 0x0000FFFFu);
    KyE::Graphic::Material::Texture* a = TestDraw::MakeTexture(4, 4, red);
    KyE::Graphic::Material::Texture* b = TestDraw::MakeTexture(4, 4, blue);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    Device::ResetBindings();
    {
        Counting count;
        // 16 x 18 blocks, in runs of 8 of one colour: 36 runs.
        for (int i = 0; i < 288; ++i)
            Draw2D::DrawTexturedRect((i / 8) % 2 ? b : a, -1.0f + (i % 16) * 0.125f, -0.9f + (i / 16) * 0.1f, 0.125f,
                                     0.1f);
        EXPECT_EQ(calls.uniform1i, 0);
        EXPECT_EQ(count.TextureBinds(), 36u);
    }
    // The sampler set once still reads unit 0: the blocks show.
    EXPECT_TRUE(TestDraw::Near(TestDraw::Rgb(Window::width / 16, Window::height / 2), 0xFF0000u) ||
                TestDraw::Near(TestDraw::Rgb(Window::width / 16, Window::height / 2), 0x0000FFu));
    delete a;
    delete b;
    TestDraw::RestoreFrame();
}

TEST(DrawCalls, TextWritesNoSamplerAndBindsItsProgramOncePerString)
{
    TestDraw::ClearFrame();
    KyE::Graphic::Font* font = TestDraw::MakeTestFont();
    ASSERT_NE(font, nullptr);
    Device::ResetBindings();
    {
        Counting count;
        const float white[3] = {1.0f, 1.0f, 1.0f};
        font->DrawTextAt("05.03.2014   abc : 120", 0.06f, white, 1.0f, -0.5f, 0.5f);
        EXPECT_EQ(calls.uniform1i, 0);
        EXPECT_EQ(calls.useProgram, 1);
        EXPECT_EQ(count.TextureBinds(), 1u);
    }
    delete font;
    TestDraw::RestoreFrame();
}
} // namespace
