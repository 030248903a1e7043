#include "platform/TextInput.h"

#include <emscripten.h>

// The page's text input (platform/web/glut.js) follows the box; the calls
// come from inside the input handlers, so a focus asked for here happens
// within the player's own touch, as a phone's browser requires.
void KyTextInput_Begin(float x, float y, float width, float height, const char* text, uint32_t cursor,
                       uint32_t maxLength)
{
    EM_ASM({ Module.kyTextInputBegin($0, $1, $2, $3, $4, $5, $6); }, x, y, width, height, text, cursor, maxLength);
}

void KyTextInput_Update(const char* text, uint32_t cursor)
{
    EM_ASM({ Module.kyTextInputUpdate($0, $1); }, text, cursor);
}

void KyTextInput_End()
{
    EM_ASM({ Module.kyTextInputEnd(); });
}
