#include "engine/graphic/gui/TextField.h"

#include "engine/core/Input.h"
#include "engine/core/Log.h"
#include "engine/core/RenderState.h"
#include "engine/core/Window.h"
#include "engine/graphic/Draw2D.h"
#include "engine/graphic/Font.h"
#include "engine/resources/ResourceManager.h"
#include "engine/resources/Texture.h"
#include "platform/TextInput.h"
#include <GL/glew.h>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace KyE
{
namespace Graphic
{
namespace GUI
{
namespace
{
constexpr int32_t INITIAL_CAPACITY = 9;
constexpr int32_t GROWTH = 8;

// The scissor box last given to OpenGL; (0, 0, -1, -1) matches no real box.
int scissorBox[4] = {0, 0, -1, -1};

bool IsDigit(int code)
{
    return code >= '0' && code <= '9';
}

bool IsLetter(int code)
{
    return (code >= 'a' && code <= 'z') || (code >= 'A' && code <= 'Z');
}
} // namespace

bool SetScissor(float fx, float fy, float fw, float fh)
{
    const bool was = RenderState::scissorTest;
    if (!was)
        RenderState::SetScissorTest(true);
    const int box[4] = {static_cast<int>(float(Window::width) * fx), static_cast<int>(float(Window::height) * fy),
                        static_cast<int>(float(Window::width) * fw), static_cast<int>(float(Window::height) * fh)};
    if (memcmp(box, scissorBox, sizeof(box)) != 0)
    {
        // OpenGL refuses a negative size; an empty box clips everything.
        glScissor(box[0], box[1], box[2] > 0 ? box[2] : 0, box[3] > 0 ? box[3] : 0);
        memcpy(scissorBox, box, sizeof(box));
    }
    return was;
}

TextField::TextField(Frame* parent_)
    : mode(MODE_SHOW_CURSOR), buffer(nullptr), cursor(0), cursorLine(0), lineStart(0), lineCount(1), capacity(0),
      length(0), lineLength(0), scrollX(0.0f), scrollY(0.0f), textSize(0.0f), backgroundColour{0.0f, 0.0f, 0.0f, 0.0f},
      keptLength(0)
{
    parent = parent_;
    flags |= FLAG_FOCUSABLE;
    GUIBase::onKeyDown = TextField::OnKeyDown;
    onFocus = TextField::OnFocus;
}

int TextField::GetType() const
{
    return TYPE_TEXT_FIELD;
}

TextField::~TextField()
{
    if (focusedElement == this)
        KyTextInput_End();
    free(buffer);
    buffer = nullptr;
}

void TextField::Setup(float x_, float y_, float width_, float height_, float textSize_)
{
    GUIBase::onKeyDown = TextField::OnKeyDown;
    onFocus = TextField::OnFocus;
    Clear();
    flags |= FLAG_FOCUSABLE;
    x = x_;
    y = y_;
    width = width_;
    height = height_;
    mode = MODE_SHOW_CURSOR;
    for (int i = 0; i < 4; ++i)
    {
        textColour[i] = 0.0f;
        backgroundColour[i] = 0.0f;
    }
    cursor = 0;
    textSize = textSize_;
    ReleaseTexture(texture);
    texture = ResourceManager::GetTexture("textures/KyMinGUI_Edit.kyt");
}

void TextField::Clear()
{
    if (capacity < 1)
    {
        free(buffer);
        buffer = static_cast<char*>(malloc(INITIAL_CAPACITY));
        capacity = buffer != nullptr ? INITIAL_CAPACITY : 0;
        if (buffer == nullptr)
            LogOutOfMemory(INITIAL_CAPACITY);
    }
    if (buffer != nullptr)
        buffer[0] = 0;
    length = buffer != nullptr ? 1 : 0;
    cursor = cursorLine = lineStart = lineLength = 0;
    lineCount = 1;
    scrollX = scrollY = 0.0f;
}

bool TextField::AcceptsInput(int code)
{
    switch (code)
    {
    case Input::CODE_LEFT:
    case Input::CODE_RIGHT:
    case Input::CODE_UP:
    case Input::CODE_DOWN:
    case Input::CODE_HOME:
    case Input::CODE_END:
    case Input::CODE_BACKSPACE:
    case Input::CODE_DELETE:
        return true;
    case Input::CODE_MOUSE_LEFT:
    case Input::CODE_MOUSE_MIDDLE:
    case Input::CODE_MOUSE_RIGHT:
        return true;
    default:
        break;
    }
    if (code == Input::CODE_RETURN && (mode & MODE_MULTI_LINE))
        return true;

    const bool startsWithMinus = buffer != nullptr && buffer[0] == '-';
    switch (mode & MODE_FILTER_MASK)
    {
    case MODE_INTEGER:
        return IsDigit(code) || (code == '-' && cursor == 0 && !startsWithMinus);
    case MODE_DECIMAL:
        if (code == '.')
            return buffer == nullptr || strchr(buffer, '.') == nullptr;
        return IsDigit(code) || (code == '-' && cursor == 0 && !startsWithMinus);
    case MODE_ALPHANUMERIC:
        return IsDigit(code) || IsLetter(code) || code == '-' || code == '+' || code == '.' || code == ' ';
    default:
        return code >= 32 && code <= 255;
    }
}

bool TextField::Insert(char c)
{
    if (c == 0 || buffer == nullptr)
        return false;
    if (length + 1 >= capacity)
    {
        const int32_t grown = length + 1 + GROWTH;
        char* bigger = static_cast<char*>(realloc(buffer, static_cast<size_t>(grown)));
        if (bigger == nullptr)
        {
            // The text stays as it was; the keystroke is lost, nothing else.
            LogOutOfMemory(static_cast<unsigned long long>(grown));
            return false;
        }
        buffer = bigger;
        capacity = grown;
    }
    // The bytes from the cursor to the terminator move up by one.
    memmove(buffer + cursor + 1, buffer + cursor, static_cast<size_t>(length) - cursor);
    buffer[cursor] = c;
    ++length;
    ++lineLength;
    ++cursor;
    return true;
}

void TextField::Remove(uint32_t index)
{
    memmove(buffer + index, buffer + index + 1, static_cast<size_t>(length) - index - 1);
    --length;
}

uint32_t TextField::LineLengthAt(uint32_t start) const
{
    uint32_t n = 0;
    while (buffer[start + n] != 0 && buffer[start + n] != '\n')
        ++n;
    return n;
}

void TextField::UpdateLines()
{
    lineCount = 1;
    cursorLine = 0;
    lineStart = 0;
    for (uint32_t i = 0; buffer[i] != 0; ++i)
    {
        if (buffer[i] != '\n')
            continue;
        ++lineCount;
        if (i < cursor)
        {
            ++cursorLine;
            lineStart = i + 1;
        }
    }
    lineLength = LineLengthAt(lineStart);
}

float TextField::LineStep() const
{
    // As drawn: a line of Font::DrawTextAt with size textSize.
    return 2.0f * textSize;
}

float TextField::CursorOffset() const
{
    if (font == nullptr || font->lineHeight < 1 || buffer == nullptr)
        return 0.0f;
    const int pixels = font->GetTextWidth(buffer + lineStart, static_cast<int>(cursor - lineStart));
    return float(pixels) * textSize * 2.0f / (float(font->lineHeight) * Window::aspect);
}

void TextField::UpdateScroll()
{
    const float px = 2.0f * Window::invWidth;
    const float cursorX = CursorOffset();
    const float limitX = width - 5.0f * px;
    if (scrollX + cursorX > limitX)
        scrollX -= scrollX + cursorX - limitX;
    if (scrollX + cursorX < 0.0f)
        scrollX -= scrollX + cursorX;

    const float lineY = float(cursorLine) * LineStep();
    const float limitY = height - LineStep();
    if (scrollY + lineY > limitY)
        scrollY -= scrollY + lineY - limitY;
    if (scrollY + lineY < 0.0f)
        scrollY -= scrollY + lineY;
}

void TextField::PlaceCursorByMouse()
{
    if (font == nullptr || font->lineHeight < 1)
        return;
    // The line under the pointer, counted down from the text's top as it
    // is drawn; above the first line is the first, below the last the last.
    const float step = LineStep();
    const float top = y + height - scrollY;
    uint32_t targetLine = 0;
    if (step > 0.0f && Input::mouseY < top)
    {
        const float lines = std::floor((top - Input::mouseY) / step);
        targetLine = lines >= float(lineCount - 1) ? lineCount - 1 : static_cast<uint32_t>(lines);
    }
    uint32_t start = 0;
    for (uint32_t line = 0; line < targetLine; ++line)
        start += LineLengthAt(start) + 1;

    // The character boundary nearest to the pointer, a tie going to the
    // later one; never past the end of the line.
    const uint32_t count = LineLengthAt(start);
    const float scale = textSize * 2.0f / (float(font->lineHeight) * Window::aspect);
    const float left = x + scrollX;
    uint32_t best = 0;
    float bestDistance = std::fabs(Input::mouseX - left);
    int pen = 0;
    for (uint32_t k = 1; k <= count; ++k)
    {
        const unsigned char c = static_cast<unsigned char>(buffer[start + k - 1]);
        pen = c == '\t' ? font->TabStop(pen) : pen + font->advance[c];
        const float distance = std::fabs(Input::mouseX - (left + float(pen) * scale));
        if (distance <= bestDistance)
        {
            best = k;
            bestDistance = distance;
        }
    }
    cursor = start + best;
}

int TextField::OnKeyDown(GUIBase* element, int code)
{
    if (element == nullptr || element->GetType() != TYPE_TEXT_FIELD)
        return 1;
    TextField* t = static_cast<TextField*>(element);
    if (t->buffer == nullptr)
        return 1;
    const uint32_t end = static_cast<uint32_t>(t->length - 1);
    switch (code)
    {
    case Input::CODE_LEFT:
        if (t->cursor > 0)
            --t->cursor;
        break;
    case Input::CODE_RIGHT:
        if (t->cursor < end)
            ++t->cursor;
        break;
    case Input::CODE_UP:
        if (t->cursorLine > 0)
        {
            const uint32_t column = t->cursor - t->lineStart;
            uint32_t previous = t->lineStart - 1;
            while (previous > 0 && t->buffer[previous - 1] != '\n')
                --previous;
            const uint32_t previousLength = t->lineStart - 1 - previous;
            t->cursor = previous + (column < previousLength ? column : previousLength);
        }
        break;
    case Input::CODE_DOWN:
        if (t->cursorLine + 1 < t->lineCount)
        {
            const uint32_t column = t->cursor - t->lineStart;
            const uint32_t next = t->lineStart + t->lineLength + 1;
            const uint32_t nextLength = t->LineLengthAt(next);
            t->cursor = next + (column < nextLength ? column : nextLength);
        }
        break;
    case Input::CODE_HOME:
        t->cursor = Input::IsControlDown() ? 0 : t->lineStart;
        break;
    case Input::CODE_END:
        t->cursor = Input::IsControlDown() ? end : t->lineStart + t->lineLength;
        break;
    case Input::CODE_BACKSPACE:
        if (t->cursor > 0)
        {
            --t->cursor;
            t->Remove(t->cursor);
        }
        break;
    case Input::CODE_DELETE:
        if (t->cursor < end)
            t->Remove(t->cursor);
        break;
    case Input::CODE_RETURN:
        t->Insert('\n');
        break;
    case Input::CODE_MOUSE_LEFT:
    case Input::CODE_MOUSE_MIDDLE:
    case Input::CODE_MOUSE_RIGHT:
        t->PlaceCursorByMouse();
        break;
    default:
        // Special keys have no character to insert.
        if (code >= 0 && code < 256)
            t->Insert(static_cast<char>(code & 0xFF));
        break;
    }
    t->UpdateLines();
    if (focusedElement == t)
        KyTextInput_Update(t->buffer, t->cursor);
    return 1;
}

void TextField::OnFocus(GUIBase* element, int gained)
{
    if (element == nullptr || element->GetType() != TYPE_TEXT_FIELD)
        return;
    if (!gained)
    {
        KyTextInput_End();
        return;
    }
    const TextField* t = static_cast<const TextField*>(element);
    // The box from its lower-left corner, whichever way it extends.
    const float left = t->width >= 0.0f ? t->x : t->x + t->width;
    const float bottom = t->height >= 0.0f ? t->y : t->y + t->height;
    KyTextInput_Begin(left, bottom, std::fabs(t->width), std::fabs(t->height), t->buffer != nullptr ? t->buffer : "",
                      t->cursor, t->keptLength);
}

void TextField::Draw()
{
    RenderState::SetBlend(true);
    RenderState::SetBlendFunc(GL_CONSTANT_ALPHA, GL_ONE_MINUS_CONSTANT_ALPHA);
    glBlendColor(opacity, opacity, opacity, opacity);
    if (!(mode & MODE_NO_BACKGROUND))
    {
        if (texture != nullptr)
            Draw2D::DrawTexturedRect(texture, x, y, width, height);
        else
        {
            const Matrix2x3 transform = {width, 0.0f, x, 0.0f, height, y};
            const float panel[4] = {backgroundColour[0], backgroundColour[1], backgroundColour[2],
                                    backgroundColour[3] * opacity};
            Draw2D::DrawBevelRect(transform, panel);
        }
    }
    if (font == nullptr)
    {
        LogError("[TextField::Draw] font type was not set.");
        return;
    }
    if (buffer == nullptr || font->lineHeight < 1)
        return;
    RenderState::SetBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    const float px = 2.0f * Window::invWidth;
    const float top = y + height;
    // The box in window fractions, from its lower-left corner whichever
    // way the rectangle extends.
    const float left = width >= 0.0f ? x : x + width;
    const float bottom = height >= 0.0f ? y : y + height;
    const bool was =
        SetScissor(left * 0.5f + 0.5f, bottom * 0.5f + 0.5f, std::fabs(width) * 0.5f, std::fabs(height) * 0.5f);

    const float f = focusedElement == this ? 1.0f : 0.0f;
    const float colour[4] = {textColour[0] * (1.0f + 0.2f * f), textColour[1] * (1.0f + 0.2f * f),
                             textColour[2] * (1.0f + 0.4f * f), textColour[3] * opacity + f};
    const float s = 2.0f * float(Window::height) * textSize / float(font->lineHeight);

    if ((mode & MODE_SHOW_CURSOR) && f == 1.0f)
    {
        UpdateScroll();
        const float cursorX = CursorOffset();
        const float lineY = float(cursorLine) * LineStep();
        font->DrawTextAt("I", textSize, colour, 1.0f, x + scrollX + cursorX, top - lineY - scrollY);
        const Matrix2x3 transform = {s, 0.0f, x + scrollX + 3.0f * px, 0.0f, s, top - scrollY};
        font->DrawText(buffer, transform, colour, 10000000, 0);
    }
    else
    {
        const bool centred = (mode & MODE_CENTRED) != 0;
        const float a = centred ? width * 0.5f : 0.0f;
        const Matrix2x3 transform = {s, 0.0f, x + scrollX + 3.0f * px + a, 0.0f, s, top - scrollY};
        font->DrawText(buffer, transform, colour, 10000000, centred ? Font::CENTRE_HORIZONTAL : 0);
    }
    RenderState::SetScissorTest(was);
}
} // namespace GUI
} // namespace Graphic
} // namespace KyE
