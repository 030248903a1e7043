#include "engine/graphic/gui/Frame.h"

#include "engine/core/Input.h"
#include "engine/core/Log.h"
#include "engine/core/Window.h"
#include "engine/graphic/Draw2D.h"
#include "engine/graphic/Font.h"
#include "engine/graphic/gui/Button.h"
#include "engine/graphic/gui/Label.h"
#include "engine/graphic/gui/TextField.h"
#include <GL/glew.h>
#include <cstdlib>
#include <cstring>
#include <new>

namespace KyE
{
namespace Graphic
{
namespace GUI
{
Font* gameFont = nullptr;

namespace
{
constexpr uint32_t CHILD_BUCKETS = 64;

Frame* AsFrame(GUIBase* element)
{
    if (element == nullptr || element->GetType() != GUIBase::TYPE_FRAME)
        return nullptr;
    return static_cast<Frame*>(element);
}
} // namespace

Frame::Frame(float x_, float y_, float width_, float height_) : children(CHILD_BUCKETS, ADT::HashMap::MODE_NAMES)
{
    title[0] = 0;
    children.DeleteCallback = DeleteChild;
    flags |= FLAG_VISIBLE;
    x = x_;
    y = y_;
    width = width_;
    height = height_;
    font = gameFont;
    GUIBase::onMouseMove = Frame::OnMouseMove;
    GUIBase::onKeyDown = Frame::OnKeyDown;
    GUIBase::onKeyUp = Frame::OnKeyUp;
}

Frame::Frame(Frame* parent_) : children(CHILD_BUCKETS, ADT::HashMap::MODE_NAMES)
{
    title[0] = 0;
    children.DeleteCallback = DeleteChild;
    parent = parent_;
    font = gameFont;
    GUIBase::onMouseMove = Frame::OnMouseMove;
    GUIBase::onKeyDown = Frame::OnKeyDown;
    GUIBase::onKeyUp = Frame::OnKeyUp;
}

int Frame::GetType() const
{
    return TYPE_FRAME;
}

Frame::~Frame()
{
    children.Clear();
}

GUIBase* Frame::AddObject(int type, const char* elementName)
{
    if (elementName == nullptr)
    {
        LogError("[Frame::AddObject] Every element has to be named!");
        return nullptr;
    }
    GUIBase* element = nullptr;
    size_t objectSize = 0;
    switch (type)
    {
    case TYPE_BUTTON:
        element = new (std::nothrow) Button;
        objectSize = sizeof(Button);
        break;
    case TYPE_LABEL:
        element = new (std::nothrow) Label;
        objectSize = sizeof(Label);
        break;
    case TYPE_TEXT_FIELD:
        element = new (std::nothrow) TextField(this);
        objectSize = sizeof(TextField);
        break;
    case TYPE_FRAME:
        element = new (std::nothrow) Frame(this);
        objectSize = sizeof(Frame);
        break;
    default:
        return nullptr;
    }
    if (element == nullptr)
    {
        LogOutOfMemory(objectSize);
        return nullptr;
    }
    element->parent = this;

    const size_t size = strlen(elementName) + 1;
    element->name = static_cast<char*>(malloc(size));
    if (element->name == nullptr)
        LogOutOfMemory(size);
    else
        memcpy(element->name, elementName, size);

    // A name already in the table gives back the element that has it.
    ADT::ADTElement* entry = element->name != nullptr ? children.Insert(element, element->name) : nullptr;
    if (entry == nullptr || entry->Data != element)
        LogError("[Frame::AddObject] Could not insert the new GUI-Element.");

    element->font = font;
    for (int i = 0; i < 4; ++i)
        element->textColour[i] = textColour[i];
    return element;
}

void UpdateHover(GUIBase* element)
{
    if (element == nullptr || !element->IsMouseInside())
        return;
    if (element->flags & GUIBase::FLAG_FOCUSABLE)
    {
        if (element == focusedElement)
            element->flags |= GUIBase::FLAG_HOVER | GUIBase::FLAG_HOVER_SEEN;
        else
            SetFocus(element);
    }
    Frame* frame = AsFrame(element);
    if (frame != nullptr && (frame->flags & GUIBase::FLAG_VISIBLE))
        for (ADT::ADTElement* e = frame->children.GetFirst(); e != nullptr; e = frame->children.GetNext(e))
            UpdateHover(static_cast<GUIBase*>(e->Data));
}

int Frame::OnMouseMove(GUIBase* element, float dx, float dy)
{
    Frame* f = AsFrame(element);
    if (f == nullptr)
        return 0;
    GUIBase* g = focusedElement;
    if (g == nullptr || !g->IsPressed())
    {
        if (g != nullptr)
            g->flags &= ~FLAG_HOVER_SEEN;
        for (ADT::ADTElement* e = f->children.GetFirst(); e != nullptr; e = f->children.GetNext(e))
            UpdateHover(static_cast<GUIBase*>(e->Data));
        if (g != nullptr && !(g->flags & FLAG_HOVER_SEEN))
            g->flags &= ~(FLAG_HOVER | FLAG_HOVER_SEEN);
        g = focusedElement;
    }
    // An element of another frame keeps the focus it had there, but this
    // frame's pointer does not reach it.
    if (g != nullptr && g->IsInside(f) && g->IsMouseInside())
    {
        if (g->onMouseMove != nullptr)
            return g->onMouseMove(g, dx, dy);
        if (g->onMouseOver != nullptr)
            return g->onMouseOver(g, dx, dy);
        return -1;
    }
    if (f->onMouseOver != nullptr && f->IsMouseInside())
        return f->onMouseOver(f, dx, dy);
    return 0;
}

int Frame::Dispatch(int code, bool down)
{
    GUIBase* g = focusedElement;
    if (g == nullptr || !g->IsInside(this) || !g->AcceptsInput(code))
        return 0;
    // Special keys and mouse buttons only count over the element;
    // characters reach it wherever the mouse is.
    if (code >= 256 && !g->IsMouseInside())
        return 0;
    int (*handler)(GUIBase*, int) = down ? g->onKeyDown : g->onKeyUp;
    if (handler != nullptr)
        handler(g, code);
    return 1;
}

int Frame::OnKeyDown(GUIBase* element, int code)
{
    Frame* f = AsFrame(element);
    GUIBase* g = focusedElement;
    // Keys go only to an element of this frame's own subtree: a focus left
    // behind on another screen must not act on this one.
    if (f == nullptr || g == nullptr || !g->IsInside(f))
        return 0;
    if (!g->IsPressed())
    {
        GUIBase* target = nullptr;
        bool navigation = false;
        if (code == Input::CODE_LEFT || code == Input::CODE_RIGHT)
        {
            navigation = !g->AcceptsInput(code);
            target = code == Input::CODE_LEFT ? g->leftNeighbour : g->rightNeighbour;
        }
        else if ((code == Input::CODE_UP || code == Input::CODE_DOWN) && !Input::IsControlDown())
        {
            navigation = !g->AcceptsInput(code);
            target = code == Input::CODE_UP ? g->upNeighbour : g->downNeighbour;
        }
        if (navigation)
        {
            if (target != nullptr)
                SetFocus(target);
            return 1;
        }
    }
    return f->Dispatch(code, true);
}

int Frame::OnKeyUp(GUIBase* element, int code)
{
    Frame* f = AsFrame(element);
    if (f == nullptr)
        return 0;
    return f->Dispatch(code, false);
}

void Frame::DeleteChild(void* data)
{
    GUIBase* element = static_cast<GUIBase*>(data);
    if (element == nullptr)
        return;
    if (element == focusedElement)
        focusedElement = nullptr;
    // The table has let go of it already; its link to the frame must not
    // dangle, and the element must not look for itself there again.
    element->parent = nullptr;
    const int type = element->GetType();
    if (type == TYPE_BUTTON || type == TYPE_FRAME)
        delete element;
}

void Frame::Draw()
{
    if (!(flags & FLAG_VISIBLE))
        return;
    glDepthFunc(GL_ALWAYS);
    if (texture != nullptr)
        Draw2D::DrawTexturedRect(texture, x, y, width, height);
    if (font != nullptr)
    {
        const float bright = focusedElement == this ? 1.2f : 1.0f;
        const float colour[4] = {textColour[0] * bright, textColour[1] * bright, textColour[2] * bright,
                                 textColour[3] * bright};
        const Matrix2x3 transform = {1.0f, 0.0f, x + width * 0.5f, 0.0f, 1.0f, y + height};
        font->DrawText(title, transform, colour, static_cast<int>(float(Window::width) * width),
                       Font::CENTRE_HORIZONTAL);
    }
    for (ADT::ADTElement* e = children.GetFirst(); e != nullptr; e = children.GetNext(e))
        static_cast<GUIBase*>(e->Data)->Draw();
    glDepthFunc(GL_LESS);
}
} // namespace GUI
} // namespace Graphic
} // namespace KyE
