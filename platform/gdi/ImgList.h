// Image lists: numbered pictures of one size, drawn enabled or greyed, with change links that tell
// the controls using a list when its pictures change.
#pragma once

#include <vector>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/RasterGraphics.h"
#include "platform/rtl/Component.h"

class TCustomImageList;
using HIMAGELIST = TCustomImageList*;

// A control's subscription to an image list's changes.
class TChangeLink : public TObject {
 public:
  TChangeLink() = default;
  // Leaves the list it is registered with.
  ~TChangeLink() override;
  TCustomImageList* Sender() const { return FSender; }
  void SetSender(TCustomImageList* value) { FSender = value; }
  // Fires OnChange.
  virtual void Change();
  TNotifyEvent OnChange;

 private:
  TCustomImageList* FSender = nullptr;
};

enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
enum TImageType { itImage, itMask };

class TCustomImageList : public TComponent {
 public:
  explicit TCustomImageList(TComponent* owner);
  TCustomImageList(int width, int height);
  ~TCustomImageList() override;
  void Assign(TPersistent* source) override;

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // Changing the size clears the list.
  void SetWidth(int value);
  void SetHeight(int value);
  void SetSize(int width, int height);
  int Count() const { return static_cast<int>(FImages.size()); }
  TColor BkColor() const { return FBkColor; }
  void SetBkColor(TColor value) { FBkColor = value; }
  TDrawingStyle DrawingStyle() const { return FDrawingStyle; }
  void SetDrawingStyle(TDrawingStyle value) { FDrawingStyle = value; }
  bool Masked() const { return FMasked; }
  void SetMasked(bool value) { FMasked = value; }
  HIMAGELIST Handle() { return this; }

  // Adds the bitmap cut into pictures of the list's width (a strip of n pictures adds n); black
  // pixels of the mask (when given) stay, white ones become transparent. Returns the index of the
  // first picture added, -1 when none fits.
  int Add(TBitmap* image, TBitmap* mask);
  // The same with the pixels of maskColor transparent.
  int AddMasked(TBitmap* image, TColor maskColor);
  int AddIcon(TIcon* icon);
  // Any graphic, scaled to the list's size.
  int AddImage(TGraphic* graphic);
  void Insert(int index, TBitmap* image, TBitmap* mask);
  void Replace(int index, TBitmap* image, TBitmap* mask);
  void Delete(int index);
  void Move(int from, int to);
  void Clear();

  // Draws picture index at (x, y); a disabled one greyed (a highlight shadow under a grey shape).
  // An index out of range draws nothing.
  void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true);
  void Draw(TCanvas* canvas, int x, int y, int index, TDrawingStyle style, TImageType type, bool enabled);
  // The picture into a bitmap (resized to the list's size).
  bool GetBitmap(int index, TBitmap* image);
  void GetIcon(int index, TIcon* icon);
  const TRasterImage& Image(int index) const { return FImages.at(index); }

  void RegisterChanges(TChangeLink* link);
  void UnRegisterChanges(TChangeLink* link);
  // Notifications wait while updates are open and come once when the last closes.
  void BeginUpdate();
  void EndUpdate();
  TNotifyEvent OnChange;

 protected:
  virtual void Change();

 private:
  std::vector<TRasterImage> Cut(const TRasterImage& image) const;
  void DrawImage(HDC dc, int x, int y, const TRasterImage& image, bool enabled);

  int FWidth = 16;
  int FHeight = 16;
  TColor FBkColor = clNone;
  TDrawingStyle FDrawingStyle = dsNormal;
  bool FMasked = true;
  std::vector<TRasterImage> FImages;
  std::vector<TChangeLink*> FLinks;
  int FUpdateCount = 0;
  bool FChanged = false;
};

class TImageList : public TCustomImageList {
 public:
  using TCustomImageList::TCustomImageList;
};

// The Win32 image list calls on the same lists.
constexpr uint32_t ILD_NORMAL = 0;
constexpr uint32_t ILD_TRANSPARENT = 1;
bool ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, uint32_t style);
bool ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy);
int ImageList_GetImageCount(HIMAGELIST list);
