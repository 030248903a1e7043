#include "engine/graphic/gui/GUIBase.h"

#include "engine/core/Input.h"
#include "engine/core/Log.h"
#include "engine/graphic/gui/Frame.h"
#include "engine/resources/Texture.h"
#include <cmath>
#include <cstdlib>

namespace KyE
{
namespace Graphic
{
namespace GUI
{
GUIBase* focusedElement = nullptr;

namespace
{
// Clears other's link if it still points at element.
void Unlink(GUIBase*& link, const GUIBase* element)
{
    if (link == element)
        link = nullptr;
}
} // namespace

GUIBase::GUIBase()
    : texture(nullptr), x(0.0f), y(0.0f), width(0.0f), height(0.0f), opacity(1.0f), name(nullptr),
      font(nullptr), textColour{0.0f, 0.0f, 0.0f, 1.0f}, flags(0), leftNeighbour(nullptr), upNeighbour(nullptr),
      rightNeighbour(nullptr), downNeighbour(nullptr), parent(nullptr), onFocus(nullptr), onMouseMove(nullptr),
      onMouseOver(nullptr), onKeyDown(nullptr), onKeyUp(nullptr)
{
}

bool GUIBase::AcceptsInput(int)
{
    return false;
}

int GUIBase::GetType() const
{
    return TYPE_BASE;
}

GUIBase::~GUIBase()
{
    // Only links that still point here are cleared: a neighbour may have
    // been linked elsewhere since.
    if (leftNeighbour)
        Unlink(leftNeighbour->rightNeighbour, this);
    if (rightNeighbour)
        Unlink(rightNeighbour->leftNeighbour, this);
    if (upNeighbour)
        Unlink(upNeighbour->downNeighbour, this);
    if (downNeighbour)
        Unlink(downNeighbour->upNeighbour, this);
    // The focus must never point at freed memory, whoever destroys us.
    if (focusedElement == this)
        focusedElement = nullptr;
    // A label or text field its creator destroys leaves its frame's table,
    // so the frame never draws, hit-tests or hands over a freed element.
    if (parent != nullptr)
    {
        ADT::HashMap& table = parent->children;
        parent = nullptr;
        ADT::ADTElement* entry = name != nullptr ? table.Search(name) : nullptr;
        if (entry == nullptr || entry->Data != this)
            for (entry = table.GetFirst(); entry != nullptr && entry->Data != this; entry = table.GetNext(entry))
            {
            }
        if (entry != nullptr)
            table.Delete(entry);
    }
    ReleaseTexture(texture);
    free(name);
    name = nullptr;
}

void GUIBase::Draw()
{
    LogError("[GUIBase::Draw] Call of an abstract function.");
}

bool GUIBase::IsMouseInside() const
{
    const float left = width >= 0.0f ? x : x + width;
    const float top = height >= 0.0f ? y + height : y;
    const float dx = Input::mouseX - left;
    const float dy = top - Input::mouseY;
    return std::fabs(width) >= dx && std::fabs(height) >= dy && dx >= 0.0f && dy >= 0.0f;
}

bool GUIBase::IsInside(const Frame* frame) const
{
    for (const Frame* p = parent; p != nullptr; p = p->parent)
        if (p == frame)
            return true;
    return false;
}

void SetFocus(GUIBase* element)
{
    if (element == focusedElement)
        return;
    GUIBase* old = focusedElement;
    if (old != nullptr && old->onFocus != nullptr)
        old->onFocus(old, 0);
    focusedElement = element;
    if (element != nullptr && element->onFocus != nullptr)
        element->onFocus(element, 1);
}

void ReleaseTexture(Material::Texture*& texture)
{
    if (texture != nullptr)
        texture->Release();
    texture = nullptr;
}
} // namespace GUI
} // namespace Graphic
} // namespace KyE
