// The floor of the game's rendering loop: the game's window and context
// (Window::Init), its frame timer pacing (20 ms minus the frame's work) and
// QUADS textured quads of a board block's size drawn one draw call each, two
// vec3 uniforms per quad, with blending and the alpha test, nothing else.
// Usage: tumblox_floor [QUADS[xROWS[xTEXTURES]] [FRAMES REPORT]]: ROWS (18
// unless given) sets the quads' size to a cell of a 16-column board of that
// many rows; TEXTURES (1 unless given, at most 8) textures take turns quad by
// quad in a fixed scattered order, as a board's colours do.
// FRAMES 0 or absent runs until the window is closed.
#include "bench/probe/FrameProbe.h"
#include "engine/core/Clock.h"
#include "engine/core/Device.h"
#include "engine/core/Window.h"
#include <GL/glew.h>
#include <GL/freeglut.h>
#include <cstdio>
#include <cstdlib>

namespace
{
constexpr int FRAME_PERIOD_MS = 20;
constexpr int WARMUP_FRAMES = 50;
constexpr int COLUMNS = 16;
constexpr int ROWS = 18;
constexpr int TEXTURE_SIZE = 64;

int quads = COLUMNS * ROWS;
int rows = ROWS;
constexpr int MAX_TEXTURES = 8;
int textureCount = 1;
bool closing = false;
GLuint program = 0;
GLint row1 = -1;
GLint row2 = -1;
GLuint vertexArray = 0;
GLuint textures[MAX_TEXTURES] = {};

const char* const VERTEX =
    "#version 330\nlayout(location=0) in vec2 in_Position;out vec2 vs_TexCoord0;uniform vec3 vTransform2x3_1;"
    "uniform vec3 vTransform2x3_2;void main(void){gl_Position = vec4(in_Position.x*vTransform2x3_1.x+"
    "in_Position.y*vTransform2x3_1.y+vTransform2x3_1.z,in_Position.x*vTransform2x3_2.x+in_Position.y*"
    "vTransform2x3_2.y+vTransform2x3_2.z, 0.0, 1.0);vs_TexCoord0 = in_Position;}";
const char* const FRAGMENT =
    "#version 330\nuniform sampler2D Texture0;in vec2 vs_TexCoord0;out vec4 fs_out_Color;void main(void)"
    "{fs_out_Color = texture(Texture0, vs_TexCoord0);if(fs_out_Color.a < 0.2) discard;}";

GLuint Compile(GLenum type, const char* source)
{
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok)
    {
        char log[1024];
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        fprintf(stderr, "Error: [Floor] shader does not compile: %s\n", log);
    }
    return shader;
}

bool Build()
{
    program = glCreateProgram();
    GLuint vs = Compile(GL_VERTEX_SHADER, VERTEX);
    GLuint fs = Compile(GL_FRAGMENT_SHADER, FRAGMENT);
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok)
    {
        fprintf(stderr, "Error: [Floor] program does not link.\n");
        return false;
    }
    glUseProgram(program);
    row1 = glGetUniformLocation(program, "vTransform2x3_1");
    row2 = glGetUniformLocation(program, "vTransform2x3_2");
    glUniform1i(glGetUniformLocation(program, "Texture0"), 0);

    static const float corners[8] = {0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f};
    GLuint buffer = 0;
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(0);

    // A block-like 64 x 64 RGBA texture, filtered as the game's textures.
    static unsigned char texels[TEXTURE_SIZE * TEXTURE_SIZE * 4];
    for (int i = 0; i < TEXTURE_SIZE * TEXTURE_SIZE; ++i)
    {
        texels[4 * i] = static_cast<unsigned char>(i * 3);
        texels[4 * i + 1] = static_cast<unsigned char>(i / 16);
        texels[4 * i + 2] = 200;
        texels[4 * i + 3] = 255;
    }
    glActiveTexture(GL_TEXTURE0);
    glGenTextures(textureCount, textures);
    for (int t = 0; t < textureCount; ++t)
    {
        texels[2] = static_cast<unsigned char>(t * 30);
        glBindTexture(GL_TEXTURE_2D, textures[t]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, TEXTURE_SIZE, TEXTURE_SIZE, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
        glGenerateMipmap(GL_TEXTURE_2D);
    }
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    return glGetError() == GL_NO_ERROR;
}

void Display()
{
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glUseProgram(program);
    glBindVertexArray(vertexArray);
    glBindTexture(GL_TEXTURE_2D, textures[0]);
    GLuint bound = textures[0];
    // The 16 x 18 board's cells at 960 x 600; more quads go round again.
    const float h = 1.8f / static_cast<float>(rows);
    const float w = h / (static_cast<float>(Window::width) / static_cast<float>(Window::height));
    for (int i = 0; i < quads; ++i)
    {
        const int cell = i % (COLUMNS * rows);
        const float x = -COLUMNS * 0.5f * w + static_cast<float>(cell % COLUMNS) * w;
        const float y = 0.9f - static_cast<float>(cell / COLUMNS + 1) * h;
        // Like the game's binding cache: a bind only when the texture changes.
        const GLuint wanted = textures[(i * 7 + i / 16) % textureCount];
        if (wanted != bound)
        {
            glBindTexture(GL_TEXTURE_2D, wanted);
            bound = wanted;
        }
        glUniform3f(row1, w, 0.0f, x);
        glUniform3f(row2, 0.0f, h, y);
        glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
    }
    FrameProbe::NoteDraws(quads);
    FrameProbe::MarkDrawn();
}

void OnFrameTimer(int)
{
    if (closing)
        return;
    FrameProbe::FrameStart();
    if (closing)
        return;
    ElapsedSeconds(1);
    glutPostRedisplay();
    glutSwapBuffers();
    FrameProbe::FrameSwapped();
    const int delay = Device::RemainingMilliseconds(FRAME_PERIOD_MS, ElapsedSeconds(1));
    glutTimerFunc(static_cast<unsigned int>(delay), OnFrameTimer, 0);
}

void OnClose()
{
    closing = true;
}

void Finish()
{
    FrameProbe::WriteReport();
    closing = true;
    glutDestroyWindow(Window::windowId);
}
} // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IOLBF, 0);
    if (argc > 1)
    {
        char* end = nullptr;
        quads = static_cast<int>(strtol(argv[1], &end, 10));
        if (end != nullptr && *end == 'x')
            rows = static_cast<int>(strtol(end + 1, &end, 10));
        if (end != nullptr && *end == 'x')
            textureCount = atoi(end + 1);
    }
    const int frames = argc > 2 ? atoi(argv[2]) : 0;
    if (quads < 0 || rows < 1 || textureCount < 1 || textureCount > MAX_TEXTURES || (frames > 0 && argc < 4))
    {
        fprintf(stderr, "usage: tumblox_floor [QUADS[xROWS[xTEXTURES]] [FRAMES REPORT]]\n");
        return 2;
    }
    FrameProbe::Configure(WARMUP_FRAMES, frames, argc > 3 ? argv[3] : nullptr, Finish);
    Window::Init(nullptr, Display);
    glutCloseFunc(OnClose);
    glutReshapeFunc(Window::OnReshape);
    if (!Build())
        return 1;
    glutTimerFunc(1, OnFrameTimer, 0);
    glutMainLoop();
    return 0;
}
