// The GUI's logic without drawing: focus by hover, key and click dispatch,
// arrow navigation, and what a frame's destruction takes with it.
#include "engine/core/Input.h"
#include "engine/graphic/gui/Button.h"
#include "engine/graphic/gui/Frame.h"
#include "engine/graphic/gui/Label.h"
#include "engine/graphic/gui/TextField.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>

using namespace KyE::Graphic::GUI;

namespace
{
std::vector<int> released;
std::vector<int> focusEvents;

int RecordRelease(GUIBase*, int code)
{
    released.push_back(code);
    return 1;
}

void RecordFocus(GUIBase* element, int gained)
{
    focusEvents.push_back(gained ? element->name[0] : -element->name[0]);
}

class GUILogic : public testing::Test
{
protected:
    void SetUp() override
    {
        released.clear();
        focusEvents.clear();
        focusedElement = nullptr;
        memset(Input::keyState, 0, sizeof(Input::keyState));
        MoveMouse(-5.0f, -5.0f);
    }
    void TearDown() override
    {
        memset(Input::keyState, 0, sizeof(Input::keyState));
        focusedElement = nullptr;
    }

    static Button* AddButton(Frame& frame, const char* name, float x, float y, float w, float h)
    {
        Button* b = static_cast<Button*>(frame.AddObject(GUIBase::TYPE_BUTTON, name));
        b->x = x;
        b->y = y;
        b->width = w;
        b->height = h;
        b->flags |= GUIBase::FLAG_VISIBLE;
        b->onKeyUp = RecordRelease;
        return b;
    }

    static void MoveMouse(float x, float y)
    {
        Input::mouseX = x;
        Input::mouseY = y;
    }

    static void Hover(Frame& frame, float x, float y)
    {
        float dx = x - Input::mouseX, dy = y - Input::mouseY;
        MoveMouse(x, y);
        Frame::OnMouseMove(&frame, dx, dy);
    }
};
} // namespace

TEST_F(GUILogic, HitTestIncludesEdgesAndFollowsNegativeSizes)
{
    GUIBase e;
    e.x = 0.5f;
    e.y = 0.0f;
    e.width = -0.5f;
    e.height = 0.2f;
    MoveMouse(0.25f, 0.1f);
    EXPECT_TRUE(e.IsMouseInside());
    MoveMouse(0.0f, 0.0f);
    EXPECT_TRUE(e.IsMouseInside());
    MoveMouse(0.5f, 0.2f);
    EXPECT_TRUE(e.IsMouseInside());
    MoveMouse(0.51f, 0.1f);
    EXPECT_FALSE(e.IsMouseInside());
    MoveMouse(-0.01f, 0.1f);
    EXPECT_FALSE(e.IsMouseInside());
    e.height = -0.2f;
    MoveMouse(0.25f, -0.1f);
    EXPECT_TRUE(e.IsMouseInside());
    MoveMouse(0.25f, 0.1f);
    EXPECT_FALSE(e.IsMouseInside());
}

TEST_F(GUILogic, AddObjectNamesCopiesAndInherits)
{
    Frame frame(-1.0f, -1.0f, 2.0f, 2.0f);
    frame.textColour[0] = 0.5f;
    frame.textColour[3] = 0.25f;
    EXPECT_EQ(frame.AddObject(GUIBase::TYPE_BUTTON, nullptr), nullptr);
    EXPECT_EQ(frame.AddObject(4, "nothing"), nullptr);
    EXPECT_EQ(frame.AddObject(0, "nothing"), nullptr);

    char name[] = "First";
    GUIBase* b = frame.AddObject(GUIBase::TYPE_BUTTON, name);
    ASSERT_NE(b, nullptr);
    name[0] = 'X';
    EXPECT_STREQ(b->name, "First");
    EXPECT_EQ(b->parent, &frame);
    EXPECT_EQ(b->GetType(), GUIBase::TYPE_BUTTON);
    EXPECT_TRUE(b->flags & GUIBase::FLAG_FOCUSABLE);
    EXPECT_FLOAT_EQ(b->textColour[0], 0.5f);
    EXPECT_FLOAT_EQ(b->textColour[3], 0.25f);
    EXPECT_EQ(frame.children.Search("First")->Data, b);

    GUIBase* label = frame.AddObject(GUIBase::TYPE_LABEL, "Text");
    EXPECT_FALSE(label->flags & GUIBase::FLAG_FOCUSABLE);
    EXPECT_EQ(static_cast<Label*>(label)->text, nullptr);
    GUIBase* sub = frame.AddObject(GUIBase::TYPE_FRAME, "Sub");
    EXPECT_EQ(sub->GetType(), GUIBase::TYPE_FRAME);
    EXPECT_FALSE(sub->flags & GUIBase::FLAG_VISIBLE);
    EXPECT_EQ(sub->parent, &frame);
    GUIBase* field = frame.AddObject(GUIBase::TYPE_TEXT_FIELD, "Field");
    EXPECT_TRUE(field->flags & GUIBase::FLAG_FOCUSABLE);
    EXPECT_EQ(field->onKeyDown, TextField::OnKeyDown);
    delete label;
    delete field;
}

TEST_F(GUILogic, LaterOfTwoOverlappingButtonsTakesTheFocus)
{
    Frame frame(-1.0f, -1.0f, 2.0f, 2.0f);
    AddButton(frame, "A", -0.5f, -0.5f, 1.0f, 1.0f);
    AddButton(frame, "B", -0.25f, -0.25f, 1.0f, 1.0f);
    AddButton(frame, "C", -0.4f, -0.4f, 1.0f, 1.0f);
    GUIBase* last = nullptr;
    for (KyE::ADT::ADTElement* e = frame.children.GetFirst(); e; e = frame.children.GetNext(e))
        last = static_cast<GUIBase*>(e->Data);
    Hover(frame, 0.0f, 0.0f);
    EXPECT_EQ(focusedElement, last);
}

TEST_F(GUILogic, FocusStaysWhenThePointerLeavesEveryElement)
{
    Frame frame(-1.0f, -1.0f, 2.0f, 2.0f);
    Button* a = AddButton(frame, "a", -0.5f, 0.0f, 1.0f, 0.2f);
    Button* b = AddButton(frame, "b", -0.5f, -0.5f, 1.0f, 0.2f);
    a->onFocus = b->onFocus = RecordFocus;
    Hover(frame, 0.0f, 0.1f);
    EXPECT_EQ(focusedElement, a);
    Hover(frame, 0.0f, 0.1f);
    EXPECT_EQ(a->flags & GUIBase::FLAG_HOVER, GUIBase::FLAG_HOVER);
    Hover(frame, 0.9f, 0.9f);
    EXPECT_EQ(focusedElement, a);
    // The hover marks go once the pointer is off the focused element.
    EXPECT_EQ(a->flags & (GUIBase::FLAG_HOVER | GUIBase::FLAG_HOVER_SEEN), 0u);
    Hover(frame, 0.0f, -0.4f);
    EXPECT_EQ(focusedElement, b);
    EXPECT_EQ(focusEvents, (std::vector<int>{'a', -'a', 'b'}));
}

TEST_F(GUILogic, PressedElementKeepsFocusThroughThePointer)
{
    Frame frame(-1.0f, -1.0f, 2.0f, 2.0f);
    Button* a = AddButton(frame, "a", -0.5f, 0.0f, 1.0f, 0.2f);
    AddButton(frame, "b", -0.5f, -0.5f, 1.0f, 0.2f);
    Hover(frame, 0.0f, 0.1f);
    a->flags |= 0x8000000;
    Hover(frame, 0.0f, -0.4f);
    EXPECT_EQ(focusedElement, a);
    // Nor does an arrow move it.
    a->rightNeighbour = a->leftNeighbour = nullptr;
    EXPECT_EQ(Frame::OnKeyDown(&frame, Input::CODE_RIGHT), 0);
}

TEST_F(GUILogic, HoverDescendsOnlyIntoVisibleSubFrames)
{
    Frame frame(-1.0f, -1.0f, 2.0f, 2.0f);
    Frame* sub = static_cast<Frame*>(frame.AddObject(GUIBase::TYPE_FRAME, "sub"));
    sub->x = -1.0f;
    sub->y = -1.0f;
    sub->width = 2.0f;
    sub->height = 2.0f;
    Button* inner = AddButton(*sub, "inner", -0.5f, -0.5f, 1.0f, 1.0f);
    Hover(frame, 0.0f, 0.0f);
    EXPECT_EQ(focusedElement, nullptr);
    sub->flags |= GUIBase::FLAG_VISIBLE;
    Hover(frame, 0.0f, 0.0f);
    EXPECT_EQ(focusedElement, inner);
    // The frame's own pointer handler reaches the focused element's.
    inner->onMouseOver = [](GUIBase*, float, float) { return 7; };
    EXPECT_EQ(Frame::OnMouseMove(&frame, 0.0f, 0.0f), 7);
}

TEST_F(GUILogic, MouseCodesNeedThePointerCharactersDoNot)
{
    Frame frame(-1.0f, -1.0f, 2.0f, 2.0f);
    Button* b = AddButton(frame, "b", -0.5f, 0.0f, 1.0f, 0.2f);
    Hover(frame, 0.0f, 0.1f);
    ASSERT_EQ(focusedElement, b);
    MoveMouse(0.9f, 0.9f);
    EXPECT_EQ(Frame::OnKeyUp(&frame, Input::CODE_MOUSE_LEFT), 0);
    EXPECT_TRUE(released.empty());
    // Return is a character code: it reaches the button wherever the mouse.
    EXPECT_EQ(Frame::OnKeyUp(&frame, Input::CODE_RETURN), 1);
    EXPECT_EQ(released, (std::vector<int>{13}));
    // A code the button does not take is refused.
    EXPECT_EQ(Frame::OnKeyUp(&frame, 'a'), 0);
    MoveMouse(0.0f, 0.1f);
    EXPECT_EQ(Frame::OnKeyUp(&frame, Input::CODE_MOUSE_LEFT), 1);
    EXPECT_EQ(released, (std::vector<int>{13, 512}));
}

TEST_F(GUILogic, PressAloneDoesNotClickReleaseDoes)
{
    Frame frame(-1.0f, -1.0f, 2.0f, 2.0f);
    AddButton(frame, "b", -0.5f, 0.0f, 1.0f, 0.2f);
    Hover(frame, 0.0f, 0.1f);
    EXPECT_EQ(Frame::OnKeyDown(&frame, Input::CODE_MOUSE_LEFT), 1);
    EXPECT_TRUE(released.empty());
    Frame::OnKeyUp(&frame, Input::CODE_MOUSE_LEFT);
    EXPECT_EQ(released, (std::vector<int>{512}));
}

TEST_F(GUILogic, ArrowsNavigateUnlessControlIsHeld)
{
    Frame frame(-1.0f, -1.0f, 2.0f, 2.0f);
    Button* a = AddButton(frame, "a", -0.5f, 0.5f, 1.0f, 0.2f);
    Button* b = AddButton(frame, "b", -0.5f, 0.0f, 1.0f, 0.2f);
    a->rightNeighbour = b;
    b->leftNeighbour = a;
    a->downNeighbour = b;
    b->upNeighbour = a;
    SetFocus(a);
    // No left neighbour: consumed, nothing moves.
    EXPECT_EQ(Frame::OnKeyDown(&frame, Input::CODE_LEFT), 1);
    EXPECT_EQ(focusedElement, a);
    EXPECT_EQ(Frame::OnKeyDown(&frame, Input::CODE_RIGHT), 1);
    EXPECT_EQ(focusedElement, b);
    Input::keyState[Input::CODE_CTRL_R] = 1;
    // With Control, Up is offered to the element, which does not take it.
    EXPECT_EQ(Frame::OnKeyDown(&frame, Input::CODE_UP), 0);
    EXPECT_EQ(focusedElement, b);
    Input::keyState[Input::CODE_CTRL_R] = 0;
    EXPECT_EQ(Frame::OnKeyDown(&frame, Input::CODE_UP), 1);
    EXPECT_EQ(focusedElement, a);
    EXPECT_EQ(Frame::OnKeyDown(&frame, Input::CODE_DOWN), 1);
    EXPECT_EQ(focusedElement, b);
}

TEST_F(GUILogic, ArrowsGoToATextFieldThatTakesThem)
{
    Frame frame(-1.0f, -1.0f, 2.0f, 2.0f);
    TextField* field = static_cast<TextField*>(frame.AddObject(GUIBase::TYPE_TEXT_FIELD, "f"));
    Button* b = AddButton(frame, "b", -0.5f, 0.0f, 1.0f, 0.2f);
    field->Clear();
    field->x = -0.5f;
    field->y = 0.5f;
    field->width = 1.0f;
    field->height = 0.2f;
    field->leftNeighbour = b;
    SetFocus(field);
    MoveMouse(0.0f, 0.6f);
    Frame::OnKeyDown(&frame, 'x');
    Frame::OnKeyDown(&frame, 'y');
    EXPECT_EQ(Frame::OnKeyDown(&frame, Input::CODE_LEFT), 1);
    EXPECT_EQ(focusedElement, field);
    EXPECT_EQ(field->cursor, 1u);
    // Special keys only over the field; characters anywhere.
    MoveMouse(0.9f, -0.9f);
    EXPECT_EQ(Frame::OnKeyDown(&frame, Input::CODE_LEFT), 0);
    EXPECT_EQ(field->cursor, 1u);
    Frame::OnKeyDown(&frame, 'z');
    EXPECT_STREQ(field->buffer, "xzy");
    delete field;
}

TEST_F(GUILogic, KeysReachOnlyTheFrameThatHoldsTheFocus)
{
    Frame menu(-1.0f, -1.0f, 2.0f, 2.0f);
    Frame other(-1.0f, -1.0f, 2.0f, 2.0f);
    AddButton(menu, "b", -0.5f, 0.0f, 1.0f, 0.2f);
    Hover(menu, 0.0f, 0.1f);
    // A focus left behind on another screen does not act on this one.
    EXPECT_EQ(Frame::OnKeyUp(&other, Input::CODE_MOUSE_LEFT), 0);
    EXPECT_EQ(Frame::OnKeyDown(&other, Input::CODE_RETURN), 0);
    EXPECT_TRUE(released.empty());
    EXPECT_EQ(Frame::OnMouseMove(&other, 0.0f, 0.0f), 0);
}

TEST_F(GUILogic, DestroyingAFrameTakesButtonsAndSubFramesOnly)
{
    Label* label = nullptr;
    TextField* field = nullptr;
    {
        Frame frame(-1.0f, -1.0f, 2.0f, 2.0f);
        Frame* sub = static_cast<Frame*>(frame.AddObject(GUIBase::TYPE_FRAME, "sub"));
        sub->flags |= GUIBase::FLAG_VISIBLE;
        sub->width = sub->height = 2.0f;
        sub->x = sub->y = -1.0f;
        Button* inner = AddButton(*sub, "inner", -0.5f, -0.5f, 1.0f, 1.0f);
        label = static_cast<Label*>(frame.AddObject(GUIBase::TYPE_LABEL, "label"));
        label->SetText("kept");
        field = static_cast<TextField*>(sub->AddObject(GUIBase::TYPE_TEXT_FIELD, "field"));
        field->Clear();
        field->x = field->y = 0.9f;
        Button* neighbour = AddButton(frame, "n", 0.6f, 0.6f, 0.1f, 0.1f);
        neighbour->leftNeighbour = field;
        field->rightNeighbour = neighbour;
        Hover(frame, 0.0f, 0.0f);
        ASSERT_EQ(focusedElement, inner);
    }
    // The focused button went with its frame, and the focus with it; the
    // label and the field are still whole and no longer point at the
    // frames, nor at the destroyed neighbour.
    EXPECT_EQ(focusedElement, nullptr);
    EXPECT_STREQ(label->text, "kept");
    EXPECT_STREQ(label->name, "label");
    EXPECT_EQ(label->parent, nullptr);
    EXPECT_EQ(field->parent, nullptr);
    EXPECT_EQ(field->rightNeighbour, nullptr);
    TextField::OnKeyDown(field, 'q');
    EXPECT_STREQ(field->buffer, "q");
    delete label;
    delete field;
}

TEST_F(GUILogic, DestroyedFocusedElementNeverLeavesTheFocusDangling)
{
    TextField* field = new TextField(nullptr);
    SetFocus(field);
    delete field;
    EXPECT_EQ(focusedElement, nullptr);
}

TEST_F(GUILogic, SetFocusTellsOldAndNew)
{
    Frame frame(-1.0f, -1.0f, 2.0f, 2.0f);
    Button* a = AddButton(frame, "a", 0, 0, 0, 0);
    Button* b = AddButton(frame, "b", 0, 0, 0, 0);
    a->onFocus = b->onFocus = RecordFocus;
    SetFocus(a);
    SetFocus(a);
    SetFocus(b);
    SetFocus(nullptr);
    EXPECT_EQ(focusEvents, (std::vector<int>{'a', -'a', 'b', -'b'}));
}

TEST_F(GUILogic, ButtonTakesMouseButtonsAndReturnOnly)
{
    Button b;
    EXPECT_TRUE(b.AcceptsInput(512));
    EXPECT_TRUE(b.AcceptsInput(513));
    EXPECT_TRUE(b.AcceptsInput(514));
    EXPECT_TRUE(b.AcceptsInput(13));
    EXPECT_FALSE(b.AcceptsInput(515));
    EXPECT_FALSE(b.AcceptsInput(' '));
    EXPECT_FALSE(b.AcceptsInput(Input::CODE_LEFT));
    Label l;
    EXPECT_FALSE(l.AcceptsInput(13));
    EXPECT_FALSE(l.AcceptsInput(512));
}

TEST_F(GUILogic, ALabelItsCreatorDestroysLeavesTheFrame)
{
    Frame frame(-1.0f, -1.0f, 2.0f, 2.0f);
    GUIBase* label = frame.AddObject(GUIBase::TYPE_LABEL, "label");
    GUIBase* field = frame.AddObject(GUIBase::TYPE_TEXT_FIELD, "field");
    AddButton(frame, "button", 0, 0, 0, 0);
    EXPECT_EQ(frame.children.ElementCount, 3u);
    delete label;
    SetFocus(field);
    delete field;
    EXPECT_EQ(focusedElement, nullptr);
    EXPECT_EQ(frame.children.ElementCount, 1u);
    EXPECT_EQ(frame.children.Search("label"), nullptr);
    EXPECT_NE(frame.children.Search("button"), nullptr);
}

TEST_F(GUILogic, ASecondElementOfTheSameNameIsReportedAndOwnedByItsCaller)
{
    Frame frame(-1.0f, -1.0f, 2.0f, 2.0f);
    GUIBase* first = frame.AddObject(GUIBase::TYPE_BUTTON, "same");
    testing::internal::CaptureStderr();
    GUIBase* second = frame.AddObject(GUIBase::TYPE_BUTTON, "same");
    const std::string errors = testing::internal::GetCapturedStderr();
    ASSERT_NE(second, nullptr);
    EXPECT_NE(errors.find("Error: [Frame::AddObject] Could not insert the new GUI-Element."), std::string::npos)
        << errors;
    EXPECT_EQ(frame.children.Search("same")->Data, first);
    // In no table, the frame will not destroy it; its creator does, and
    // the first one stays where it was.
    delete second;
    EXPECT_EQ(frame.children.Search("same")->Data, first);
}
