#include "engine/graphic/gui/Button.h"

#include "engine/core/Input.h"
#include "engine/core/Log.h"
#include "engine/core/RenderState.h"
#include "engine/core/Window.h"
#include "engine/graphic/Draw2D.h"
#include "engine/graphic/Font.h"
#include "engine/resources/ResourceManager.h"
#include "engine/resources/Texture.h"
#include <GL/glew.h>
#include <cstring>

namespace KyE
{
namespace Graphic
{
namespace GUI
{
// The panel colours when a look has no texture: a slate face that brightens
// under the pointer and darkens while held, so a button stays usable and
// legible even without its image files.
Button::Button()
    : colour{0.28f, 0.33f, 0.45f, 1.0f}, hoverColour{0.38f, 0.45f, 0.60f, 1.0f}, downColour{0.20f, 0.24f, 0.33f, 1.0f},
      hoverTexture(nullptr), downTexture(nullptr), textScale(1.0f)
{
    caption[0] = 0;
    flags |= FLAG_FOCUSABLE;
}

bool Button::AcceptsInput(int code)
{
    return code == Input::CODE_MOUSE_LEFT || code == Input::CODE_MOUSE_MIDDLE || code == Input::CODE_MOUSE_RIGHT ||
           code == Input::CODE_RETURN;
}

int Button::GetType() const
{
    return TYPE_BUTTON;
}

Button::~Button()
{
    ReleaseTexture(hoverTexture);
    ReleaseTexture(downTexture);
}

void Button::Setup(float x_, float y_, float width_, float height_, const char* text)
{
    caption[0] = 0;
    if (text != nullptr)
    {
        strncpy(caption, text, CAPTION_SIZE - 1);
        caption[CAPTION_SIZE - 1] = 0;
    }
    flags |= FLAG_VISIBLE;
    x = x_;
    y = y_;
    width = width_;
    height = height_;
    ReleaseTexture(texture);
    texture = ResourceManager::GetTexture("textures/KyMinGUI_Button.kyt");
    SetHoverTexture("textures/KyMinGUI_Button_H.kyt");
    SetDownTexture("textures/KyMinGUI_Button_D.kyt");
}

void Button::SetHoverTexture(const char* fileName)
{
    ReleaseTexture(hoverTexture);
    hoverTexture = ResourceManager::GetTexture(fileName);
    if (hoverTexture == nullptr)
        LogError("[Button::SetHoverTexture] Cannot load the texture!");
}

void Button::SetDownTexture(const char* fileName)
{
    ReleaseTexture(downTexture);
    downTexture = ResourceManager::GetTexture(fileName);
    if (downTexture == nullptr)
        LogError("[Button::SetDownTexture] Cannot load the texture!");
}

void Button::Draw()
{
    RenderState::SetBlend(true);
    RenderState::SetBlendFunc(GL_CONSTANT_ALPHA, GL_ONE_MINUS_CONSTANT_ALPHA);
    glBlendColor(opacity, opacity, opacity, opacity);

    const bool focused = focusedElement == this;
    const Material::Texture* look = texture;
    const float* lookColour = colour;
    if (IsPressed())
    {
        look = downTexture;
        lookColour = downColour;
    }
    else if (focused)
    {
        look = hoverTexture;
        lookColour = hoverColour;
    }
    if (look != nullptr)
        Draw2D::DrawTexturedRect(look, x, y, width, height);
    else
    {
        const Matrix2x3 transform = {width, 0.0f, x, 0.0f, height, y};
        const float panel[4] = {lookColour[0], lookColour[1], lookColour[2], lookColour[3] * opacity};
        Draw2D::DrawBevelRect(transform, panel);
    }

    RenderState::SetBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (font == nullptr)
        return;
    const uint32_t lines = font->CountLines(caption, 10000);
    if (lines == 0)
        return;
    const float s = float(Window::height) * height / float(lines) * 0.03f * textScale;
    const Matrix2x3 transform = {Window::aspect * s, 0.0f, x + width * 0.5f, 0.0f, s, y + height * 0.5f};
    const float h = focused ? 0.2f : 0.0f;
    const float text[4] = {textColour[0] + h, textColour[1] + h, textColour[2] + h, opacity};
    font->DrawText(caption, transform, text, 10000, Font::CENTRE_VERTICAL | Font::CENTRE_HORIZONTAL);
}
} // namespace GUI
} // namespace Graphic
} // namespace KyE
