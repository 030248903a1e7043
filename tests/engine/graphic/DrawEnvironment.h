#pragma once
// What the device sets up for 2D drawing, for the OpenGL tests: the name
// directive of the shader sources and the 2D effect, made once per test
// program after its window exists and released before the window goes.
#include "engine/core/BindingCache.h"
#include "engine/core/Device.h"
#include "engine/core/RenderState.h"
#include "engine/graphic/Draw2D.h"
#include "engine/resources/ResourceManager.h"
#include "engine/resources/ShaderReplacements.h"
#include "engine/resources/Texture.h"
#include "tests/support/GLContext.h"

#include <GL/glew.h>
#include <gtest/gtest.h>
#include <cstdint>
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
} // namespace TestDraw
