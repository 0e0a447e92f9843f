// Drags that cross to or from another program, in the back ends' common terms: a data object
// over what another program offers (fetched target by target when first asked for), a list
// enumerator of formats, and the course of another program's drag over our windows, which a back
// end reports and which reaches the registered drop targets as our own drags do.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/win/DragDrop.h"

// An enumerator over a fixed list of formats.
class TFormatEtcList : public TInterfacedObject<IEnumFORMATETC> {
 public:
  explicit TFormatEtcList(std::vector<FORMATETC> formats, size_t position = 0)
      : FFormats(std::move(formats)), FPosition(position) {}
  HRESULT Next(uint32_t count, FORMATETC* out, uint32_t* fetched) override;
  HRESULT Skip(uint32_t count) override;
  HRESULT Reset() override;
  HRESULT Clone(IEnumFORMATETC** out) override;

 protected:
  std::vector<FORMATETC> FFormats;
  size_t FPosition = 0;
};

// Fetches the bytes of one target from the other program; false when it refuses or does not
// answer in time.
using TForeignFetch = std::function<bool(const std::string& target, std::string& bytes)>;

// What another program drags: its targets (the format table's names), turned into the
// platform's formats. Each target is fetched once, when first needed; a transfer larger than
// MaxForeignTransfer reads as none. A URI list is fetched when the formats are first listed, as
// whether it holds files or links decides them.
class TForeignDataObject : public TInterfacedObject<IDataObject> {
 public:
  TForeignDataObject(std::vector<std::string> targets, TForeignFetch fetch);
  HRESULT GetData(const FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT QueryGetData(const FORMATETC* format) override;
  HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;
  const std::vector<std::string>& Targets() const { return FTargets; }

 private:
  bool Fetch(const std::string& target, std::string& bytes);
  bool Offers(const std::string& target) const;
  // The UTF-8 text: of a text target, else the links of a URI list.
  bool Text(std::string& utf8);
  const std::vector<UINT>& Formats();

  std::vector<std::string> FTargets;
  TForeignFetch FFetch;
  std::map<std::string, std::string> FFetched;
  std::map<std::string, bool> FAnswered;
  std::vector<UINT> FFormats;
  bool FFormatsKnown = false;
};

// Another program's drag over our windows: the registered target under the pointer (a window's
// or its nearest ancestor's) gets DragEnter, DragOver and DragLeave as the pointer moves, and
// Drop at the end.
class TIncomingDrag {
 public:
  explicit TIncomingDrag(IDataObject* data);
  ~TIncomingDrag();
  TIncomingDrag(const TIncomingDrag&) = delete;
  TIncomingDrag& operator=(const TIncomingDrag&) = delete;

  // The pointer is at the screen point with the keys (MK_*) held, and the other program offers
  // these effects; answers the effect the target under it takes.
  DWORD Over(TPoint screen, DWORD keys, DWORD offered);
  void Leave();
  // The drop where the pointer was last; answers the effect the target took (DROPEFFECT_NONE
  // when nothing took it).
  DWORD Drop(DWORD keys, DWORD offered);
  IDataObject* Data() const { return FData; }

 private:
  IDataObject* FData;
  IDropTarget* FTarget = nullptr;
  DWORD FEffect = DROPEFFECT_NONE;
  TPoint FPos;
};
