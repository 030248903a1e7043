#pragma once
#include "engine/graphic/gui/GUIBase.h"

namespace KyE
{
namespace Graphic
{
namespace GUI
{
// A piece of text that cannot take the focus; it can be scaled and turned.
class Label : public GUIBase
{
public:
    Label();
    int GetType() const override;
    ~Label() override;
    void Draw() override;

    // Replaces the text with a copy of text (null clears it).
    bool SetText(const char* text);

    char* text;     // owned; null until set
    float angle;    // radians, counter-clockwise
    float textSize; // one line is 2 x textSize of the window's height tall
};
} // namespace GUI
} // namespace Graphic
} // namespace KyE
