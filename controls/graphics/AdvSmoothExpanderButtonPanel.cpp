#include "controls/graphics/AdvSmoothExpanderButtonPanel.h"

#include "platform/ui/Screen.h"

// --- Buttons, badge and auto-size settings -------------------------------------------------------

TAdvSmoothExpanderButton::TAdvSmoothExpanderButton(TCollection* collection)
    : TCollectionItem(collection), FPicture(new TAdvGDIPPicture) {
  FPicture->OnChange = [this](TObject*) { Update(); };
}

TAdvSmoothExpanderButton::~TAdvSmoothExpanderButton() { FPicture->OnChange = nullptr; }

TAdvSmoothExpanderButtonPanel* TAdvSmoothExpanderButton::Panel() const {
  return Collection() ? dynamic_cast<TAdvSmoothExpanderButtonPanel*>(Collection()->Owner())
                      : nullptr;
}

void TAdvSmoothExpanderButton::Update() { Changed(false); }

void TAdvSmoothExpanderButton::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TAdvSmoothExpanderButton*>(source);
  if (other == nullptr) return;
  FEnabled = other->FEnabled;
  FPicture->Assign(other->FPicture.get());
  FBevel = other->FBevel;
  FBevelColor = other->FBevelColor;
  FColor = other->FColor;
  FCaption = other->FCaption;
  FTextColor = other->FTextColor;
  FTag = other->FTag;
  FColorDisabled = other->FColorDisabled;
  FDisabledImageIndex = other->FDisabledImageIndex;
  FDisabledPictureName = other->FDisabledPictureName;
  FImageIndex = other->FImageIndex;
  FPictureName = other->FPictureName;
  Update();
}

TAdvSmoothExpanderButtons::TAdvSmoothExpanderButtons(TAdvSmoothExpanderButtonPanel* owner)
    : TOwnedCollection(owner, TCollectionItemClass::Of<TAdvSmoothExpanderButton>()) {}

void TAdvSmoothExpanderButtons::Update(TCollectionItem* item) {
  TOwnedCollection::Update(item);
  if (OnChange) OnChange(this);
}

TAdvSmoothExpanderButtonStatus::TAdvSmoothExpanderButtonStatus() : FAppearance(new TGDIPStatus) {
  FAppearance->OnChange = [this](TObject*) { Changed(); };
}

TAdvSmoothExpanderButtonStatus::~TAdvSmoothExpanderButtonStatus() {
  FAppearance->OnChange = nullptr;
}

void TAdvSmoothExpanderButtonStatus::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TAdvSmoothExpanderButtonStatus*>(source);
  if (other == nullptr) return;
  FAppearance->Assign(other->FAppearance.get());
  FOffsetTop = other->FOffsetTop;
  FOffsetLeft = other->FOffsetLeft;
  FVisible = other->FVisible;
  Changed();
}

void TAdvSmoothExpanderButtonAutoSize::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TAdvSmoothExpanderButtonAutoSize*>(source);
  if (other == nullptr) return;
  FIncreaseHeight = other->FIncreaseHeight;
  FDecreaseHeight = other->FDecreaseHeight;
  if (OnChange) OnChange(this);
}

// --- The panel -----------------------------------------------------------------------------------

TAdvSmoothExpanderButtonPanel::TAdvSmoothExpanderButtonPanel(TComponent* owner)
    : TAdvSmoothExpanderPanel(owner),
      FButtons(new TAdvSmoothExpanderButtons(this)),
      FButtonStatus(new TAdvSmoothExpanderButtonStatus),
      FButtonAppearance(new TGDIPButton),
      FAutoSize(new TAdvSmoothExpanderButtonAutoSize) {
  SetDoubleBuffered(true);
  SetBounds(Left(), Top(), 286, 128);
  FButtons->OnChange = [this](TObject*) { UpdateButtons(); };
  FButtonStatus->OnChange = [this](TObject*) { UpdateButtons(); };
  FButtonAppearance->OnChange = [this](TObject*) { UpdateButtons(); };
  FAutoSize->OnChange = [this](TObject*) { UpdateButtons(); };
  NewButtonImage(Height() - FButtonVerticalMargin);
}

TAdvSmoothExpanderButtonPanel::~TAdvSmoothExpanderButtonPanel() {
  // The collection's items go last and report their removal: nobody listens any more.
  FButtons->OnChange = nullptr;
  FButtonStatus->OnChange = nullptr;
  FButtonAppearance->OnChange = nullptr;
  FAutoSize->OnChange = nullptr;
}

void TAdvSmoothExpanderButtonPanel::NewButtonImage(int height) {
  FButtonImage.reset(new TGPBitmap(std::max(Width(), 1), std::max(height, 1), PixelFormat32bppARGB));
  FButtonImageValid = false;
}

void TAdvSmoothExpanderButtonPanel::UpdateButtons() {
  TAdvSmoothExpanderPanel::Changed();
  FButtonImageValid = false;
  AutoSizeHeight();
  Invalidate();
}

void TAdvSmoothExpanderButtonPanel::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TAdvSmoothExpanderButtonPanel*>(source);
  if (other == nullptr) return;
  if (other == this) return;
  FButtons->Assign(other->FButtons.get());
  FButtonStatus->Assign(other->FButtonStatus.get());
  FButtonAppearance->Assign(other->FButtonAppearance.get());
  FAutoSize->Assign(other->FAutoSize.get());
  FButtonHorizontalSpacing = other->FButtonHorizontalSpacing;
  FButtonVerticalSpacing = other->FButtonVerticalSpacing;
  FButtonWidth = other->FButtonWidth;
  FButtonHeight = other->FButtonHeight;
  FButtonVerticalMargin = other->FButtonVerticalMargin;
  FButtonHorizontalMargin = other->FButtonHorizontalMargin;
  UpdateButtons();
}

void TAdvSmoothExpanderButtonPanel::SetAutoSize(TAdvSmoothExpanderButtonAutoSize* value) {
  if (value != FAutoSize.get()) FAutoSize->Assign(value);
  UpdateButtons();
}

void TAdvSmoothExpanderButtonPanel::SetButtons(TAdvSmoothExpanderButtons* value) {
  if (value != FButtons.get()) FButtons->Assign(value);
  UpdateButtons();
}

void TAdvSmoothExpanderButtonPanel::SetButtonStatus(TAdvSmoothExpanderButtonStatus* value) {
  if (value != FButtonStatus.get()) FButtonStatus->Assign(value);
  UpdateButtons();
}

void TAdvSmoothExpanderButtonPanel::SetButtonAppearance(TGDIPButton* value) {
  if (value != FButtonAppearance.get()) FButtonAppearance->Assign(value);
  UpdateButtons();
}

void TAdvSmoothExpanderButtonPanel::SetColumns(int value) {
  if (value == -1) {
    if (FColumns == -1) return;
  } else if (value < 1) {
    return;
  }
  FColumns = value;
  UpdateButtons();
}

void TAdvSmoothExpanderButtonPanel::SetRows(int value) {
  if (value == -1) {
    if (FRows == -1) return;
  } else if (value < 1) {
    return;
  }
  FRows = value;
  UpdateButtons();
}

void TAdvSmoothExpanderButtonPanel::SetComponentStyle(TStylePreset style) {
  TAdvSmoothExpanderPanel::SetComponentStyle(style);
  FButtonAppearance->SetSimpleLayout(false);
  static const TColor colors[16] = {0xE3B28D, 0x927476, 0x447A63, 0xC9D1D5, 0xFDEADA, 0x6E6E6D,
                                    0xB9D8DC, 0x828F92, clNone,   0xE7DCD5, 0xFDF8F1, 0xFCEBDC,
                                    clBtnFace, 0xF0DAC7, 0xEDE5E0, 0x919191};
  if (style == 8 || style > 15) return;
  for (int i = 0; i < FButtons->Count(); ++i) FButtons->Items(i)->SetColor(colors[style]);
}

// --- Layout --------------------------------------------------------------------------------------

namespace {

int InsideRight(const TGPFloatRect& r) { return static_cast<int>(r.X + r.Width); }
int InsideBottom(const TGPFloatRect& r) { return static_cast<int>(r.Y + r.Height); }

}  // namespace

int TAdvSmoothExpanderButtonPanel::CellWidth() {
  if (FColumns == -1) return FButtonWidth;
  return (InsideRight(InsideRect()) - 2 * FButtonHorizontalMargin) / FColumns;
}

int TAdvSmoothExpanderButtonPanel::CellHeight() {
  if (FRows == -1) return FButtonHeight;
  return (InsideBottom(InsideRect()) - FButtonVerticalMargin) / FRows;
}

int TAdvSmoothExpanderButtonPanel::ColumnsPerRow() {
  int cell = CellWidth();
  if (cell <= 0) return 0;
  return (InsideRight(InsideRect()) - FButtonHorizontalMargin) / cell;
}

// A button that does not fit after the last in its row starts the next row, even the first one.
std::vector<TRect> TAdvSmoothExpanderButtonPanel::ButtonCells() {
  std::vector<TRect> cells;
  int cw = CellWidth(), ch = CellHeight(), right = InsideRight(InsideRect());
  int c = 0, r = 0;
  for (int i = 0; i < FButtons->Count(); ++i) {
    int x = c * cw + FButtonHorizontalMargin;
    int y = r * ch + FButtonVerticalMargin;
    if (right < x + cw) {
      ++r;
      x = FButtonHorizontalMargin;
      y = r * ch + FButtonVerticalMargin;
      c = 1;
    } else {
      ++c;
    }
    cells.push_back(Bounds(x, y, cw, ch));
  }
  return cells;
}

int TAdvSmoothExpanderButtonPanel::ButtonAtXY(int x, int y) {
  std::vector<TRect> cells = ButtonCells();
  for (size_t i = 0; i < cells.size(); ++i)
    if (PtInRect(cells[i], TPoint{x, y})) return static_cast<int>(i);
  return -1;
}

void TAdvSmoothExpanderButtonPanel::AutoSizeHeight() {
  if (!FAutoSizeAllowed) return;
  if (!FAutoSize->IncreaseHeight() && !FAutoSize->DecreaseHeight()) return;
  if (FRows != -1) return;
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) return;
  FAutoSizeAllowed = false;
  std::vector<TRect> cells = ButtonCells();
  int height = FButtonVerticalMargin;
  if (!cells.empty()) {
    int lastRow = (cells.back().Top - FButtonVerticalMargin) / std::max(CellHeight(), 1);
    height = (lastRow + 1) * CellHeight() + FButtonVerticalMargin + 5;
  }
  if (FAutoSize->IncreaseHeight() && height > Height())
    SetHeight(height);
  else if (FAutoSize->DecreaseHeight() && height < Height())
    SetHeight(height);
  FAutoSizeAllowed = true;
}

// --- Painting ------------------------------------------------------------------------------------

void TAdvSmoothExpanderButtonPanel::DrawPanel(TGPGraphics* graphics) {
  TAdvSmoothExpanderPanel::DrawPanel(graphics);
  if (!FButtonImageValid) DrawButtons();
  graphics->DrawImage(FButtonImage.get(), 0, 0);
}

void TAdvSmoothExpanderButtonPanel::DrawButtons() {
  TGPGraphics g(FButtonImage.get());
  g.SetSmoothingMode(SmoothingModeAntiAlias);
  g.SetTextRenderingHint(TextRenderingHintAntiAlias);
  g.Clear(0x00FFFFFF);
  std::vector<TRect> cells = ButtonCells();
  TRect client = ClientRect();
  TRect work = Screen->WorkAreaRect();
  TGDIPStatus* status = FButtonStatus->Appearance();
  TGDIPFill savedFill;
  TFont savedFont;
  for (int i = 0; i < FButtons->Count(); ++i) {
    TAdvSmoothExpanderButton* b = FButtons->Items(i);
    const TRect& cell = cells[static_cast<size_t>(i)];
    int x = cell.Left, y = cell.Top, cw = cell.Width(), ch = cell.Height();
    // OnDrawStatus may restyle one badge; the next starts from the look as it was.
    savedFill.Assign(status->Fill());
    savedFont.Assign(status->Font());
    TRect r = Bounds(x, y, FButtonWidth, FButtonHeight), common;
    bool shown = IntersectRect(common, r, client) && x + FButtonWidth < work.Right &&
                 y + FButtonHeight < work.Bottom;
    if (shown) {
      FButtonAppearance->BeginUpdate();
      TColor fontColor = FButtonAppearance->Font()->Color();
      if (b->TextColor() != clNone) FButtonAppearance->Font()->SetColor(b->TextColor());
      TGDIPButtonPaint paint;
      paint.Caption = b->Caption();
      paint.X = x;
      paint.Y = y;
      paint.W = cw;
      paint.H = ch;
      paint.HMargin = FButtonHorizontalSpacing;
      paint.VMargin = FButtonVerticalSpacing;
      paint.Color = b->Enabled() ? b->Color() : b->ColorDisabled();
      paint.DownColor = clNone;
      paint.BevelColor = b->BevelColor();
      paint.TextColor = FButtonAppearance->Font()->Color();
      paint.Down = b->Down();
      paint.Bevel = b->Bevel();
      paint.RoundingType = rtBoth;
      paint.Picture = b->Picture();
      paint.FullWidthCaption = true;
      paint.ImageIndex = b->Enabled() ? b->ImageIndex() : b->DisabledImageIndex();
      paint.PictureName = b->Enabled() ? b->PictureName() : b->DisabledPictureName();
      FButtonAppearance->Draw(&g, paint);
      FButtonAppearance->Font()->SetColor(fontColor);
      FButtonAppearance->EndUpdate();

      if (TabStop() && FHasFocus && i == FFocusedIndex) {
        int smoothing = g.GetSmoothingMode();
        g.SetSmoothingMode(SmoothingModeNone);
        TGPPen pen(MakeARGB(255, 0, 0, 0), 1);
        pen.SetDashStyle(DashStyleDot);
        TGPPathPtr path = CreateRoundRectPath(
            MakeRectF(x + FButtonHorizontalSpacing, y + FButtonVerticalSpacing,
                      cw - 2 * FButtonHorizontalSpacing, ch - 2 * FButtonVerticalSpacing),
            8, rtBoth);
        g.DrawPath(&pen, path.get());
        g.SetSmoothingMode(static_cast<GpSmoothingMode>(std::max(smoothing, 0)));
      }
      bool picture = status->Fill()->Picture() != nullptr && !status->Fill()->Picture()->Empty();
      if (FButtonStatus->Visible() && (!b->StatusCaption().empty() || picture)) {
        if (OnDrawStatus) OnDrawStatus(this, status->Fill(), status->Font(), i);
        status->CalcSize(&g, b->StatusCaption());
        int w = status->GetWidth();
        status->Draw(&g, x + cw - w + FButtonStatus->OffsetLeft(), y + FButtonStatus->OffsetTop(),
                     0, 0, true, b->StatusCaption());
      }
    }
    status->Fill()->BeginUpdate();
    status->Fill()->Assign(&savedFill);
    status->Fill()->EndUpdate();
    status->Font()->Assign(&savedFont);
  }
  FButtonImageValid = true;
}

// --- Lifecycle, focus, mouse and keys ------------------------------------------------------------

void TAdvSmoothExpanderButtonPanel::Loaded() {
  TAdvSmoothExpanderPanel::Loaded();
  NewButtonImage(Height() - FButtonVerticalMargin);
}

void TAdvSmoothExpanderButtonPanel::Resize() {
  TAdvSmoothExpanderPanel::Resize();
  if (!FButtonImage || !SizeTracking()) return;
  AutoSizeHeight();
  int previous = FButtonImage ? static_cast<int>(FButtonImage->GetHeight()) : Height();
  NewButtonImage(Expanded() ? Height() - 2 : previous);
}

void TAdvSmoothExpanderButtonPanel::DoEnter() {
  TAdvSmoothExpanderPanel::DoEnter();
  FHasFocus = true;
  UpdateButtons();
}

void TAdvSmoothExpanderButtonPanel::DoExit() {
  TAdvSmoothExpanderPanel::DoExit();
  FHasFocus = false;
  UpdateButtons();
}

void TAdvSmoothExpanderButtonPanel::DoButtonClick(int index) {
  if (OnButtonClick) OnButtonClick(this, index);
}

void TAdvSmoothExpanderButtonPanel::DoButtonClicked(int index) {
  if (OnButtonClicked) OnButtonClicked(this, index);
}

void TAdvSmoothExpanderButtonPanel::MouseDown(TMouseButton button, TShiftState shift, int x,
                                              int y) {
  TAdvSmoothExpanderPanel::MouseDown(button, shift, x, y);
  int i = ButtonAtXY(x, y);
  if (i == -1 || !FButtons->Items(i)->Enabled()) return;
  FFocusedIndex = i;
  FButtons->Items(i)->FDown = true;
  FButtonImageValid = false;
  UpdateButtons();
  DoButtonClick(i);
}

void TAdvSmoothExpanderButtonPanel::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TAdvSmoothExpanderPanel::MouseUp(button, shift, x, y);
  int i = ButtonAtXY(x, y);
  if (i != -1 && FButtons->Items(i)->Enabled()) DoButtonClicked(i);
  bool anyDown = false;
  for (int k = 0; k < FButtons->Count(); ++k) {
    anyDown = anyDown || FButtons->Items(k)->FDown;
    FButtons->Items(k)->FDown = false;
  }
  if (!anyDown) return;
  FButtonImageValid = false;
  UpdateButtons();
}

void TAdvSmoothExpanderButtonPanel::KeyDown(WORD& key, TShiftState shift) {
  TAdvSmoothExpanderPanel::KeyDown(key, shift);
  int f = FFocusedIndex, n = FButtons->Count(), next = f;
  switch (key) {
    case VK_SPACE:
      if (f >= 0 && f < n) {
        FButtons->Items(f)->FDown = true;
        UpdateButtons();
        if (FButtons->Items(f)->Enabled()) DoButtonClick(f);
      }
      break;
    case VK_PRIOR: next = f - 5; break;
    case VK_NEXT: next = f + 5; break;
    case VK_END: next = n - 1; break;
    case VK_HOME: next = 0; break;
    case VK_LEFT: next = f - 1; break;
    case VK_RIGHT: next = f + 1; break;
    // Without a cell width there are no rows to move between.
    case VK_UP:
      if (ColumnsPerRow() > 0) next = f - ColumnsPerRow();
      break;
    case VK_DOWN:
      if (ColumnsPerRow() > 0) next = f + ColumnsPerRow();
      break;
    default: break;
  }
  if (next < 0 || next >= n) return;
  FFocusedIndex = next;
  if (next != f && FHasFocus) UpdateButtons();
}

void TAdvSmoothExpanderButtonPanel::KeyUp(WORD& key, TShiftState shift) {
  TAdvSmoothExpanderPanel::KeyUp(key, shift);
  int f = FFocusedIndex;
  if (key != VK_SPACE || f < 0 || f >= FButtons->Count()) return;
  FButtons->Items(f)->FDown = false;
  UpdateButtons();
  if (FButtons->Items(f)->Enabled()) DoButtonClicked(f);
}

void TAdvSmoothExpanderButtonPanel::Notification(TComponent* component, TOperation operation) {
  if (FButtonAppearance) FButtonAppearance->Notification(this, component, operation);
  TAdvSmoothExpanderPanel::Notification(component, operation);
}
