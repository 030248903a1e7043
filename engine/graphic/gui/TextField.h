#pragma once
#include "engine/graphic/gui/GUIBase.h"

namespace KyE
{
namespace Graphic
{
namespace GUI
{
// An editable text box: a growable byte buffer with a cursor, an input
// filter by mode, optional multi-line editing, placement of the cursor by
// the mouse, scrolling that keeps the cursor in view, and clipping of the
// text to the box.
class TextField : public GUIBase
{
public:
    // Low two bits of mode: what may be typed.
    static constexpr uint32_t MODE_ANY = 0;
    static constexpr uint32_t MODE_ALPHANUMERIC = 1;
    static constexpr uint32_t MODE_DECIMAL = 2;
    static constexpr uint32_t MODE_INTEGER = 3;
    static constexpr uint32_t MODE_FILTER_MASK = 3;
    // Further bits.
    static constexpr uint32_t MODE_SHOW_CURSOR = 0x10;
    static constexpr uint32_t MODE_NO_BACKGROUND = 0x20;
    static constexpr uint32_t MODE_CENTRED = 0x80;
    static constexpr uint32_t MODE_MULTI_LINE = 0x100;

    explicit TextField(Frame* parent);
    bool AcceptsInput(int code) override;
    int GetType() const override;
    ~TextField() override;
    void Draw() override;

    void Setup(float x, float y, float width, float height, float textSize);
    // Empties the text; keeps a buffer of any capacity.
    void Clear();
    // The editing; installed as onKeyDown. Always 1.
    static int OnKeyDown(GUIBase* element, int code);
    // Tells the platform's text input where editing starts and ends;
    // installed as onFocus.
    static void OnFocus(GUIBase* element, int gained);

    // Brings the scroll offsets to keep the cursor inside the box, as the
    // editing look does before it draws.
    void UpdateScroll();
    // Height of one text line in normalised device coordinates.
    float LineStep() const;
    // The cursor's horizontal offset from the text's left edge.
    float CursorOffset() const;

    uint32_t mode;
    char* buffer; // owned, zero-terminated; may hold line feeds
    uint32_t cursor;
    uint32_t cursorLine;
    uint32_t lineStart;
    uint32_t lineCount;
    int32_t capacity;
    int32_t length; // with the terminating zero
    uint32_t lineLength;
    float scrollX, scrollY;
    float textSize;
    float backgroundColour[4];
    // How many bytes of the text its user keeps; 0 (the default) for all.
    // The field itself takes text of any length, as typing on a keyboard
    // always could; an on-screen keyboard's input stops at it
    // (platform/TextInput.h).
    uint32_t keptLength;

private:
    bool Insert(char c);
    void Remove(uint32_t index);
    // Recomputes cursorLine, lineStart, lineLength and lineCount.
    void UpdateLines();
    // Start and length of the line after (or before) the cursor's line.
    uint32_t LineLengthAt(uint32_t start) const;
    void PlaceCursorByMouse();
};

// Clips to the box given in window fractions; returns whether the scissor
// test was on before.
bool SetScissor(float fx, float fy, float fw, float fh);
} // namespace GUI
} // namespace Graphic
} // namespace KyE
