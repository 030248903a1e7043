#pragma once
// Input state: one code space for every device. 0-255 character keys,
// 256-372 special keys (freeglut's code plus 255), 512-514 mouse buttons.

namespace Input
{
constexpr int KEY_CODES = 373;
constexpr int CODE_BACKSPACE = 8;
constexpr int CODE_RETURN = 13;
constexpr int CODE_ESCAPE = 27;
constexpr int CODE_DELETE = 127;
constexpr int CODE_F11 = 266;
constexpr int CODE_LEFT = 355;
constexpr int CODE_UP = 356;
constexpr int CODE_RIGHT = 357;
constexpr int CODE_DOWN = 358;
constexpr int CODE_HOME = 361;
constexpr int CODE_END = 362;
constexpr int CODE_CTRL_L = 369;
constexpr int CODE_CTRL_R = 370;
constexpr int CODE_MOUSE_LEFT = 512;
constexpr int CODE_MOUSE_MIDDLE = 513;
constexpr int CODE_MOUSE_RIGHT = 514;

// 1 while the key is held. Mouse buttons are not kept here.
extern unsigned char keyState[KEY_CODES];
// The pointer in normalised device coordinates, y up.
extern float mouseX;
extern float mouseY;

extern void (*onKeyDown)(int code);
extern void (*onKeyUp)(int code);
extern void (*onMouseMove)(float dx, float dy);

void OnKeyboard(unsigned char key, int x, int y);
void OnSpecial(int key, int x, int y);
void OnKeyboardUp(unsigned char key, int x, int y);
void OnSpecialUp(int key, int x, int y);
void OnMouse(int button, int state, int x, int y);
void OnMotion(int x, int y);

bool IsControlDown();
} // namespace Input
