// The smooth menu on a real X server, at the main window's width with the program's Cyrillic
// items, in four states one above the other: at rest (item 0's notes), with the server's pointer
// over item 3, with item 9 disabled, and focused; saved as screenshots/smooth-menu.png.
#include "controls/graphics/AdvSmoothMenu.h"
#include "tests/support/X11Gui.h"

namespace {

using namespace x11gui;

struct TEntry {
  const char16_t* Caption;
  const char16_t* Notes;
};

const TEntry kEntries[] = {
    {u"Настани", u"Листа на организирани настани од В.О. Завел Тремаволт"},
    {u"Новости", u"Најнови известувања поврзани со В.О. Завел Тремаволт и самите членови"},
    {u"Задачи", u"Листа на задачи за членовите на В.О. Завел Тремаволт"},
    {u"Магацин", u"Листа на артикли во посед на В.О. Завел Тремаволт"},
    {u"Членови", u"Листа на членови на В.О. Завел Тремаволт"},
    {u"Тимови", u"Тимови од членови групирани според индивидуални способности и вештини"},
    {u"Донации-IN", u"Листа на донации од членови и надворешни субјекти"},
    {u"Донации-OUT", u"Листа на донации од В.О. Завел Тремаволт"},
    {u"Трошоци", u"Остварени трошоци на В.О. Завел Тремаволт неопходни за работа"},
    {u"Извештаи",
     u"Генерирање на извештаи поврзани со донации и членови на В.О. Завел Тремаволт"},
    {u"Излез", u"Излез од програмот"},
};

class SmoothMenuGui : public TX11GuiTest {};

// Pixels of a rectangle of the screenshot whose red stands well above their blue: the warm hover
// glow on the cool body.
int WarmPixels(cairo_surface_t* shot, const TRect& r) {
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y) {
    for (int x = r.Left; x < r.Right; ++x) {
      uint32_t p = PixelAt(shot, x, y);
      n += int((p >> 16) & 0xFF) > int(p & 0xFF) + 40 ? 1 : 0;
    }
  }
  return n;
}

// Pixels of a rectangle of the screenshot that are near a colour.
int PixelsNear(cairo_surface_t* shot, const TRect& r, uint32_t rgb, int tolerance) {
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y) {
    for (int x = r.Left; x < r.Right; ++x) {
      uint32_t p = PixelAt(shot, x, y);
      bool near = true;
      for (int shift : {0, 8, 16}) {
        int a = int((p >> shift) & 0xFF), b = int((rgb >> shift) & 0xFF);
        near = near && std::abs(a - b) <= tolerance;
      }
      n += near ? 1 : 0;
    }
  }
  return n;
}

TEST_F(SmoothMenuGui, TheMenuAtRestHoveredWithADisabledItemAndFocused) {
  TForm* form = nullptr;
  Application->CreateForm(form);
  form->SetCaption(u"Мени");
  form->SetBounds(0, 0, 780, 400);
  form->SetClientWidth(780);
  form->SetClientHeight(4 * 80 + 10);
  form->SetColor(clWhite);
  std::vector<TAdvSmoothMenu*> menus;
  for (int m = 0; m < 4; ++m) {
    auto* menu = new TAdvSmoothMenu(form);
    // As the main window has it: across the whole window, the captions a point smaller than
    // the default so that the longest fits its eleventh of the width.
    menu->SetBounds(0, 10 + 80 * m, 780, 70);
    TAdvSmoothMenuItemAppearance* looks = menu->ItemAppearance();
    for (TFont* font : {looks->Font(), looks->HoverFont(), looks->SelectedFont()}) font->SetSize(7);
    for (const TEntry& e : kEntries) {
      TAdvSmoothMenuItem* item = menu->Items()->Add();
      item->SetCaption(e.Caption);
      item->SetNotes(e.Notes);
    }
    menu->Items()->Items(10)->SetNotesTop(5);
    menu->SetComponentStyle(4);
    // Still pictures: only the hovered menu would rotate, and the pointer stops it.
    menu->SetRotation(false);
    menu->SetParent(form);
    menus.push_back(menu);
  }
  TAdvSmoothMenu *rest = menus[0], *hovered = menus[1], *disabled = menus[2], *focused = menus[3];
  disabled->Items()->Items(9)->SetEnabled(false);

  form->Show();
  Window window = XWindowOf(form);
  ASSERT_TRUE(PumpUntil([&] { return Viewable(window); }));
  focused->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return focused->HasFocusState(); }));
  const TGPFloatRect cell3 = hovered->Items()->Items(3)->ItemRect();
  TPoint over = RootPointOf(form, hovered, {int(cell3.X + cell3.Width / 2), int(cell3.Y + 4)});
  XTestFakeMotionEvent(Test, -1, over.X, over.Y, CurrentTime);
  XSync(Test, False);
  const float target = hovered->Items()->Items(3)->Center();
  ASSERT_TRUE(PumpUntil([&] {
    return hovered->HoverIndex() == 3 && hovered->IndicatorPosition() == target &&
           hovered->FadeOpacity() == 255;
  }));
  PumpBriefly();

  cairo_surface_t* shot = Screenshot(Test, window, ScreenshotPath("smooth-menu.png"));
  ASSERT_NE(shot, nullptr);
  auto cellOf = [](TAdvSmoothMenu* menu, int i) {
    const TGPFloatRect& r = menu->Items()->Items(i)->ItemRect();
    return Bounds(menu->Left() + int(r.X) + 2, menu->Top() + int(r.Y), int(r.Width) - 4,
                  int(r.Height));
  };
  auto notesOf = [](TAdvSmoothMenu* menu) {
    const int top = menu->ItemAppearance()->Splitter()->Height() + 4;
    return Bounds(menu->Left() + 2, menu->Top() + top, menu->Width() - 4, menu->Height() - top - 2);
  };
  // The warm hover glow ($006CCAFD) lights item 3 of the hovered menu only.
  EXPECT_GT(WarmPixels(shot, cellOf(hovered, 3)), 20);
  EXPECT_EQ(WarmPixels(shot, cellOf(rest, 3)), 0);
  // A disabled caption is grey ink; the enabled ones are black.
  EXPECT_GT(PixelsNear(shot, cellOf(disabled, 9), Rgb(0x00808080), 30), 5);
  EXPECT_EQ(DarkPixels(shot, cellOf(disabled, 9)), 0);
  EXPECT_GT(DarkPixels(shot, cellOf(disabled, 8)), 5);
  // Notes in the notes colour ($00723708) under every menu.
  for (TAdvSmoothMenu* menu : menus)
    EXPECT_GT(PixelsNear(shot, notesOf(menu), Rgb(0x00723708), 40), 20);
  // The dotted focus rectangle down the focused menu's left edge, and not the others'.
  const TRect edge = Bounds(focused->Left(), focused->Top() + 1, 1, focused->Height() - 2);
  EXPECT_GT(DarkPixels(shot, edge), 10);
  EXPECT_EQ(DarkPixels(shot, Bounds(rest->Left(), rest->Top() + 1, 1, rest->Height() - 2)), 0);
  cairo_surface_destroy(shot);
}

}  // namespace
