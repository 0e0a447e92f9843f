#include "platform/gdi/ImgList.h"

#include <algorithm>

#include "platform/gdi/RasterDraw.h"

TChangeLink::~TChangeLink() {
  if (FSender != nullptr) FSender->UnRegisterChanges(this);
}

void TChangeLink::Change() {
  if (OnChange) OnChange(FSender);
}

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) {}

TCustomImageList::TCustomImageList(int width, int height) : TComponent(nullptr) {
  FWidth = std::max(1, width);
  FHeight = std::max(1, height);
}

TCustomImageList::~TCustomImageList() {
  for (TChangeLink* link : FLinks) link->SetSender(nullptr);
}

void TCustomImageList::Assign(TPersistent* source) {
  if (auto* list = dynamic_cast<TCustomImageList*>(source)) {
    FWidth = list->FWidth;
    FHeight = list->FHeight;
    FBkColor = list->FBkColor;
    FDrawingStyle = list->FDrawingStyle;
    FMasked = list->FMasked;
    FImages = list->FImages;
    Change();
    return;
  }
  TComponent::Assign(source);
}

void TCustomImageList::SetWidth(int value) { SetSize(value, FHeight); }
void TCustomImageList::SetHeight(int value) { SetSize(FWidth, value); }

void TCustomImageList::SetSize(int width, int height) {
  width = std::max(1, width);
  height = std::max(1, height);
  if (width == FWidth && height == FHeight) return;
  FWidth = width;
  FHeight = height;
  FImages.clear();
  Change();
}

std::vector<TRasterImage> TCustomImageList::Cut(const TRasterImage& image) const {
  std::vector<TRasterImage> pieces;
  int count = image.Width / FWidth;
  for (int n = 0; n < count; ++n) {
    TRasterImage piece;
    piece.Resize(FWidth, FHeight, 0);
    for (int y = 0; y < std::min(FHeight, image.Height); ++y) {
      for (int x = 0; x < FWidth; ++x) piece.At(x, y) = image.At(n * FWidth + x, y);
    }
    pieces.push_back(std::move(piece));
  }
  return pieces;
}

namespace {

// A bitmap's pixels with a mask applied: white mask pixels make the picture transparent.
TRasterImage MaskedPixels(TBitmap* image, TBitmap* mask) {
  TRasterImage pixels = image->ToRaster();
  if (mask != nullptr && !mask->Empty()) {
    TRasterImage m = mask->ToRaster();
    for (int y = 0; y < std::min(pixels.Height, m.Height); ++y) {
      for (int x = 0; x < std::min(pixels.Width, m.Width); ++x) {
        if ((m.At(x, y) & 0xFFFFFF) != 0) pixels.At(x, y) &= 0x00FFFFFF;
      }
    }
  }
  return pixels;
}

}  // namespace

int TCustomImageList::Add(TBitmap* image, TBitmap* mask) {
  if (image == nullptr || image->Empty()) return -1;
  std::vector<TRasterImage> pieces = Cut(MaskedPixels(image, mask));
  if (pieces.empty()) return -1;
  int first = Count();
  for (auto& piece : pieces) FImages.push_back(std::move(piece));
  Change();
  return first;
}

int TCustomImageList::AddMasked(TBitmap* image, TColor maskColor) {
  if (image == nullptr || image->Empty()) return -1;
  TRasterImage pixels = image->ToRaster();
  COLORREF key = ColorToRGB(maskColor == clDefault ? image->TransparentColor() : maskColor);
  uint32_t keyPixel = PixelOf(key);
  for (uint32_t& p : pixels.Argb) {
    if ((p & 0xFFFFFF) == keyPixel) p &= 0x00FFFFFF;
  }
  std::vector<TRasterImage> pieces = Cut(pixels);
  if (pieces.empty()) return -1;
  int first = Count();
  for (auto& piece : pieces) FImages.push_back(std::move(piece));
  Change();
  return first;
}

int TCustomImageList::AddIcon(TIcon* icon) { return AddImage(icon); }

int TCustomImageList::AddImage(TGraphic* graphic) {
  if (graphic == nullptr || graphic->Empty()) return -1;
  TRasterImage source = graphic->ToRaster();
  TRasterImage piece;
  piece.Resize(FWidth, FHeight, 0);
  // Nearest-pixel scaling to the list's size.
  for (int y = 0; y < FHeight; ++y) {
    for (int x = 0; x < FWidth; ++x) {
      piece.At(x, y) = source.At(x * source.Width / FWidth, y * source.Height / FHeight);
    }
  }
  FImages.push_back(std::move(piece));
  Change();
  return Count() - 1;
}

void TCustomImageList::Insert(int index, TBitmap* image, TBitmap* mask) {
  if (index < 0 || index > Count() || image == nullptr) throw EInvalidOperation(u"Invalid ImageList Index");
  std::vector<TRasterImage> pieces = Cut(MaskedPixels(image, mask));
  FImages.insert(FImages.begin() + index, pieces.begin(), pieces.end());
  Change();
}

void TCustomImageList::Replace(int index, TBitmap* image, TBitmap* mask) {
  if (index < 0 || index >= Count() || image == nullptr) throw EInvalidOperation(u"Invalid ImageList Index");
  std::vector<TRasterImage> pieces = Cut(MaskedPixels(image, mask));
  if (pieces.empty()) return;
  FImages[index] = std::move(pieces[0]);
  Change();
}

void TCustomImageList::Delete(int index) {
  if (index < 0 || index >= Count()) throw EInvalidOperation(u"Invalid ImageList Index");
  FImages.erase(FImages.begin() + index);
  Change();
}

void TCustomImageList::Move(int from, int to) {
  if (from < 0 || from >= Count() || to < 0 || to >= Count()) throw EInvalidOperation(u"Invalid ImageList Index");
  TRasterImage moved = std::move(FImages[from]);
  FImages.erase(FImages.begin() + from);
  FImages.insert(FImages.begin() + to, std::move(moved));
  Change();
}

void TCustomImageList::Clear() {
  if (FImages.empty()) return;
  FImages.clear();
  Change();
}

void TCustomImageList::DrawImage(HDC dc, int x, int y, const TRasterImage& image, bool enabled) {
  if (enabled) {
    DrawRasterImage(dc, Bounds(x, y, FWidth, FHeight), image);
    return;
  }
  // Greyed: the shape in the highlight colour one pixel down and right, then in the shadow colour.
  auto shape = [&](TColor color) {
    TRasterImage mask = image;
    uint32_t pixel = PixelOf(ColorToRGB(color));
    for (uint32_t& p : mask.Argb) p = (p >> 24) >= 128 ? 0xFF000000u | pixel : 0;
    return mask;
  };
  DrawRasterImage(dc, Bounds(x + 1, y + 1, FWidth, FHeight), shape(clBtnHighlight));
  DrawRasterImage(dc, Bounds(x, y, FWidth, FHeight), shape(clBtnShadow));
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled) {
  Draw(canvas, x, y, index, FDrawingStyle, itImage, enabled);
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, TDrawingStyle, TImageType type,
                            bool enabled) {
  if (canvas == nullptr || index < 0 || index >= Count()) return;
  const TRasterImage& image = FImages[index];
  if (type == itMask) {
    TRasterImage mask = image;
    for (uint32_t& p : mask.Argb) p = (p >> 24) >= 128 ? 0xFF000000u : 0xFFFFFFFFu;
    DrawRasterImage(canvas->Handle(), Bounds(x, y, FWidth, FHeight), mask);
    return;
  }
  DrawImage(canvas->Handle(), x, y, image, enabled);
}

bool TCustomImageList::GetBitmap(int index, TBitmap* image) {
  if (image == nullptr || index < 0 || index >= Count()) return false;
  image->LoadFromRaster(FImages[index]);
  return true;
}

void TCustomImageList::GetIcon(int index, TIcon* icon) {
  if (icon == nullptr || index < 0 || index >= Count()) return;
  icon->SetImage(FImages[index]);
}

void TCustomImageList::RegisterChanges(TChangeLink* link) {
  if (link == nullptr || std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end()) return;
  link->SetSender(this);
  FLinks.push_back(link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link) {
  auto it = std::find(FLinks.begin(), FLinks.end(), link);
  if (it == FLinks.end()) return;
  (*it)->SetSender(nullptr);
  FLinks.erase(it);
}

void TCustomImageList::BeginUpdate() { ++FUpdateCount; }

void TCustomImageList::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0 && FChanged) Change();
}

void TCustomImageList::Change() {
  if (FUpdateCount > 0) {
    FChanged = true;
    return;
  }
  FChanged = false;
  // A link may unregister itself while told: walk a copy.
  std::vector<TChangeLink*> links = FLinks;
  for (TChangeLink* link : links) {
    if (std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end()) link->Change();
  }
  if (OnChange) OnChange(this);
}

bool ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, uint32_t) {
  if (list == nullptr || dc == nullptr || index < 0 || index >= list->Count()) return false;
  DrawRasterImage(dc, Bounds(x, y, list->Width(), list->Height()), list->Image(index));
  return true;
}

bool ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy) {
  if (list == nullptr || cx == nullptr || cy == nullptr) return false;
  *cx = list->Width();
  *cy = list->Height();
  return true;
}

int ImageList_GetImageCount(HIMAGELIST list) { return list == nullptr ? 0 : list->Count(); }
