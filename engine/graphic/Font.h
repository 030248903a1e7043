#pragma once
#include "engine/math/Matrix.h"
#include "engine/resources/Resource.h"
#include <cstdint>

// A bitmap font: one grey-level glyph atlas, one advance width and one atlas
// rectangle per byte value, and a single cell height. Characters are bytes;
// no other encoding is interpreted. Measuring and wrapping need no OpenGL
// context; loading and drawing do (main thread only).
namespace KyE
{
namespace Graphic
{
namespace Material
{
class Texture;
}
struct FontFile;

class Font : public ResourceManager::Resource
{
public:
    // What the text drawing flags ask for.
    static constexpr int CENTRE_VERTICAL = 1;
    static constexpr int CENTRE_HORIZONTAL = 2;

    Font();
    int GetType() const override;
    ~Font() override;
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // Reads a font file and uploads its atlas; every failure is logged.
    bool Load(const char* fileName);
    // Uploads the atlas of the file it is registered under again, into the
    // same texture object.
    bool Recreate() override;

    // Width in font pixels of the widest line.
    int GetTextWidth(const char* text) const;
    // The same over the first length bytes only (a cursor's position).
    int GetTextWidth(const char* text, int length) const;
    // Lines the text occupies when wrapped at maxWidth font pixels.
    uint32_t CountLines(const char* text, int maxWidth) const;

    // The pen position after a tab at pen x: the next tab stop.
    int TabStop(int x) const;

    // One wrapped line from lineStart: returns the number of bytes the line
    // consumes, its end byte (line feed, carriage return, space, tab or the
    // terminating zero) included. *last is set when the text ends with it.
    int NextLine(const char* lineStart, int maxWidth, bool* last) const;

    // The linear part of transform is in font-pixel scale, its translation in
    // normalised device coordinates; colour is red, green, blue.
    void DrawText(const char* text, const Matrix2x3& transform, const float* colour, int maxWidth, int flags) const;
    // size: line height as a fraction of the window height; (x, y): the top
    // left corner; stretch: a horizontal factor.
    void DrawTextAt(const char* text, float size, const float* colour, float stretch, float x, float y) const;

    Material::Texture* texture;
    int32_t lineHeight;
    uint8_t advance[256];
    float texCoords[256][4];

private:
    // Uploads content's atlas into texture and frees content's pixels.
    bool UploadAtlas(FontFile& content, const char* fileName);

    // Set once Load has counted this font among the text program's users.
    bool countedForProgram;
};

// Fonts that ran Load and are not destroyed yet; the text program lives
// while this is above 0.
uint32_t FontCount();

// Links the text program anew after the context lost it and looks its
// uniforms up again. Returns 1 when it links (0 when there is no program,
// before the first font); a failure is added to failures.
int RecreateTextProgram(int& failures);
} // namespace Graphic
} // namespace KyE
