// Drag and drop of text for the enhanced edit: a drop target base that reads what is dropped,
// a drop source, and the data object that carries a dragged text.
#pragma once

#include <atomic>
#include <vector>

#include "platform/rtl/StringList.h"
#include "platform/win/DragDrop.h"

namespace AdvEdDD {

// Rich text travels only while this is on; the program never switches it on.
extern bool AllowRichTextDrag;
// The registered rich-text format (0 until a dropped object was first read).
extern UINT RichTextFormat;

// Reference counting shared by the objects below: made with one reference.
template <class TInterface>
class TCounted : public TInterface {
 public:
  uint32_t AddRef() override { return ++FRefs; }
  uint32_t Release() override {
    uint32_t left = --FRefs;
    if (left == 0) delete this;
    return left;
  }

 private:
  std::atomic<uint32_t> FRefs{1};
};

// Reads a dropped data object: which formats it has, and their text or file names. An object
// that cannot list its formats counts as holding none.
class TEnumFormats {
 public:
  explicit TEnumFormats(IDataObject* data);
  ~TEnumFormats();
  TEnumFormats(const TEnumFormats&) = delete;
  TEnumFormats& operator=(const TEnumFormats&) = delete;
  bool HasFormat(UINT format);
  bool HasText() { return HasFormat(1) || HasFormat(13); }
  bool HasRichText() { return RichTextFormat != 0 && HasFormat(RichTextFormat); }
  bool HasFiles() { return HasFormat(15); }
  // The Unicode text when there is one, otherwise the 8-bit text read as UTF-8.
  String Text();
  String RichText();
  // The names a file drop carries; false when there are none.
  bool Files(TStrings* names);

 private:
  void Reset();
  HGLOBAL Handle(UINT format);
  IDataObject* FData;
  IEnumFORMATETC* FEnum = nullptr;
  FORMATETC FEntry;
  bool FValid = false;
};

// A drop target that accepts text and files and hands them to its hooks.
class TAEDropTarget : public TCounted<IDropTarget> {
 public:
  HRESULT DragEnter(IDataObject* data, DWORD keyState, TPoint screen, DWORD* effect) override;
  HRESULT DragOver(DWORD keyState, TPoint screen, DWORD* effect) override;
  HRESULT DragLeave() override { return S_OK; }
  HRESULT Drop(IDataObject* data, DWORD keyState, TPoint screen, DWORD* effect) override;

 protected:
  virtual void DropText(TPoint, const String&) {}
  virtual void DropRTF(TPoint, const String&) {}
  virtual void DropFiles(TPoint, TStrings*) {}
  virtual void DragMouseMove(TPoint, bool&) {}

 private:
  bool FAcceptable = false;
};

class TAEDropSource : public TCounted<IDropSource> {
 public:
  HRESULT QueryContinueDrag(bool escapePressed, DWORD keyState) override;
  HRESULT GiveFeedback(DWORD effect) override;
  bool LastEffectNone() const { return FNoneEffect; }

 private:
  bool FNoneEffect = false;
};

// Offers a dragged text as CF_TEXT (UTF-8) and CF_UNICODETEXT.
class TSourceDataObject : public TCounted<IDataObject> {
 public:
  TSourceDataObject(const String& text, const String& richText)
      : FText(text), FRichText(richText) {}
  HRESULT GetData(const FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT GetDataHere(const FORMATETC*, STGMEDIUM*) override { return DV_E_FORMATETC; }
  HRESULT QueryGetData(const FORMATETC* format) override;
  HRESULT GetCanonicalFormatEtc(const FORMATETC*, FORMATETC* out) override {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT SetData(const FORMATETC*, STGMEDIUM*, bool) override { return DV_E_FORMATETC; }
  HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;

 private:
  String FText;
  String FRichText;
};

class TSourceEnumFormatEtc : public TCounted<IEnumFORMATETC> {
 public:
  HRESULT Next(uint32_t count, FORMATETC* out, uint32_t* fetched) override;
  HRESULT Skip(uint32_t count) override;
  HRESULT Reset() override {
    FIndex = 0;
    return S_OK;
  }
  HRESULT Clone(IEnumFORMATETC** out) override;

 private:
  uint32_t FIndex = 0;
};

// Drops effect by the keys: copy with Ctrl, move otherwise.
DWORD EffectFor(DWORD keyState);
// Runs a drag of the text; DRAGDROP_S_CANCEL when the last feedback was "none".
HRESULT StartEditDrag(const String& text, const String& richText, DWORD allowed, DWORD& effect);

}  // namespace AdvEdDD
