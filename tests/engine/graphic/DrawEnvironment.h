#pragma once
// What the device sets up for 2D drawing, for the OpenGL tests: the name
// directive of the shader sources and the 2D effect, made once per test
// program after its window exists and released before the window goes.
#include "engine/core/BindingCache.h"
#include "engine/core/Device.h"
#include "engine/core/RenderState.h"
#include "engine/core/Window.h"
#include "engine/graphic/Font.h"
#include "engine/graphic/Draw2D.h"
#include "engine/resources/ResourceManager.h"
#include "engine/resources/ShaderReplacements.h"
#include "engine/resources/Texture.h"
#include "tests/support/GLContext.h"

#include <GL/glew.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace TestDraw
{
inline const KyE::Graphic::Effect::ShaderReplacement nameDirective = {"//", 2};

class Environment : public testing::Environment
{
public:
    void SetUp() override
    {
        KyE::Graphic::Effect::ShaderReplacements::Add("#name", &nameDirective);
        Draw2D::Init();
    }
    // The device's own close-down: the 2D effect, the shader directives and
    // every resource still registered go while the context exists, and the
    // window's close at exit finds nothing left to do.
    void TearDown() override { Device::Shutdown(); }
};

inline testing::Environment* const environment = testing::AddGlobalTestEnvironment(new Environment);

// A clean frame: cleared to the given colour, no depth test (every 2D draw
// lies at depth 0), no blending, culling as the window leaves it.
inline void ClearFrame(float r = 0.0f, float g = 0.0f, float b = 0.0f)
{
    glDisable(GL_DEPTH_TEST);
    RenderState::SetBlend(false);
    RenderState::SetCullFace(true);
    RenderState::SetScissorTest(false);
    glClearColor(r, g, b, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

inline void RestoreFrame()
{
    glEnable(GL_DEPTH_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
}

// An RGBA8 texture of w x h texels, row 0 first, made through the engine's
// own upload. The caller deletes it.
inline KyE::Graphic::Material::Texture* MakeTexture(int w, int h, const std::vector<uint32_t>& rgba)
{
    std::vector<unsigned char> bytes;
    for (uint32_t p : rgba)
    {
        bytes.push_back(static_cast<unsigned char>(p >> 24));
        bytes.push_back(static_cast<unsigned char>(p >> 16));
        bytes.push_back(static_cast<unsigned char>(p >> 8));
        bytes.push_back(static_cast<unsigned char>(p));
    }
    KyE::Graphic::Material::RawTexture raw;
    raw.width = w;
    raw.height = h;
    raw.levels[0] = bytes.data();
    auto* texture = new KyE::Graphic::Material::Texture;
    if (!texture->Load(raw, "test texture"))
    {
        delete texture;
        return nullptr;
    }
    return texture;
}

// The colour without alpha, 0xRRGGBB.
inline uint32_t Rgb(int x, int y)
{
    return TestGL::PixelAt(x, y) >> 8;
}

inline bool Near(uint32_t rgb, uint32_t expected, int tolerance = 3)
{
    for (int shift = 0; shift < 24; shift += 8)
    {
        int a = int((rgb >> shift) & 0xFF), b = int((expected >> shift) & 0xFF);
        if (a - b > tolerance || b - a > tolerance)
            return false;
    }
    return true;
}

// A font file image: every byte value advance 10 (space 5), lines 20 high,
// every glyph the whole of a fully covered atlas.
struct FontFile
{
    int32_t lineHeight = 20;
    int32_t width = 4;
    int32_t height = 4;
    std::string signature = "KyFo";
    unsigned char coverage = 255;
    long truncateTo = -1;

    std::string Bytes() const
    {
        std::string b = signature.substr(0, 4);
        auto put32 = [&b](int32_t v) {
            for (int i = 0; i < 4; ++i)
                b.push_back(static_cast<char>((uint32_t(v) >> (8 * i)) & 0xFF));
        };
        put32(lineHeight);
        put32(width);
        put32(height);
        for (int i = 0; i < 256; ++i)
            b.push_back(static_cast<char>(i == ' ' ? 5 : 10));
        const float rect[4] = {0.0f, 0.0f, 1.0f, 1.0f};
        for (int i = 0; i < 256; ++i)
            for (float f : rect)
            {
                int32_t bits;
                memcpy(&bits, &f, 4);
                put32(bits);
            }
        if (width > 0 && height > 0 && int64_t(width) * height < 1 << 20)
            b.append(static_cast<size_t>(width * height), static_cast<char>(coverage));
        if (truncateTo >= 0)
            b.resize(static_cast<size_t>(truncateTo));
        return b;
    }

    std::string Write(const char* name) const
    {
        std::string path = std::string("/tmp/tumblox-fonttest-") + std::to_string(getpid()) + "-" + name;
        FILE* f = fopen(path.c_str(), "wb");
        std::string bytes = Bytes();
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
        return path;
    }
};

// The font of FontFile's defaults, loaded through the real loader.
inline KyE::Graphic::Font* MakeTestFont()
{
    const std::string path = FontFile().Write("font");
    auto* font = new KyE::Graphic::Font;
    const bool loaded = font->Load(path.c_str());
    unlink(path.c_str());
    if (!loaded)
    {
        delete font;
        return nullptr;
    }
    return font;
}

// The box of pixels brighter than the threshold, in window pixels.
struct Box
{
    int left = 100000, bottom = 100000, right = -1, top = -1, count = 0;
};
inline Box LitBox(int threshold = 100)
{
    std::vector<uint8_t> p = TestGL::ReadPixels(0, 0, Window::width, Window::height);
    Box box;
    for (int y = 0; y < Window::height; ++y)
        for (int x = 0; x < Window::width; ++x)
        {
            const uint8_t* px = &p[(size_t(y) * Window::width + x) * 4];
            if (px[0] > threshold || px[1] > threshold || px[2] > threshold)
            {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.bottom = std::min(box.bottom, y);
                box.top = std::max(box.top, y);
                ++box.count;
            }
        }
    return box;
}
} // namespace TestDraw
