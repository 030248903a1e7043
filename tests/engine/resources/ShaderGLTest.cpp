#include "engine/containers/HashMap.h"
#include "engine/core/BindingCache.h"
#include "engine/resources/ResourceManager.h"
#include "engine/resources/Shader.h"
#include "tests/engine/resources/ShaderTestSupport.h"
#include "tests/support/GLContext.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <cstring>
#include <string>

using KyE::Graphic::Effect::Shader;
using KyE::Graphic::Effect::SingleShader;
namespace RM = KyE::ResourceManager;
using namespace ShaderTest;

namespace
{
size_t Count(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

std::string DeletionLine(const char* name)
{
    return "Info: [Resource::DeleteResource] Deleted resource '" + std::string(name).substr(0, 30) + "'.\n";
}

// Maps the unit quad onto the whole window.
void CoverWindow(Shader* shader)
{
    glUniform3f(shader->GetUniformLocation("vTransform2x3_1"), 2.0f, 0.0f, -1.0f);
    glUniform3f(shader->GetUniformLocation("vTransform2x3_2"), 0.0f, 2.0f, -1.0f);
}

void ClearWindow()
{
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// Red, green and blue within 2; the window may have no alpha to read back.
bool Near(uint32_t pixel, uint32_t expected)
{
    for (int shift = 8; shift < 32; shift += 8)
    {
        int a = (pixel >> shift) & 0xFF;
        int b = (expected >> shift) & 0xFF;
        if (a - b > 2 || b - a > 2)
            return false;
    }
    return true;
}

bool Linked(GLuint program)
{
    GLint status = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    return status == GL_TRUE;
}

GLint BlockBinding(GLuint program, const char* block)
{
    GLuint index = glGetUniformBlockIndex(program, block);
    if (index == GL_INVALID_INDEX)
        return -1;
    GLint binding = -1;
    glGetActiveUniformBlockiv(program, index, GL_UNIFORM_BLOCK_BINDING, &binding);
    return binding;
}

class ShaderGL : public testing::Test
{
protected:
    static void SetUpTestSuite() { InitShaderServices(); }
    void SetUp() override
    {
        before = RM::Registry().ElementCount;
        while (glGetError() != GL_NO_ERROR)
        {
        }
    }
    void TearDown() override
    {
        EXPECT_EQ(RM::Registry().ElementCount, before) << "a stage was left registered";
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    uint32_t before = 0;
};
} // namespace

TEST_F(ShaderGL, EngineSourcesCompileLinkAndDraw)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    Shader* textured = RM::GetShader(DRAW_2D_VS, TEXTURE_ALPHATEST_FS);
    Shader* coloured = RM::GetShader(DRAW_2D_VS, CONST_COPY_COLOR_FS);
    Shader* text = RM::GetShader(TRANSFORM_TEXT_VS, DRAW_TEXT_FS);
    std::string out = testing::internal::GetCapturedStdout();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "");
    const std::string ok = "Info: [SingleShader::LoadShaderDirect] Successfully loaded shader: ";
    EXPECT_EQ(Count(out, ok + "Draw 2D Transformation\n"), 1u); // one stage, shared
    EXPECT_EQ(Count(out, ok + "Texture+Alphatest FS\n"), 1u);
    EXPECT_EQ(Count(out, ok + "Const Copy Color FS\n"), 1u);
    EXPECT_EQ(Count(out, ok + "Transform Text VS\n"), 1u);
    EXPECT_EQ(Count(out, ok + "Draw Text FS\n"), 1u);

    ASSERT_NE(textured, nullptr);
    ASSERT_NE(coloured, nullptr);
    ASSERT_NE(text, nullptr);
    EXPECT_NE(textured, coloured);
    EXPECT_NE(textured->program, coloured->program);
    EXPECT_TRUE(Linked(textured->program));
    EXPECT_TRUE(Linked(coloured->program));
    EXPECT_TRUE(Linked(text->program));
    EXPECT_EQ(textured->vertexStage, coloured->vertexStage);
    EXPECT_EQ(textured->vertexStage->referenceCount, 2);
    EXPECT_EQ(textured->fragmentStage->referenceCount, 1);
    EXPECT_EQ(textured->geometryStage, nullptr);
    EXPECT_EQ(textured->vertexStage->GetType(), 1);
    EXPECT_STREQ(textured->vertexStage->GetName(), DRAW_2D_VS); // registered by its source
    for (const char* uniform : {"vTransform2x3_1", "vTransform2x3_2", "vTexCoords", "Texture0", "vColor"})
        EXPECT_GE(text->GetUniformLocation(uniform), 0) << uniform;

    // A uniform the program lacks is -1 and no message.
    testing::internal::CaptureStderr();
    EXPECT_EQ(coloured->GetUniformLocation("Texture0"), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    ShaderTest::UnitQuad quad;
    ClearWindow();
    glUseProgram(coloured->program);
    CoverWindow(coloured);
    glUniform4f(coloured->GetUniformLocation("vColor"), 0.2f, 0.4f, 0.6f, 1.0f);
    quad.Draw();
    EXPECT_PRED2(Near, TestGL::PixelAt(480, 300), 0x336699FFu);

    // The textured program: an opaque texel is drawn, a clear one discarded.
    GLuint texture = 0;
    glGenTextures(1, &texture);
    BindingCache::BindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    const uint8_t texels[8] = {255, 0, 0, 255, 0, 255, 0, 0}; // red, clear green
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 2, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    ClearWindow();
    glUseProgram(textured->program);
    CoverWindow(textured);
    glUniform1i(textured->GetUniformLocation("Texture0"), 0);
    quad.Draw();
    EXPECT_PRED2(Near, TestGL::PixelAt(240, 300), 0xFF0000FFu);
    EXPECT_PRED2(Near, TestGL::PixelAt(720, 300), 0x00000000u);
    BindingCache::UnbindTexture(GL_TEXTURE_2D);
    glDeleteTextures(1, &texture);
    glUseProgram(0);

    // Each program gives its stages back; the shared one goes with the last.
    testing::internal::CaptureStdout();
    delete textured;
    std::string first = testing::internal::GetCapturedStdout();
    EXPECT_EQ(first, DeletionLine(TEXTURE_ALPHATEST_FS));
    testing::internal::CaptureStdout();
    delete coloured;
    delete text;
    std::string rest = testing::internal::GetCapturedStdout();
    EXPECT_EQ(rest, DeletionLine(DRAW_2D_VS) + DeletionLine(CONST_COPY_COLOR_FS) + DeletionLine(TRANSFORM_TEXT_VS) +
                        DeletionLine(DRAW_TEXT_FS));
    EXPECT_EQ(RM::Registry().Search(DRAW_2D_VS), nullptr);
}

TEST_F(ShaderGL, BrokenSourceLogsTheDriversMessageAndStillLinks)
{
    const char* broken = "#version 330\n#name Broken FS\nout vec4 c;void main(){c = undefinedThing;}";
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    Shader* shader = RM::GetShader(DRAW_2D_VS, broken);
    std::string err = testing::internal::GetCapturedStderr();
    testing::internal::GetCapturedStdout();
    ASSERT_NE(shader, nullptr); // a stage that failed to compile still counts
    EXPECT_NE(shader->program, 0u);
    EXPECT_FALSE(Linked(shader->program));
    const std::string compileLine = "Error: [SingleShader::LoadShaderDirect] Error in compiling the shader Broken FS\n";
    size_t at = err.find(compileLine);
    ASSERT_NE(at, std::string::npos) << err;
    size_t linkAt = err.find("Error: [Shader::Link] Failed to build shader program:\n");
    ASSERT_NE(linkAt, std::string::npos) << err;
    // The driver's own words stand between the two lines.
    std::string driverLog = err.substr(at + compileLine.size(), linkAt - at - compileLine.size());
    EXPECT_NE(driverLog.find("undefinedThing"), std::string::npos) << driverLog;
    EXPECT_NE(RM::Registry().Search(broken), nullptr);

    // Look-ups in a program that did not link report the OpenGL error.
    testing::internal::CaptureStderr();
    shader->GetUniformLocation("vColor");
    err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.find("Error: [Shader::GetUniformLocation] Could not find uniform location vColor in shader " +
                       std::to_string(shader->program) + ": "),
              0u)
        << err;

    testing::internal::CaptureStdout();
    delete shader;
    testing::internal::GetCapturedStdout();
}

TEST_F(ShaderGL, OnlyTheDeclaredBlockIsBoundAndItsValuesReachTheShader)
{
    const char* vs = "#version 330\n#name Camera VS\nlayout(location=0) in vec2 in_Position;"
                     "void main(){gl_Position = vec4(in_Position*2.0-1.0, 0.0, 1.0);}";
    const char* fs = "#version 330\n#name Camera FS\nlayout(std140) uniform Transformation {mat4 mView;mat4 "
                     "mProjection;mat4 mViewProjection;mat4 mInverseViewProjection;vec3 vCameraPos;vec3 vCameraDir;"
                     "float fNearClipPlane;vec3 vCameraUp;float fFarClipPlane;};out vec4 c;"
                     "void main(){c = vec4(vCameraPos, fFarClipPlane);}";
    testing::internal::CaptureStdout();
    Shader* shader = RM::GetShader(vs, fs);
    testing::internal::GetCapturedStdout();
    ASSERT_NE(shader, nullptr);
    ASSERT_TRUE(Linked(shader->program));
    EXPECT_EQ(BlockBinding(shader->program, "Transformation"), 1);
    EXPECT_EQ(glGetUniformBlockIndex(shader->program, "Lightening"), GL_INVALID_INDEX);
    EXPECT_EQ(glGetUniformBlockIndex(shader->program, "Object"), GL_INVALID_INDEX);

    UniformBlock* block = UniformManager::blocks[1];
    ASSERT_NE(block, nullptr);
    ASSERT_NE(block->data, nullptr);
    const float position[3] = {0.25f, 0.5f, 0.75f};
    const float farPlane = 1.0f;
    memcpy(block->data + 256, position, sizeof(position));  // vCameraPos
    memcpy(block->data + 300, &farPlane, sizeof(farPlane)); // fFarClipPlane
    block->dirty = true;
    UniformManager::CommitChanges();
    ShaderTest::UnitQuad quad;
    ClearWindow();
    glUseProgram(shader->program);
    quad.Draw();
    EXPECT_PRED2(Near, TestGL::PixelAt(480, 300), 0x4080BFFFu);
    glUseProgram(0);

    testing::internal::CaptureStdout();
    delete shader;
    testing::internal::GetCapturedStdout();
}

TEST_F(ShaderGL, HeaderUniformsStandForTheBlockDeclarations)
{
    const char* vs = "#version 330\n#name Header VS\n#header uniforms\nlayout(location=0) in vec2 in_Position;"
                     "void main(){gl_Position = mViewProjection * mWorld * vec4(in_Position, 0.0, 1.0) + "
                     "vec4(L[3].vDiffuse, float(iNumLights));}";
    const char* fs = "#version 330\n#name Header FS\n#header uniforms\nout vec4 c;"
                     "void main(){c = Material.vColor + vec4(vCameraPos, fFarClipPlane);}";
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    Shader* shader = RM::GetShader(vs, fs);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_NE(out.find("Successfully loaded shader: Header VS\n"), std::string::npos);
    ASSERT_NE(shader, nullptr);
    ASSERT_TRUE(Linked(shader->program));
    // Each block at its own binding point, with the size the manager lays out.
    const char* names[3] = {"Lightening", "Transformation", "Object"};
    for (int i = 0; i < 3; ++i)
    {
        SCOPED_TRACE(names[i]);
        EXPECT_EQ(BlockBinding(shader->program, names[i]), i);
        GLint size = 0;
        glGetActiveUniformBlockiv(shader->program, glGetUniformBlockIndex(shader->program, names[i]),
                                  GL_UNIFORM_BLOCK_DATA_SIZE, &size);
        EXPECT_EQ(static_cast<uint32_t>(size), UniformManager::blocks[i]->usedSize);
    }
    testing::internal::CaptureStdout();
    delete shader;
    testing::internal::GetCapturedStdout();
}

TEST_F(ShaderGL, TextWithoutVersionIsAFilePath)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(RM::GetShader("void main(){}", CONST_COPY_COLOR_FS), nullptr);
    std::string err = testing::internal::GetCapturedStderr();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(err, "Error: [SingleShader::SingleShader] Could not open shader file: void main(){}\n");
    EXPECT_EQ(RM::Registry().Search("void main(){}"), nullptr);
    // The fragment stage made meanwhile is given back, not left held.
    EXPECT_NE(out.find(DeletionLine(CONST_COPY_COLOR_FS)), std::string::npos) << out;

    // A real file, without a "#name": logged under its path.
    std::string path = std::string(TUMBLOX_BINARY_DIR) + "/shader_gl_test.vs";
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    const char* source = "#version 330\nlayout(location=0) in vec2 p;void main(){gl_Position = vec4(p, 0.0, 1.0);}";
    fputs(source, file);
    fclose(file);
    testing::internal::CaptureStdout();
    Shader* shader = RM::GetShader(path.c_str(), CONST_COPY_COLOR_FS);
    out = testing::internal::GetCapturedStdout();
    ASSERT_NE(shader, nullptr);
    EXPECT_TRUE(Linked(shader->program));
    EXPECT_NE(out.find("Successfully loaded shader: " + path + "\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Successfully loaded shader: Const Copy Color FS\n"), std::string::npos);
    EXPECT_NE(RM::Registry().Search(path.c_str()), nullptr);
    testing::internal::CaptureStdout();
    delete shader;
    testing::internal::GetCapturedStdout();
    remove(path.c_str());

    // Sources given as text without a name are "<Unknown> - direct loaded".
    testing::internal::CaptureStdout();
    SingleShader* stage = new SingleShader(source, GL_VERTEX_SHADER);
    out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "Info: [SingleShader::LoadShaderDirect] Successfully loaded shader: <Unknown> - direct loaded\n");
    EXPECT_NE(stage->shaderName, 0u);
    delete stage;
    SingleShader empty(nullptr, GL_VERTEX_SHADER);
    EXPECT_EQ(empty.shaderName, 0u);
}

TEST_F(ShaderGL, OverlongNameIsShortenedInTheLog)
{
    std::string name(63, 'N');
    std::string source = "#version 330\n#name " + name + "X\nout vec4 c;void main(){c = vec4(1.0);}";
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    SingleShader stage(source.c_str(), GL_FRAGMENT_SHADER);
    std::string out = testing::internal::GetCapturedStdout();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "Error: [SingleShader::LoadShaderDirect] The name of a shader is to long. It will be shortened to "
                   "63 characters.\n");
    EXPECT_EQ(out, "Info: [SingleShader::LoadShaderDirect] Successfully loaded shader: " + name + "\n");
    GLint status = 0;
    glGetShaderiv(stage.shaderName, GL_COMPILE_STATUS, &status);
    EXPECT_EQ(status, GL_TRUE);
}

TEST_F(ShaderGL, SourceTooLongForThePreprocessorIsNotCompiled)
{
    std::string source = "#version 330\n#name Huge FS\n" + std::string(9000, ' ') + "void main(){}";
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(RM::GetShader(DRAW_2D_VS, source.c_str()), nullptr);
    std::string err = testing::internal::GetCapturedStderr();
    // The vertex stage made meanwhile is given back.
    EXPECT_NE(testing::internal::GetCapturedStdout().find(DeletionLine(DRAW_2D_VS)), std::string::npos);
    EXPECT_EQ(err, "Error: [PreprocessShaderSource] The processed shader source does not fit into 8192 bytes.\n"
                   "Error: [SingleShader::LoadShaderDirect] The shader Huge FS is not compiled.\n");
    EXPECT_EQ(RM::Registry().Search(source.c_str()), nullptr);
}

TEST_F(ShaderGL, LinkWithoutAStageMakesNoProgram)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    SingleShader vertex(DRAW_2D_VS, GL_VERTEX_SHADER);
    Shader none(nullptr, nullptr, nullptr);
    EXPECT_EQ(none.program, 0u);
    none.Link(vertex.shaderName, 0, 0);
    EXPECT_EQ(none.program, 0u);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(ShaderGL, AtShutdownEveryStageStillRegisteredIsLoggedOnce)
{
    testing::internal::CaptureStdout();
    Shader* a = RM::GetShader(DRAW_2D_VS, CONST_COPY_COLOR_FS);
    Shader* b = RM::GetShader(DRAW_2D_VS, TEXTURE_ALPHATEST_FS);
    testing::internal::GetCapturedStdout();
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    uint32_t registered = RM::Registry().ElementCount;
    testing::internal::CaptureStdout();
    delete b; // gives back its fragment stage and one vertex reference
    EXPECT_EQ(testing::internal::GetCapturedStdout(), DeletionLine(TEXTURE_ALPHATEST_FS));
    // The programs that no one destroyed lose their stages with the registry.
    a->vertexStage = a->fragmentStage = nullptr;
    testing::internal::CaptureStdout();
    RM::ReleaseAll();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(registered - 1, before + 2);
    EXPECT_EQ(Count(out, DeletionLine(DRAW_2D_VS)), 1u);
    EXPECT_EQ(Count(out, DeletionLine(CONST_COPY_COLOR_FS)), 1u);
    EXPECT_EQ(Count(out, "Deleted resource"), static_cast<size_t>(before) + 2u);
    EXPECT_EQ(RM::Registry().ElementCount, 0u);
    delete a;
    before = 0;
}
