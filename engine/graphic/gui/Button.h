#pragma once
#include "engine/graphic/gui/GUIBase.h"

namespace KyE
{
namespace Graphic
{
namespace GUI
{
// A focusable rectangle with a caption and three looks (normal, hover,
// down), each a texture or, without one, a shaded colour panel. Its action
// is its onKeyUp handler: the frame calls it when the left mouse button is
// released over it or Return is released while it has the focus.
class Button : public GUIBase
{
public:
    static constexpr int CAPTION_SIZE = 32;

    Button();
    // Mouse buttons and Return.
    bool AcceptsInput(int code) override;
    int GetType() const override;
    ~Button() override;
    void Draw() override;

    // Caption (at most 31 characters kept), rectangle, and the standard
    // button textures.
    void Setup(float x, float y, float width, float height, const char* caption);
    void SetHoverTexture(const char* fileName);
    void SetDownTexture(const char* fileName);

    char caption[CAPTION_SIZE];
    float colour[4];
    float hoverColour[4];
    float downColour[4];
    Material::Texture* hoverTexture; // one counted reference
    Material::Texture* downTexture;  // one counted reference
    float textScale;
};
} // namespace GUI
} // namespace Graphic
} // namespace KyE
