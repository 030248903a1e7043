#pragma once
// The GUI faces: the button's normal, hover ("_H") and down ("_D") looks
// and the text field ("KyMinGUI_Edit"). They are painted at the size they
// cover in the 960 x 600 window (1.0 x 0.16 of the view: 480 x 48 pixels),
// so they are drawn texel for texel there and enlarged smoothly in full
// screen, and their rims keep their width. The button faces are light, for
// the dark captions the menu draws on them; the field is dark, for its light
// text.

#include "tools/Image.h"

constexpr int guiWidth = 480;
constexpr int guiHeight = 48;

enum class GuiFace
{
    Button,
    ButtonHover,
    ButtonDown,
    Edit
};

Image PaintGuiFace(GuiFace face);
