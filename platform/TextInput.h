#pragma once
#include <cstdint>

// Where text is being typed, for a device whose keyboard lives on its
// screen. A phone's browser shows its keyboard only for a text input of the
// page focused while the player touches the screen, so the page keeps one
// over the box being edited: it learns here where that box is, what it
// holds and when editing starts and ends. What is typed comes back as the
// ordinary keys. A desktop has its keyboard already: nothing to do there.

// Editing starts in a box given in normalised device coordinates (x, y its
// lower left corner) holding text (bytes, zero-terminated) with the cursor
// before byte cursor; maxLength is the most bytes it takes, 0 for no limit.
void KyTextInput_Begin(float x, float y, float width, float height, const char* text, uint32_t cursor,
                       uint32_t maxLength);
// The text or the cursor changed while editing.
void KyTextInput_Update(const char* text, uint32_t cursor);
// Editing ended; the screen's keyboard goes.
void KyTextInput_End();
