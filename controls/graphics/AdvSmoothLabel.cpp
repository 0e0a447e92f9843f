#include "controls/graphics/AdvSmoothLabel.h"

#include "controls/graphics/SmoothCaptionText.h"
#include "platform/rtl/RtlMath.h"

using namespace AdvSmoothLabel;

TGPFloatPoint AdvSmoothLabel::CaptionPosition(TAdvSmoothLabelLocation location, float fw,
                                              float fh, float tw, float th) {
  // Halves are kept: the free space is shared as it comes.
  float share[3] = {0, 0.5f, 1};
  return MakePointF((fw - tw) * share[SmoothCaptionText::LocationColumn(location)],
                    (fh - th) * share[SmoothCaptionText::LocationRow(location)]);
}

// --- The caption ---------------------------------------------------------------------------------

TAdvSmoothLabelCaption::TAdvSmoothLabelCaption(TAdvSmoothLabel* owner)
    : FOwner(owner), FFont(std::make_unique<TFont>()), FPicture(new TAdvGDIPPicture) {
  FFont->SetName(u"Tahoma");
  FFont->SetSize(20);
  FFont->OnChange = [this](TObject*) { Changed(); };
  FPicture->OnChange = [this](TObject*) { Changed(); };
}

TAdvSmoothLabelCaption::~TAdvSmoothLabelCaption() = default;

void TAdvSmoothLabelCaption::Changed() {
  if (OnChange) OnChange(this);
}

void TAdvSmoothLabelCaption::SetText(const String& value) {
  if (FText == value) return;
  FText = value;
  if (FOwner != nullptr && FOwner->AutoShadowCaption()) FOwner->CaptionShadow()->SetText(value);
  Changed();
}

void TAdvSmoothLabelCaption::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TAdvSmoothLabelCaption*>(source);
  if (other == nullptr) return;
  FLocation = other->FLocation;
  FLeft = other->FLeft;
  FTop = other->FTop;
  FColorStart = other->FColorStart;
  FColorEnd = other->FColorEnd;
  FGradientType = other->FGradientType;
  FHatchStyle = other->FHatchStyle;
  FOpacityStart = other->FOpacityStart;
  FOpacityEnd = other->FOpacityEnd;
  FPicture->Assign(other->FPicture.get());
  FText = other->FText;
  Changed();
}

// --- The label -----------------------------------------------------------------------------------

TAdvSmoothLabel::TAdvSmoothLabel(TComponent* owner)
    : TGraphicControl(owner),
      FFill(new TGDIPFill),
      FCaption(new TAdvSmoothLabelCaption(this)),
      FCaptionShadow(new TAdvSmoothLabelCaption(this)) {
  TControlStyle style = ControlStyle();
  style << csReplicatable;
  SetControlStyle(style);
  FFill->OnChange = [this](TObject*) { LabelChanged(); };
  FCaption->OnChange = [this](TObject*) { LabelChanged(); };
  FCaptionShadow->OnChange = [this](TObject*) { LabelChanged(); };
  SetBounds(Left(), Top(), 280, 50);
}

TAdvSmoothLabel::~TAdvSmoothLabel() {
  // The owned parts go first; their notifications must not reach a label being torn down.
  FFill->OnChange = nullptr;
  FCaption->OnChange = nullptr;
  FCaptionShadow->OnChange = nullptr;
}

void TAdvSmoothLabel::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TAdvSmoothLabel*>(source);
  if (other == nullptr) return;
  FAutoShadowCaption = other->FAutoShadowCaption;
  FAutoSize = other->FAutoSize;
  FFill->Assign(other->FFill.get());
  FCaption->Assign(other->FCaption.get());
  FCaptionShadow->Assign(other->FCaptionShadow.get());
  FTransparent = other->FTransparent;
  FWordWrap = other->FWordWrap;
  FTextRendering = other->FTextRendering;
  FCaptionShadowVisible = other->FCaptionShadowVisible;
  FCaptionShadowOffsetTop = other->FCaptionShadowOffsetTop;
  FCaptionShadowOffsetLeft = other->FCaptionShadowOffsetLeft;
  LabelChanged();
}

void TAdvSmoothLabel::SetAutoSize(bool value) {
  if (FAutoSize == value) return;
  FAutoSize = value;
  LabelChanged();
}

void TAdvSmoothLabel::LabelChanged() {
  if (FAutoSize) FitSize();
  Invalidate();
  if (OnChange) OnChange(this);
}

void TAdvSmoothLabel::Loaded() {
  TGraphicControl::Loaded();
  if (FAutoSize) FitSize();
}

void TAdvSmoothLabel::Resize() {
  TGraphicControl::Resize();
  if (FAutoSize) FitSize();
}

std::unique_ptr<TGPStringFormat, TObjectFree> TAdvSmoothLabel::NewStringFormat(
    TLocation location) const {
  std::unique_ptr<TGPStringFormat, TObjectFree> format(
      new TGPStringFormat(FWordWrap ? 0 : StringFormatFlagsNoWrap, 0));
  if (FWordWrap && location != plCustom) {
    const GpStringAlignment alignments[3] = {StringAlignmentNear, StringAlignmentCenter,
                                             StringAlignmentFar};
    format->SetAlignment(alignments[SmoothCaptionText::LocationColumn(location)]);
  }
  return format;
}

// The main caption's one-line (or wrapped) size plus 2 each way; the shadow is not counted.
void TAdvSmoothLabel::FitSize() {
  if (FFitting) return;
  if (auto* window = dynamic_cast<TWinControl*>(Owner()); window && !window->HandleAllocated())
    return;
  FFitting = true;
  TGPBitmap scratch(1, 1);
  TGPGraphics graphics(&scratch);
  SmoothCaptionText::TFontPtr font = SmoothCaptionText::NewFont(&graphics, FCaption->Font());
  auto format = NewStringFormat(FCaption->Location());
  TGPFloatRect bounds;
  const String& text = FCaption->Text();
  graphics.MeasureString(text, static_cast<int>(text.size()), font.get(),
                         MakeRectF(0, 0, 10000, 10000), format.get(), bounds);
  SetBounds(Left(), Top(), static_cast<int>(Round(bounds.Width + 2)),
            static_cast<int>(Round(bounds.Height + 2)));
  FFitting = false;
}

void TAdvSmoothLabel::Paint() {
  if (Width() < 2 || Height() < 2) return;
  TGPGraphics graphics(Canvas()->Handle());
  DrawLabel(&graphics);
}

void TAdvSmoothLabel::DrawLabel(TGPGraphics* graphics) {
  if (Width() < 2 || Height() < 2) return;
  TGPFloatRect r = MakeRectF(0, 0, Width() - 1, Height() - 1);
  if (!FTransparent) r = FFill->Fill(graphics, r);
  if (!FCaptionShadow->Text().empty() && FCaptionShadowVisible)
    DrawCaption(graphics, FCaptionShadow.get(), FCaptionShadowOffsetLeft, FCaptionShadowOffsetTop,
                r);
  if (!FCaption->Text().empty()) DrawCaption(graphics, FCaption.get(), 0, 0, r);
}

void TAdvSmoothLabel::DrawCaption(TGPGraphics* graphics, TAdvSmoothLabelCaption* caption,
                                  float ox, float oy, const TGPFloatRect& r) {
  SmoothCaptionText::TFontPtr font = SmoothCaptionText::NewFont(graphics, caption->Font());
  auto format = NewStringFormat(caption->Location());
  const String& text = caption->Text();
  TGPFloatRect box;
  graphics->MeasureString(text, static_cast<int>(text.size()), font.get(), r, format.get(), box);
  float tw = box.Width, th = box.Height;
  // A custom place is the main caption's, for the shadow too; the others count from the
  // control's corner with only the frame's size.
  TGPFloatPoint p =
      caption->Location() == plCustom
          ? MakePointF(static_cast<float>(FCaption->Left()), static_cast<float>(FCaption->Top()))
          : CaptionPosition(caption->Location(), r.Width, r.Height, tw, th);
  float x = ox + p.X, y = oy + p.Y;
  graphics->SetTextRenderingHint(FTextRendering == tClearType ? TextRenderingHintClearTypeGridFit
                                                              : TextRenderingHintAntiAliasGridFit);
  // Kinds without a brush of their own draw in the start colour rather than vanish.
  SmoothCaptionText::TCaptionBrush brush =
      SmoothCaptionText::NewCaptionBrush(SmoothCaptionText::InkOf(caption), x, y, tw, th, true);
  if (!brush.Brush) return;
  graphics->DrawWideString(text, static_cast<int>(text.size()), font.get(),
                           MakeRectF(x, y, tw, th), format.get(), brush.Brush.get());
}
