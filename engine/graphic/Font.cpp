#include "engine/graphic/Font.h"

#include "engine/core/BindingCache.h"
#include "engine/core/Log.h"
#include "engine/core/RenderState.h"
#include "engine/core/Window.h"
#include "engine/graphic/Draw2D.h"
#include "engine/graphic/FontFile.h"
#include "engine/resources/ResourceManager.h"
#include "engine/resources/Shader.h"
#include "engine/resources/Texture.h"
#include <GL/glew.h>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>

namespace KyE
{
namespace Graphic
{
namespace
{
// One text program for every font of the process.
Effect::Shader* textProgram = nullptr;
GLint textRow1Location = -1;
GLint textRow2Location = -1;
GLint textTexCoordsLocation = -1;
GLint textSamplerLocation = -1;
GLint textColourLocation = -1;
uint32_t fontCount = 0;

// clang-format off
const char* const TEXT_VERTEX_SOURCE = "#version 330\n#name Transform Text VS\nlayout(location=0) in vec2 in_Position;\nout vec2 vs_TexCoord0;\n/* Transformation matrix */\nuniform vec3 vTransform2x3_1;\nuniform vec3 vTransform2x3_2;\nuniform vec4 vTexCoords;\nvoid main()\n{\n/* Rescale, Rotate and Translate the input position */\ngl_Position = vec4(in_Position.x*vTransform2x3_1.x+in_Position.y*vTransform2x3_1.y+vTransform2x3_1.z,\n\t\t\t\t\tin_Position.x*vTransform2x3_2.x+in_Position.y*vTransform2x3_2.y+vTransform2x3_2.z, 0.0, 1.0);\n/* Deriverate which texcoord is used from the position */\nvs_TexCoord0.x = vTexCoords.x+(vTexCoords.z - vTexCoords.x)*in_Position.x;\nvs_TexCoord0.y = vTexCoords.y+(vTexCoords.w - vTexCoords.y)*in_Position.y;\n}\n";
const char* const TEXT_FRAGMENT_SOURCE = "#version 330#name Draw Text FS\nuniform sampler2D Texture0;uniform vec3 vColor;in vec2 vs_TexCoord0;out vec4 out_Color;void main(){float r = texture(Texture0, vs_TexCoord0).r;if(r < 0.2) discard;out_Color = vec4(vColor,r);}";
// clang-format on

void LookUpTextUniforms()
{
    if (textProgram != nullptr && textProgram->program != 0)
    {
        textRow1Location = textProgram->GetUniformLocation("vTransform2x3_1");
        textRow2Location = textProgram->GetUniformLocation("vTransform2x3_2");
        textTexCoordsLocation = textProgram->GetUniformLocation("vTexCoords");
        textSamplerLocation = textProgram->GetUniformLocation("Texture0");
        textColourLocation = textProgram->GetUniformLocation("vColor");
        // Set once: a program keeps its uniforms, and the atlas is always
        // on unit 0.
        glUseProgram(textProgram->program);
        glUniform1i(textSamplerLocation, 0);
        glUseProgram(0);
    }
}

void CreateTextProgram()
{
    textProgram = ResourceManager::GetShader(TEXT_VERTEX_SOURCE, TEXT_FRAGMENT_SOURCE);
    LookUpTextUniforms();
}

ResourceManager::Resource* CreateFont()
{
    return new (std::nothrow) Font;
}

bool LoadFont(ResourceManager::Resource* resource, const char* name)
{
    return static_cast<Font*>(resource)->Load(name);
}
} // namespace

uint32_t FontCount()
{
    return fontCount;
}

int RecreateTextProgram(int& failures)
{
    return Effect::RecreateProgram(textProgram, LookUpTextUniforms, failures);
}

Font::Font() : texture(nullptr), lineHeight(0), countedForProgram(false)
{
    memset(advance, 0, sizeof(advance));
    memset(texCoords, 0, sizeof(texCoords));
}

int Font::GetType() const
{
    return 3;
}

Font::~Font()
{
    delete texture;
    texture = nullptr;
    if (countedForProgram)
    {
        if (fontCount == 1)
        {
            delete textProgram;
            textProgram = nullptr;
            textRow1Location = textRow2Location = textTexCoordsLocation = -1;
            textSamplerLocation = textColourLocation = -1;
        }
        if (fontCount > 0)
            --fontCount;
    }
}

bool Font::Load(const char* fileName)
{
    // Every font that ran Load counts, whether or not the program could be
    // made, so that the last one to go is the one that frees it.
    if (textProgram == nullptr)
        CreateTextProgram();
    if (!countedForProgram)
    {
        ++fontCount;
        countedForProgram = true;
    }

    FontFile content;
    if (!ReadFontFile(fileName, content))
        return false;
    lineHeight = content.lineHeight;
    memcpy(advance, content.advance, sizeof(advance));
    memcpy(texCoords, content.texCoords, sizeof(texCoords));

    delete texture;
    texture = new (std::nothrow) Material::Texture;
    if (texture == nullptr)
    {
        LogOutOfMemory(sizeof(Material::Texture));
        free(content.pixels);
        return false;
    }
    if (!UploadAtlas(content, fileName))
    {
        delete texture;
        texture = nullptr;
        return false;
    }
    return true;
}

bool Font::Recreate()
{
    if (texture == nullptr || GetName() == nullptr)
        return false;
    // The atlas's old object went with the context; its name is forgotten,
    // not deleted, since the new context may have given it to another one.
    texture->textureName = 0;
    FontFile content;
    return ReadFontFile(GetName(), content) && UploadAtlas(content, GetName());
}

bool Font::UploadAtlas(FontFile& content, const char* fileName)
{
    Material::RawTexture raw;
    raw.format = Material::FORMAT_R8;
    raw.width = content.atlasWidth;
    raw.height = content.atlasHeight;
    raw.levels[0] = content.pixels;
    const bool uploaded = texture->Load(raw, fileName);
    free(content.pixels);
    content.pixels = nullptr;
    return uploaded;
}

int Font::TabStop(int x) const
{
    const int stop = 4 * advance[32];
    // Without a space width there are no stops; the tab is then a glyph
    // like any other.
    if (stop == 0)
        return x + advance[9];
    return (x / stop + 1) * stop;
}

int Font::GetTextWidth(const char* text) const
{
    return GetTextWidth(text, INT_MAX);
}

int Font::GetTextWidth(const char* text, int length) const
{
    if (text == nullptr || length < 1)
        return 0;
    int widest = 0;
    int width = 0;
    for (int i = 0; i < length && text[i] != 0; ++i)
    {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\n')
        {
            if (width > widest)
                widest = width;
            width = 0;
        }
        else if (c == '\t')
            width = TabStop(width);
        else
            width += advance[c];
    }
    return width > widest ? width : widest;
}

int Font::NextLine(const char* lineStart, int maxWidth, bool* last) const
{
    int width = 0;
    int breakAt = -1;
    for (int i = 0;; ++i)
    {
        const unsigned char c = static_cast<unsigned char>(lineStart[i]);
        if (c == 0)
        {
            *last = true;
            return i + 1;
        }
        if (c == '\n' || c == '\r')
        {
            *last = false;
            return i + 1;
        }
        width += advance[c];
        if (c == ' ' || c == '\t')
            breakAt = i;
        if (width > maxWidth)
        {
            *last = false;
            return (breakAt >= 0 ? breakAt : i) + 1;
        }
    }
}

uint32_t Font::CountLines(const char* text, int maxWidth) const
{
    if (text == nullptr)
        return 0;
    uint32_t count = 0;
    for (const char* p = text;;)
    {
        bool last = false;
        const int used = NextLine(p, maxWidth, &last);
        // A line that holds nothing but the end of the text is no line: an
        // empty text, or the end right after a line feed or a wrap.
        if (last && used == 1)
            break;
        ++count;
        if (last)
            break;
        p += used;
    }
    return count;
}

void Font::DrawText(const char* text, const Matrix2x3& transform, const float* colour, int maxWidth, int flags) const
{
    const bool culling = RenderState::cullFace;
    if (culling)
        RenderState::SetCullFace(false);

    if (text != nullptr && text[0] != 0 && texture != nullptr && textProgram != nullptr && textProgram->program != 0 &&
        lineHeight > 0)
    {
        int x0 = 0;
        if (flags & CENTRE_HORIZONTAL)
        {
            int widest = GetTextWidth(text);
            if (widest > maxWidth)
                widest = maxWidth;
            x0 = -(widest / 2);
        }
        int y0 = 0;
        if (flags & CENTRE_VERTICAL)
            y0 = static_cast<int>((int64_t(CountLines(text, maxWidth)) * lineHeight) / 2);

        // S o M: the caller's linear part in font pixels, its translation
        // taken from normalised device coordinates to pixels, and the whole
        // brought back by the window's reciprocals.
        const float iw = Window::invWidth, ih = Window::invHeight;
        const float a = transform.a * iw, b = transform.b * iw;
        const float c = transform.c * float(Window::width) * iw;
        const float d = transform.d * ih, e = transform.e * ih;
        const float f = transform.f * float(Window::height) * ih;
        const float lh = float(lineHeight);

        BindingCache::BindTexture(texture->target, texture->textureName);
        glUseProgram(textProgram->program);
        glUniform3f(textColourLocation, colour[0], colour[1], colour[2]);
        glBindVertexArray(Draw2D::quadVertexArray);

        int line = 0;
        for (const char* p = text;; ++line)
        {
            bool last = false;
            const int used = NextLine(p, maxWidth, &last);
            int pen = 0;
            for (int i = 0; i < used; ++i)
            {
                const unsigned char ch = static_cast<unsigned char>(p[i]);
                if (ch >= 32)
                {
                    // ... o translation(x0 + pen, y0 - line * lh) o
                    // scale(advance, -lh): the cell hangs down from the pen.
                    const float px = float(x0 + pen);
                    const float py = float(y0) - float(line) * lh;
                    const float w = float(advance[ch]);
                    glUniform3f(textRow1Location, a * w, -b * lh, a * px + b * py + c);
                    glUniform3f(textRow2Location, d * w, -e * lh, d * px + e * py + f);
                    glUniform4fv(textTexCoordsLocation, 1, texCoords[ch]);
                    glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
                }
                pen = ch == '\t' ? TabStop(pen) : pen + advance[ch];
            }
            if (last)
                break;
            p += used;
        }
    }

    if (culling)
        RenderState::SetCullFace(true);
}

void Font::DrawTextAt(const char* text, float size, const float* colour, float stretch, float x, float y) const
{
    if (lineHeight < 1)
        return;
    const float s = 2.0f * float(Window::height) * size / float(lineHeight);
    const Matrix2x3 transform = {s * stretch, 0.0f, x, 0.0f, s, y};
    DrawText(text, transform, colour, 100000, 0);
}
} // namespace Graphic

namespace ResourceManager
{
Graphic::Font* GetFont(const char* name)
{
    return static_cast<Graphic::Font*>(GetOrLoad(name, Graphic::CreateFont, Graphic::LoadFont, sizeof(Graphic::Font)));
}
} // namespace ResourceManager
} // namespace KyE
