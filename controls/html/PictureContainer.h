// Pictures of the mini-HTML: THTMLPicture keeps an image file's bytes and decodes them (a GIF at
// the frame asked for), the picture cache holds pictures by their URL, and the picture container
// is a component of named pictures. Pictures are never downloaded: a URL other than a file or a
// program resource stays empty, so markup from the data never reaches the network.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "controls/html/NamedPictures.h"
#include "platform/gdi/Graphic.h"
#include "platform/rtl/Collection.h"
#include "platform/rtl/Component.h"

namespace PictureContainer {

using TDownloadErrorEvent = std::function<void(TObject* sender, const String& err)>;
using TDownloadCompleteEvent = std::function<void(TObject* sender)>;
using TDownloadCancelEvent = std::function<void(TObject* sender, bool& cancel)>;
using TDownloadProgressEvent =
    std::function<void(TObject* sender, uint32_t dwSize, uint32_t dwTotSize)>;

class THTMLPicture : public TGraphic {
 public:
  THTMLPicture();
  ~THTMLPicture() override;

  // The pixel size of the decoded picture (a GIF's logical screen); 0 when nothing decoded.
  int Width() const override;
  int Height() const override;
  void SetWidth(int) override {}
  void SetHeight(int) override {}
  bool Empty() const override { return FEmpty; }
  // Stretched into the rectangle, or at its top-left at the natural size; an animated GIF's
  // frame is drawn at its own offset from there.
  void Draw(TCanvas* canvas, const TRect& rect) override;
  // Takes the bytes from the stream's position to its end and decodes them; raises
  // "Could not load image. Invalid format" for bytes that are no picture. Null is ignored.
  void LoadFromStream(TStream* stream) override;
  // As LoadFromStream from the file; any failure leaves the picture empty.
  void LoadFromFile(const String& fileName);
  // A program data resource of that name; nothing when there is none.
  void LoadFromResourceName(const String& name);
  // "RES://name" and "FILE://path" (prefix in any case) load at once; any other URL is kept as
  // the identity, stays empty and fires OnDownLoadError once.
  void LoadFromURL(const String& url);
  void SaveToStream(TStream* stream) override;
  void WriteData(TStream* stream) { SaveToStream(stream); }
  // As LoadFromStream without the change event.
  void ReadData(TStream* stream);
  void Assign(TPersistent* source) override;
  TRasterImage ToRaster() override;
  TGraphic* NewInstance() const override { return new THTMLPicture; }

  bool Stretch() const { return FStretch; }
  void SetStretch(bool value) { FStretch = value; }
  // The GIF frame shown, from 1; a change decodes again and fires OnFrameChange.
  int Frame() const { return FFrame; }
  void SetFrame(int value);
  // Frames of a GIF; -1 for anything else.
  int FrameCount();
  // The shown frame's rectangle inside the picture (its descriptor), 0 for a still picture.
  int FrameXPos() const { return FFrameX; }
  int FrameYPos() const { return FFrameY; }
  // The shown frame's size from its descriptor when set, else the picture's size.
  int FrameWidth() const;
  int FrameHeight() const;
  // A GIF's logical screen size; 0 for anything else.
  int AnimationWidth() const { return FAnimWidth; }
  int AnimationHeight() const { return FAnimHeight; }
  // What the cache searches for.
  const String& ID() const { return FIdentity; }
  const TBytes& Bytes() const { return FBytes; }

  TNotifyEvent OnFrameChange;
  TDownloadErrorEvent OnDownLoadError;
  TDownloadCompleteEvent OnDownLoadComplete;
  TDownloadCancelEvent OnDownLoadCancel;
  TDownloadProgressEvent OnDownLoadProgress;

 private:
  void Reset();
  // Decodes the bytes at the current frame; raises the decoding messages.
  void Decode();
  TBytes FBytes;
  bool FEmpty = true;
  bool FDecoded = false;
  TRasterImage FImage;
  int FFrameCount = -1;
  int FFrame = 1;
  bool FStretch = false;
  String FIdentity;
  bool FDownloadErrorFired = false;
  int FFrameX = 0, FFrameY = 0, FFrameW = 0, FFrameH = 0;
  int FAnimWidth = 0, FAnimHeight = 0;
};

// The pictures of "://" sources, found by their URL (exactly, case counts).
class THTMLPictureCache {
 public:
  THTMLPictureCache() = default;
  THTMLPictureCache(const THTMLPictureCache&) = delete;
  THTMLPictureCache& operator=(const THTMLPictureCache&) = delete;
  THTMLPicture* AddPicture();
  THTMLPicture* FindPicture(const String& url) const;
  THTMLPicture* GetPicture(int index) const { return FItems.at(index).get(); }
  int Count() const { return static_cast<int>(FItems.size()); }
  void ClearPictures() { FItems.clear(); }

 private:
  std::vector<std::unique_ptr<THTMLPicture, TObjectFree>> FItems;
};

class TPictureItem : public TNamedPictureItem<THTMLPicture> {
 public:
  using TNamedPictureItem::TNamedPictureItem;
};

class TPictureCollection : public TNamedPictureCollection<TPictureItem> {
 public:
  using TNamedPictureCollection::TNamedPictureCollection;
};

class TPictureContainer : public TComponent {
 public:
  explicit TPictureContainer(TComponent* owner);
  ~TPictureContainer() override;
  TPictureCollection* Items() const { return FItems.get(); }
  void SetItems(TPictureCollection* value) { FItems->Assign(value); }
  String Version() const { return u"1.0.0.0"; }
  void SetVersion(const String&) {}
  // The picture of the first item named so, without regard to case; null for none.
  virtual THTMLPicture* FindPicture(const String& name);

 private:
  std::unique_ptr<TPictureCollection, TObjectFree> FItems;
};

}  // namespace PictureContainer
