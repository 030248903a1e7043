#pragma once
#include <GL/glew.h>
#include <cstdint>
#include <vector>

// A window and OpenGL context for the tests, made the way the game makes its
// own, with helpers to read pixels back.
namespace TestGL
{
bool CreateContext();
void DestroyContext();
// A new window and context in place of the old, as a browser gives a lost
// context back: no object in it, every state at OpenGL's defaults.
bool ReplaceContext();

// Reads the back buffer (after glFinish) as RGBA rows, bottom row first.
std::vector<uint8_t> ReadPixels(int x, int y, int width, int height);
// The pixel at window coordinates (x, y), y from the bottom, as 0xRRGGBBAA.
uint32_t PixelAt(int x, int y);
} // namespace TestGL
