#include "engine/graphic/gui/Label.h"

#include "engine/core/Log.h"
#include "engine/core/RenderState.h"
#include "engine/core/Window.h"
#include "engine/graphic/Font.h"
#include <GL/glew.h>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace KyE
{
namespace Graphic
{
namespace GUI
{
Label::Label() : text(nullptr), angle(0.0f), textSize(0.0f)
{
    flags &= ~FLAG_FOCUSABLE;
}

int Label::GetType() const
{
    return TYPE_LABEL;
}

Label::~Label()
{
    free(text);
}

bool Label::SetText(const char* newText)
{
    free(text);
    text = nullptr;
    if (newText == nullptr)
        return true;
    const size_t size = strlen(newText) + 1;
    text = static_cast<char*>(malloc(size));
    if (text == nullptr)
    {
        LogOutOfMemory(size);
        return false;
    }
    memcpy(text, newText, size);
    return true;
}

void Label::Draw()
{
    RenderState::SetBlend(true);
    RenderState::SetBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (font == nullptr || text == nullptr || font->lineHeight < 1)
        return;
    const float sy = float(Window::height) * textSize * 2.0f / float(font->lineHeight) * 2.0f;
    const float sx = sy * 0.9f * Window::aspect;
    const float c = std::cos(angle), s = std::sin(angle);
    const Matrix2x3 transform = {sx * c, -sx * s, x, sy * s, sy * c, y};
    const float h = focusedElement == this ? 0.2f : 0.0f;
    const float colour[4] = {textColour[0] + h, textColour[1] + h, textColour[2] + h, opacity};
    font->DrawText(text, transform, colour, static_cast<int>(float(Window::width) * width * 0.5f), 0);
}
} // namespace GUI
} // namespace Graphic
} // namespace KyE
