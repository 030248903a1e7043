#include "tools/ContactSheet.h"

#include "tools/BlockArt.h"
#include "tools/FontBaker.h"
#include "tools/GuiArt.h"
#include "tools/Preview.h"

#include <algorithm>
#include <cstdint>

namespace
{

const int sheetWidth = 1000;
const int margin = 16;
const Colour background = {0.0f, 0.0f, 0.0f, 1.0f}; // the game clears to black
const Colour labelColour = {0.62f, 0.66f, 0.74f, 1.0f};
const Colour gameText = {0.9f, 0.9f, 0.8f, 1.0f};
const float windowHeight = 600.0f;
const float windowAspect = 1.6f;

struct Sheet
{
    Image image;
    const BakedFont& font;
    Image atlas;
};

// Section headings as a text of size 0.05 at 600 rows would be drawn.
int Label(Sheet& sheet, const char* text, int y)
{
    float scale = 0.05f * windowHeight / sheet.font.lineHeight;
    DrawPreviewText(sheet.image, sheet.font, sheet.atlas, text, margin, y, scale, scale, labelColour);
    return y + static_cast<int>(sheet.font.lineHeight * scale) + 4;
}

// A button as the menu draws it: face stretched over the rectangle, the
// caption centred on it, one font pixel = (aspect * s / 2, s / 2) window
// pixels with s = window height * button height * 0.03 * caption scale.
void Button(Sheet& sheet, const Image& face, const char* caption, bool focused, int x, int y)
{
    DrawPreview(sheet.image, face, x, y, guiWidth, guiHeight, PreviewBlend::Opaque);
    float s = windowHeight * 0.16f * 0.03f * 0.7f;
    float sx = windowAspect * s * 0.5f, sy = s * 0.5f;
    // Black captions (the menu frame's text colour), lifted on the focused button.
    float h = focused ? 0.2f : 0.0f;
    Colour colour = {h, h, h, 1.0f};
    // Centred by whole font pixels, as the text drawing does.
    float left = x + guiWidth * 0.5f - static_cast<float>(PreviewTextWidth(sheet.font, caption) / 2) * sx;
    float top = y + guiHeight * 0.5f - sheet.font.lineHeight * 0.5f * sy;
    DrawPreviewText(sheet.image, sheet.font, sheet.atlas, caption, left, top, sx, sy, colour);
}

// The name field, focused, with its cursor, as the end-of-game screen
// draws it (text size 0.08, text 3 pixels in from the left edge).
void NameField(Sheet& sheet, const Image& face, const char* text, int x, int y)
{
    DrawPreview(sheet.image, face, x, y, guiWidth, guiHeight, PreviewBlend::Opaque);
    float scale = 0.08f * windowHeight / sheet.font.lineHeight;
    Colour colour = {gameText.r * 1.2f, gameText.g * 1.2f, gameText.b * 1.4f, 1.0f};
    float cursorX = PreviewTextWidth(sheet.font, text) * scale;
    DrawPreviewText(sheet.image, sheet.font, sheet.atlas, "I", x + cursorX, y, scale, scale, colour);
    DrawPreviewText(sheet.image, sheet.font, sheet.atlas, text, x + 3, y, scale, scale, colour);
}

} // namespace

Image PaintContactSheet(const std::vector<Image>& blocks, const std::vector<Image>& faces, const BakedFont& font)
{
    const int bigBlock = 98, smallBlock = 49;
    const int boardColumns = 16, boardRows = 4;
    const int textColumn = 440;
    int atlasTop = 0;

    // Height first: the sections in order, each with its label.
    int labelHeight = static_cast<int>(0.05f * windowHeight) + 4;
    int height = margin;
    height += labelHeight + bigBlock + margin;
    height += labelHeight + boardRows * smallBlock + margin;
    height += labelHeight + 2 * (guiHeight + 12) + margin;
    atlasTop = height + labelHeight;
    height += labelHeight + std::max(font.atlasHeight, 400) + margin;

    Sheet sheet{Image(sheetWidth, height, background), font, AtlasImage(font)};
    int y = margin;

    y = Label(sheet, "Blocks at 98 pixels (full screen, 1200 rows), linear magnification", y);
    for (int i = 0; i < blockCount; ++i)
        DrawPreview(sheet.image, blocks[i], margin + i * (bigBlock + 14), y, bigBlock, bigBlock,
                    PreviewBlend::SourceAlpha);
    y += bigBlock + margin;

    y = Label(sheet, "A board at 49 pixels (960 x 600 window), nearest minification", y);
    uint32_t seed = 12345;
    for (int row = 0; row < boardRows; ++row)
        for (int column = 0; column < boardColumns; ++column)
        {
            seed = seed * 1103515245u + 12345u;
            int colour = static_cast<int>((seed >> 16) % blockCount);
            DrawPreview(sheet.image, blocks[colour], margin + column * smallBlock, y + row * smallBlock, smallBlock,
                        smallBlock, PreviewBlend::SourceAlpha);
        }
    y += boardRows * smallBlock + margin;

    y = Label(sheet, "Button: normal, hover, down; the name field while typing", y);
    Button(sheet, faces[0], "Simple", false, margin, y);
    Button(sheet, faces[1], "Succeeding", true, margin + guiWidth + 8, y);
    // A pressed button has the pointer over it, so it has the focus too.
    Button(sheet, faces[2], "Show Score", true, margin, y + guiHeight + 12);
    NameField(sheet, faces[3], "Player One", margin + guiWidth + 8, y + guiHeight + 12);
    y += 2 * (guiHeight + 12) + margin;

    Label(sheet, "Texts of 0.05 to 0.08 of the window", y);
    DrawPreviewText(sheet.image, font, sheet.atlas, "Font atlas", textColumn + margin + 8, y,
                    0.05f * windowHeight / font.lineHeight, 0.05f * windowHeight / font.lineHeight, labelColour);
    const float sizes[] = {0.05f, 0.06f, 0.08f, 0.1f, 0.16f};
    const char* samples[] = {"Score: 1234  Time: 59.9", "12.03.2026   Zoe : 480", "Your new score: 96",
                             "Arcade  <-  ->", "\xC4\xD6\xDC \xE9\xF1\xDF"};
    int ty = atlasTop;
    for (int i = 0; i < 5; ++i)
    {
        float scale = sizes[i] * windowHeight / font.lineHeight;
        DrawPreviewText(sheet.image, font, sheet.atlas, samples[i], margin, ty, scale, scale, gameText);
        ty += static_cast<int>(font.lineHeight * scale) + 6;
    }
    ty += 8;
    ty = Label(sheet, "0.05, 0.06, 0.08 of 600 rows,", ty);
    Label(sheet, "0.05, 0.08 of 1200 rows", ty);
    // The atlas, light on a slightly lighter panel so that its cells show.
    int ax = sheetWidth - margin - font.atlasWidth;
    for (int j = 0; j < font.atlasHeight; ++j)
        for (int i = 0; i < font.atlasWidth; ++i)
        {
            float v = font.atlas[static_cast<size_t>(j) * font.atlasWidth + i] / 255.0f;
            sheet.image.At(ax + i, atlasTop + j) = MixColour({0.08f, 0.09f, 0.12f, 1}, {1, 1, 1, 1}, v);
        }
    return sheet.image;
}
