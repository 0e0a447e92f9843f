// Drag and drop between windows, as components use it: a window registers a drop target; a drag
// runs DoDragDrop with a data object and a drop source, which follows the pointer until the
// source says drop or cancel. The data object hands out its formats in global memory blocks or
// streams. The loop is driven by the ordinary input, so a headless test drags by injecting
// pointer moves and the button's release.
#pragma once

#include <cstdint>

#include "platform/gdi/ComStream.h"
#include "platform/win/GlobalMemory.h"
#include "platform/win/WinDefs.h"

constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFF);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
constexpr HRESULT DV_E_FORMATETC = static_cast<HRESULT>(0x80040064);
constexpr HRESULT DV_E_TYMED = static_cast<HRESULT>(0x80040069);
constexpr HRESULT OLE_E_ADVISENOTSUPPORTED = static_cast<HRESULT>(0x80040003);
constexpr HRESULT DATA_S_SAMEFORMATETC = 0x00040130;
constexpr HRESULT DRAGDROP_S_DROP = 0x00040100;
constexpr HRESULT DRAGDROP_S_CANCEL = 0x00040101;
constexpr HRESULT DRAGDROP_S_USEDEFAULTCURSORS = 0x00040102;
constexpr HRESULT DRAGDROP_E_NOTREGISTERED = static_cast<HRESULT>(0x80040100);
constexpr HRESULT DRAGDROP_E_ALREADYREGISTERED = static_cast<HRESULT>(0x80040101);
constexpr HRESULT DRAGDROP_E_INVALIDHWND = static_cast<HRESULT>(0x80040102);

constexpr DWORD DROPEFFECT_NONE = 0;
constexpr DWORD DROPEFFECT_COPY = 1;
constexpr DWORD DROPEFFECT_MOVE = 2;
constexpr DWORD DROPEFFECT_LINK = 4;
constexpr DWORD DROPEFFECT_SCROLL = 0x80000000;

constexpr DWORD TYMED_NULL = 0;
constexpr DWORD TYMED_HGLOBAL = 1;
constexpr DWORD TYMED_ISTREAM = 4;
constexpr DWORD DVASPECT_CONTENT = 1;
constexpr DWORD DATADIR_GET = 1;
constexpr DWORD DATADIR_SET = 2;

struct FORMATETC {
  UINT cfFormat = 0;
  void* ptd = nullptr;
  DWORD dwAspect = DVASPECT_CONTENT;
  int32_t lindex = -1;
  DWORD tymed = TYMED_HGLOBAL;
};

struct STGMEDIUM {
  DWORD tymed = TYMED_NULL;
  HGLOBAL hGlobal = nullptr;
  IStream* pstm = nullptr;
};
// Frees what a medium holds (the block, or a reference on the stream).
void ReleaseStgMedium(STGMEDIUM* medium);

// The reference counting every drag and drop object has: made with one reference, freed when
// the last goes.
class IDragDropObject {
 public:
  virtual uint32_t AddRef() = 0;
  virtual uint32_t Release() = 0;

 protected:
  virtual ~IDragDropObject() = default;
};

class IEnumFORMATETC : public IDragDropObject {
 public:
  virtual HRESULT Next(uint32_t count, FORMATETC* out, uint32_t* fetched) = 0;
  virtual HRESULT Skip(uint32_t count) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumFORMATETC** out) = 0;
};

class IDataObject : public IDragDropObject {
 public:
  virtual HRESULT GetData(const FORMATETC* format, STGMEDIUM* medium) = 0;
  virtual HRESULT GetDataHere(const FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }
  virtual HRESULT QueryGetData(const FORMATETC* format) = 0;
  virtual HRESULT GetCanonicalFormatEtc(const FORMATETC*, FORMATETC* out) {
    if (out) out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
  }
  virtual HRESULT SetData(const FORMATETC*, STGMEDIUM*, bool) { return E_NOTIMPL; }
  virtual HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) = 0;
  virtual HRESULT DAdvise() { return OLE_E_ADVISENOTSUPPORTED; }
  virtual HRESULT DUnadvise() { return OLE_E_ADVISENOTSUPPORTED; }
  virtual HRESULT EnumDAdvise() { return OLE_E_ADVISENOTSUPPORTED; }
};

class IDropSource : public IDragDropObject {
 public:
  // S_OK to go on, DRAGDROP_S_DROP or DRAGDROP_S_CANCEL to end; keyState holds MK_* flags.
  virtual HRESULT QueryContinueDrag(bool escapePressed, DWORD keyState) = 0;
  // DRAGDROP_S_USEDEFAULTCURSORS lets the loop show its cursor for the effect.
  virtual HRESULT GiveFeedback(DWORD effect) = 0;
};

class IDropTarget : public IDragDropObject {
 public:
  // effect comes in as the effects the source allows and goes out as the one the target takes.
  virtual HRESULT DragEnter(IDataObject* data, DWORD keyState, TPoint screen, DWORD* effect) = 0;
  virtual HRESULT DragOver(DWORD keyState, TPoint screen, DWORD* effect) = 0;
  virtual HRESULT DragLeave() = 0;
  virtual HRESULT Drop(IDataObject* data, DWORD keyState, TPoint screen, DWORD* effect) = 0;
};

// The reference counting of an interfaced object: made with one reference (the maker's), freed
// when the last goes.
template <class TInterface>
class TInterfacedObject : public TInterface {
 public:
  uint32_t AddRef() override { return ++FRefCount; }
  uint32_t Release() override {
    uint32_t left = --FRefCount;
    if (left == 0) delete this;
    return left;
  }
  uint32_t RefCount() const { return FRefCount; }

 private:
  uint32_t FRefCount = 1;
};

// Holds one reference and lets it go with the holder.
template <class T>
class TDragRef {
 public:
  TDragRef() = default;
  // Takes over a reference the caller owns (a new object, an out parameter).
  explicit TDragRef(T* owned) : FObject(owned) {}
  TDragRef(const TDragRef&) = delete;
  TDragRef& operator=(const TDragRef&) = delete;
  ~TDragRef() { Reset(); }
  void Reset(T* owned = nullptr) {
    if (FObject) FObject->Release();
    FObject = owned;
  }
  T* Get() const { return FObject; }
  T* operator->() const { return FObject; }
  explicit operator bool() const { return FObject != nullptr; }
  // For out parameters: lets go of the old reference first.
  T** Out() {
    Reset();
    return &FObject;
  }

 private:
  T* FObject = nullptr;
};

HRESULT OleInitialize(void* reserved);
void OleUninitialize();
// The window's target holds a reference until RevokeDragDrop (or the window goes).
HRESULT RegisterDragDrop(HWND window, IDropTarget* target);
HRESULT RevokeDragDrop(HWND window);
// Runs the drag until the source ends it; answers DRAGDROP_S_DROP with the effect the target
// took, or DRAGDROP_S_CANCEL with DROPEFFECT_NONE.
HRESULT DoDragDrop(IDataObject* data, IDropSource* source, DWORD okEffects, DWORD* effect);
