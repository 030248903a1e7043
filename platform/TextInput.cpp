#include "platform/TextInput.h"

void KyTextInput_Begin(float, float, float, float, const char*, uint32_t, uint32_t)
{
}

void KyTextInput_Update(const char*, uint32_t)
{
}

void KyTextInput_End()
{
}
