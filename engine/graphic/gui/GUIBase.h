#pragma once
#include <cstdint>

namespace KyE
{
namespace Graphic
{
class Font;
namespace Material
{
class Texture;
}

namespace GUI
{
class Frame;

// The common base of the GUI elements: a rectangle in normalised device
// coordinates, a texture, a font and text colour, state flags, links for
// arrow-key navigation and plain function-pointer handlers. Main thread only.
class GUIBase
{
public:
    // Bits of flags.
    static constexpr uint32_t FLAG_VISIBLE = 0x1;
    static constexpr uint32_t FLAG_FOCUSABLE = 0x2;
    static constexpr uint32_t FLAG_HOVER = 0x2000000;
    static constexpr uint32_t FLAG_HOVER_SEEN = 0x4000000;
    static constexpr uint32_t FLAG_PRESSED = 0xF8000000;

    // Type numbers of GetType.
    static constexpr int TYPE_BASE = 0;
    static constexpr int TYPE_BUTTON = 1;
    static constexpr int TYPE_LABEL = 2;
    static constexpr int TYPE_TEXT_FIELD = 3;
    static constexpr int TYPE_FRAME = 5;

    GUIBase();
    GUIBase(const GUIBase&) = delete;
    GUIBase& operator=(const GUIBase&) = delete;

    // Whether the element takes this input code.
    virtual bool AcceptsInput(int code);
    virtual int GetType() const;
    // Unlinks the neighbours, releases the texture, frees the name.
    virtual ~GUIBase();
    virtual void Draw();

    // Whether the mouse lies on the rectangle, edges included.
    bool IsMouseInside() const;
    bool IsPressed() const { return (flags & FLAG_PRESSED) != 0; }
    // Whether frame is this element's parent, or a parent of its parent.
    bool IsInside(const Frame* frame) const;

    Material::Texture* texture; // one counted reference
    float x, y;
    float width, height; // negative: the rectangle extends left or down
    float opacity;
    char* name; // owned
    Font* font; // not counted
    float textColour[4];
    uint32_t flags;
    GUIBase* leftNeighbour;
    GUIBase* upNeighbour;
    GUIBase* rightNeighbour;
    GUIBase* downNeighbour;
    Frame* parent;

    // Handlers get the element first; the int results are 1 for handled.
    void (*onFocus)(GUIBase* element, int gained);
    int (*onMouseMove)(GUIBase* element, float dx, float dy);
    int (*onMouseOver)(GUIBase* element, float dx, float dy);
    int (*onKeyDown)(GUIBase* element, int code);
    int (*onKeyUp)(GUIBase* element, int code);
};

// The one element of the process that has the focus; not owned.
extern GUIBase* focusedElement;

// Moves the focus, telling the old and the new element through onFocus.
void SetFocus(GUIBase* element);

// Releases a counted texture reference, if there is one, and clears it.
void ReleaseTexture(Material::Texture*& texture);
} // namespace GUI
} // namespace Graphic
} // namespace KyE
