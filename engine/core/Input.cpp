#include "engine/core/Input.h"

#include "engine/core/Window.h"
#include <GL/freeglut.h>

namespace Input
{
unsigned char keyState[KEY_CODES];
float mouseX = 0.0f;
float mouseY = 0.0f;
void (*onKeyDown)(int code) = nullptr;
void (*onKeyUp)(int code) = nullptr;
void (*onMouseMove)(float dx, float dy) = nullptr;

namespace
{
void KeyDown(int code)
{
    if (code < 0 || code >= KEY_CODES)
        return;
    keyState[code] = 1;
    if (onKeyDown)
        onKeyDown(code);
}

void KeyUp(int code)
{
    if (code < 0 || code >= KEY_CODES)
        return;
    keyState[code] = 0;
    if (onKeyUp)
        onKeyUp(code);
}
} // namespace

void OnKeyboard(unsigned char key, int, int)
{
    KeyDown(key);
}

void OnSpecial(int key, int, int)
{
    KeyDown(key + 255);
}

void OnKeyboardUp(unsigned char key, int, int)
{
    KeyUp(key);
}

void OnSpecialUp(int key, int, int)
{
    KeyUp(key + 255);
}

void OnMouse(int button, int state, int, int)
{
    // Wheel steps arrive as buttons 3 and 4 and mean nothing here.
    if (button < 0 || button > 2)
        return;
    int code = CODE_MOUSE_LEFT + button;
    if (state == GLUT_DOWN)
    {
        if (onKeyDown)
            onKeyDown(code);
    }
    else if (onKeyUp)
        onKeyUp(code);
}

void OnMotion(int x, int y)
{
    float nx = static_cast<float>(x) * 2.0f / static_cast<float>(Window::width) - 1.0f;
    float ny = 1.0f - static_cast<float>(y) * 2.0f / static_cast<float>(Window::height);
    float dx = nx - mouseX;
    float dy = ny - mouseY;
    mouseX = nx;
    mouseY = ny;
    if (onMouseMove)
        onMouseMove(dx, dy);
}

bool IsControlDown()
{
    return keyState[CODE_CTRL_L] != 0 || keyState[CODE_CTRL_R] != 0;
}
} // namespace Input
