// The look of the standard controls, held against a checked-in picture: a form with one of each
// control is painted headlessly and compared pixel by pixel with golden/controls.png. A missing
// picture is written (and the test fails, so it gets looked at and checked in); UPDATE_GOLDEN=1
// rewrites it on purpose after a deliberate change of a control's look.
#include <gtest/gtest.h>

#include <cairo.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/ImageCodecs.h"
#include "platform/rtl/DateTime.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/CheckLst.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Grids.h"
#include "platform/ui/Mask.h"
#include "platform/ui/RichEdit.h"
#include "platform/ui/StdCtrls.h"
#include "tests/support/UiTestSupport.h"

namespace {

using uitest::TUiTest;

// How far a channel may move before a pixel counts as different, and how many may differ.
constexpr int kChannelTolerance = 24;
constexpr double kAllowedFraction = 0.002;

std::string GoldenPath(const std::string& name) {
  std::string here = __FILE__;
  return here.substr(0, here.find_last_of('/')) + "/golden/" + name;
}

bool ReadFile(const std::string& path, TBytes& bytes) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return true;
}

bool WriteFile(const std::string& path, const TBytes& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

// The window as it is on its surface, frame included, opaque.
TRasterImage Capture(HWND window) {
  TPoint origin;
  cairo_surface_t* surface = GetWindowSurface(window, &origin);
  cairo_surface_flush(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  int stride = cairo_image_surface_get_stride(surface);
  TRect bounds;
  GetWindowRect(window, &bounds);
  TRasterImage image;
  image.Resize(bounds.Width(), bounds.Height());
  for (int y = 0; y < image.Height; ++y)
    for (int x = 0; x < image.Width; ++x) {
      uint32_t pixel;
      std::memcpy(&pixel, data + (origin.Y + y) * stride + (origin.X + x) * 4, 4);
      image.At(x, y) = 0xFF000000u | (pixel & 0x00FFFFFFu);
    }
  return image;
}

int Channel(uint32_t pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xFF); }

// The pixels of two pictures of one size whose colours differ by more than the tolerance.
int CountDiffering(const TRasterImage& a, const TRasterImage& b) {
  int count = 0;
  for (size_t i = 0; i < a.Argb.size(); ++i)
    for (int shift : {0, 8, 16})
      if (std::abs(Channel(a.Argb[i], shift) - Channel(b.Argb[i], shift)) > kChannelTolerance) {
        ++count;
        break;
      }
  return count;
}

class GoldenTest : public TUiTest {
 public:
  GoldenTest() {
    Application->CreateForm(Form);
    Form->SetBounds(40, 40, 720, 520);
    Form->SetCaption(u"Контроли");
    auto place = [&](TControl* control, int left, int top, int width, int height) {
      control->SetParent(Form);
      control->SetBounds(left, top, width, height);
    };
    auto* edit = new TEdit(Form);
    place(edit, 10, 10, 150, 22);
    edit->SetText(u"Уреди текст");
    auto* button = new TButton(Form);
    place(button, 170, 10, 90, 25);
    button->SetCaption(u"&Потврди");
    Check = new TCheckBox(Form);
    place(Check, 10, 45, 120, 20);
    Check->SetCaption(u"Активен");
    auto* radio = new TRadioButton(Form);
    place(radio, 140, 45, 120, 20);
    radio->SetCaption(u"Избор");
    radio->SetChecked(true);
    auto* label = new TLabel(Form);
    place(label, 10, 75, 250, 16);
    label->SetCaption(u"Ознака: Ѓ Ќ Љ Њ Џ Ѕ Ј");
    auto* list = new TListBox(Form);
    place(list, 10, 100, 150, 90);
    for (const char16_t* item : {u"Прво", u"Второ", u"Трето", u"Четврто"}) list->Items()->Add(item);
    list->SetItemIndex(1);
    auto* combo = new TComboBox(Form);
    place(combo, 170, 100, 120, 22);
    combo->Items()->Add(u"Скопје");
    combo->Items()->Add(u"Битола");
    combo->SetItemIndex(0);
    auto* panel = new TPanel(Form);
    place(panel, 300, 10, 200, 60);
    panel->SetCaption(u"Панел");
    auto* rich = new TRichEdit(Form);
    place(rich, 300, 80, 200, 110);
    TRichDocument doc = TRichDocument::FromPlainText(u"Обичен ", TRichCharFormat());
    TRichCharFormat bold;
    bold.Style = TFontStyles{fsBold};
    bold.Color = clRed;
    doc.Insert(doc.Length(), u"задебелен\rцентриран", bold);
    TRichParaFormat centre;
    centre.Alignment = taCenter;
    doc.SetParaFormat(1, centre);
    rich->SetDocument(doc);
    auto* image = new TImage(Form);
    place(image, 10, 200, 120, 80);
    TBitmap picture;
    picture.SetSize(4, 2);
    picture.Canvas()->Brush()->SetColor(clNavy);
    picture.Canvas()->FillRect(Rect(0, 0, 2, 2));
    picture.Canvas()->Brush()->SetColor(clYellow);
    picture.Canvas()->FillRect(Rect(2, 0, 4, 2));
    image->Picture()->Assign(&picture);
    image->SetStretch(true);

    auto* memo = new TMemo(Form);
    place(memo, 140, 200, 150, 80);
    memo->Lines()->Add(u"Белешка за членот");
    memo->Lines()->Add(u"втор ред");
    auto* mask = new TMaskEdit(Form);
    place(mask, 300, 200, 120, 22);
    mask->SetEditMask(u"000-000;1;_");
    mask->SetText(u"070123");
    auto* checks = new TCheckListBox(Form);
    place(checks, 510, 10, 190, 80);
    checks->Items()->Add(u"Платено");
    checks->Items()->Add(u"Неплатено");
    checks->SetChecked(0, true);
    auto* speed = new TSpeedButton(Form);
    place(speed, 430, 200, 70, 25);
    speed->SetCaption(u"Брзо");
    auto* picker = new TDateTimePicker(Form);
    place(picker, 510, 100, 190, 22);
    picker->SetDateTime(EncodeDate(2026, 3, 8));
    auto* track = new TTrackBar(Form);
    place(track, 510, 135, 190, 40);
    track->SetRange(0, 10);
    track->SetPosition(3);
    auto* scroll = new TScrollBar(Form);
    place(scroll, 510, 185, 190, 17);
    scroll->SetParams(40, 0, 100);
    auto* grid = new TStringGrid(Form);
    place(grid, 10, 300, 420, 170);
    grid->SetColCount(4);
    grid->SetRowCount(5);
    grid->SetDefaultColWidth(90);
    grid->SetDefaultRowHeight(22);
    grid->SetCells(1, 0, u"Име");
    grid->SetCells(2, 0, u"Презиме");
    grid->SetCells(1, 1, u"Ана");
    grid->SetCells(2, 1, u"Петровска");
    Form->Show();
  }
  TRasterImage Shot() {
    Form->Repaint();
    Application->ProcessMessages();
    return Capture(Form->Handle());
  }

  TForm* Form = nullptr;
  TCheckBox* Check = nullptr;
};

TEST_F(GoldenTest, FormWithEachControlMatchesTheGoldenPicture) {
  TRasterImage actual = Shot();
  ASSERT_FALSE(actual.Empty());
  // A change the eye would see counts: the comparison notices a check mark.
  Check->SetChecked(true);
  TRasterImage checked = Shot();
  EXPECT_GT(CountDiffering(actual, checked), 10);
  Check->SetChecked(false);
  ASSERT_EQ(CountDiffering(actual, Shot()), 0);  // painting is repeatable

  std::string path = GoldenPath("controls.png");
  const char* update = std::getenv("UPDATE_GOLDEN");
  bool updating = update && std::string(update) == "1";
  TBytes bytes;
  if (updating || !ReadFile(path, bytes)) {
    ASSERT_TRUE(WriteFile(path, EncodePngFile(actual))) << "cannot write " << path;
    if (!updating) FAIL() << "no golden picture was there; wrote " << path << ": look at it and check it in";
    return;
  }
  TRasterImage golden;
  ASSERT_TRUE(DecodePngFile(bytes.data(), bytes.size(), golden)) << path << " is no PNG";
  ASSERT_EQ(golden.Width, actual.Width);
  ASSERT_EQ(golden.Height, actual.Height);
  int differing = CountDiffering(golden, actual);
  double fraction = static_cast<double>(differing) / static_cast<double>(actual.Argb.size());
  if (fraction > kAllowedFraction) {
    WriteFile("controls.actual.png", EncodePngFile(actual));
    ADD_FAILURE() << differing << " pixels differ from " << path
                  << "; this run's picture is controls.actual.png in the test's working folder. "
                     "After a deliberate change of a control's look, run with UPDATE_GOLDEN=1.";
  }
}

}  // namespace
