#pragma once
#include "engine/containers/HashMap.h"
#include "engine/graphic/gui/GUIBase.h"

namespace KyE
{
namespace Graphic
{
namespace GUI
{
// A container of named elements: it creates them by type, draws itself and
// them, and turns input events into focus changes and handler calls. It
// destroys its buttons and sub-frames with it; labels and text fields
// belong to whoever made them.
class Frame : public GUIBase
{
public:
    // A root frame, covering the given rectangle; it takes gameFont.
    Frame(float x, float y, float width, float height);
    // A child frame, made by AddObject: empty rectangle, not yet visible.
    explicit Frame(Frame* parent);
    int GetType() const override;
    ~Frame() override;
    void Draw() override;

    // Creates an element of the given type (1 button, 2 label, 3 text
    // field, 5 frame) under name, or null.
    GUIBase* AddObject(int type, const char* name);

    // The frame's input handlers; element is the frame itself.
    static int OnMouseMove(GUIBase* element, float dx, float dy);
    static int OnKeyDown(GUIBase* element, int code);
    static int OnKeyUp(GUIBase* element, int code);

    // The children table's delete callback.
    static void DeleteChild(void* element);

    char title[128];
    ADT::HashMap children;

private:
    // Steps 3 to 5 of the key dispatch, shared by key-down and key-up.
    int Dispatch(int code, bool down);
};

// Hands the focus to the last focusable element under the mouse, descending
// into visible frames.
void UpdateHover(GUIBase* element);

// The font root frames start with; the application sets it before it makes
// its first root frame. Not counted.
extern Font* gameFont;
} // namespace GUI
} // namespace Graphic
} // namespace KyE
