// A form with a smooth menu on a headless session: items added by count, the menu's events
// noted in order, points of an item to aim the mouse at, and the pixels the menu painted.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/graphics/AdvSmoothMenu.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/NumberText.h"
#include "tests/support/UiTestSupport.h"

namespace menutest {

class TSmoothMenuTest : public uitest::TUiTest {
 public:
  TSmoothMenuTest() {
    Application->CreateForm(Form);
    Form->SetBounds(100, 100, 620, 200);
    Form->SetColor(clFuchsia);
    Menu = new TAdvSmoothMenu(Form);
    Menu->SetParent(Form);
    Menu->SetBounds(10, 10, 501, 100);
    Menu->OnItemClick = [this](TObject* sender, int i) {
      EXPECT_EQ(sender, Menu);
      Note("click " + std::to_string(i));
    };
    Menu->OnItemChange = [this](TObject*, int from, int to) {
      Note("change " + std::to_string(from) + ">" + std::to_string(to));
    };
    Menu->OnItemEnter = [this](TObject*, int i) { Note("enter " + std::to_string(i)); };
    Menu->OnItemLeave = [this](TObject*, int i) { Note("leave " + std::to_string(i)); };
  }

  // Items "Ставка 0".. with notes "Белешка 0"..
  void AddItems(int count) {
    for (int i = 0; i < count; ++i) {
      TAdvSmoothMenuItem* item = Menu->Items()->Add();
      item->SetCaption(u"Ставка " + IntToStr(i));
      item->SetNotes(u"Белешка " + IntToStr(i));
    }
  }
  void Show() {
    if (!Form->Visible()) Form->Show();
  }
  TAdvSmoothMenuItem* Item(int i) { return Menu->Items()->Items(i); }
  // A client point of the menu at the middle of the item's cell, moved down by dy.
  TPoint ItemClient(int i, int dy = 0) {
    const TGPFloatRect& r = Item(i)->ItemRect();
    return {static_cast<int>(r.X + r.Width / 2), static_cast<int>(r.Y + r.Height / 2) + dy};
  }
  TPoint Screen(TPoint client) { return Menu->ClientToScreen(client); }
  TPoint ItemPoint(int i, int dy = 0) { return Screen(ItemClient(i, dy)); }
  // Empty space of the menu: under the caption band.
  TPoint Below() { return Screen({5, Menu->Height() - 5}); }
  // Script steps.
  void MoveTo(TPoint at) {
    Script().Then([at] { InjectMouseMove(at); });
  }
  void ClickOn(TPoint at, TMouseButtonId button = TMouseButtonId::Left) {
    Script().Then([at, button] {
      InjectMouseMove(at);
      InjectMouseButton(button, true, at);
      InjectMouseButton(button, false, at);
    });
  }
  void Press(uint16_t key) {
    Script().Then([key] { Key(key); });
  }
  void Wait(uint64_t ms) { Script().AdvanceBy(ms); }

  // The pixel of a client point of the menu, as painted now.
  COLORREF Painted(int x, int y) {
    Show();
    Menu->Repaint();
    HDC dc = GetDC(Menu->Handle());
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(Menu->Handle(), dc);
    return c;
  }

  TForm* Form = nullptr;
  TAdvSmoothMenu* Menu = nullptr;
};

}  // namespace menutest
