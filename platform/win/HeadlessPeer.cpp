#include "platform/win/HeadlessPeer.h"

#include <algorithm>

#include "platform/win/DragFormats.h"
#include "platform/win/ForeignDrag.h"

class THeadlessPeer::TTarget : public TInterfacedObject<IDropTarget> {
 public:
  TTarget(THeadlessPeer& peer, TTargetScript script) : FPeer(peer), FScript(std::move(script)) {}
  const TTargetScript& Script() const { return FScript; }

  HRESULT DragEnter(IDataObject* data, DWORD, TPoint, DWORD* effect) override {
    FPeer.Events.push_back("enter");
    FPeer.Offered = ExportTargets(data);
    *effect = Answer(*effect);
    return S_OK;
  }
  HRESULT DragOver(DWORD, TPoint, DWORD* effect) override {
    FPeer.Events.push_back("over");
    *effect = Answer(*effect);
    return S_OK;
  }
  HRESULT DragLeave() override {
    FPeer.Events.push_back("leave");
    return S_OK;
  }
  HRESULT Drop(IDataObject* data, DWORD, TPoint, DWORD* effect) override {
    FPeer.Events.push_back("drop");
    *effect = Answer(*effect);
    if (*effect == DROPEFFECT_NONE) return S_OK;
    for (const std::string& target : FScript.Wanted) {
      std::string bytes;
      if (ExportData(data, target, bytes)) FPeer.Received[target] = bytes;
    }
    return S_OK;
  }

 private:
  DWORD Answer(DWORD offered) const {
    if (FScript.Silent) return DROPEFFECT_NONE;
    DWORD taken = offered & FScript.Accept;
    // One effect, the strongest the source allows, as a program's target answers.
    for (DWORD effect : {DROPEFFECT_MOVE, DROPEFFECT_COPY, DROPEFFECT_LINK})
      if (taken & effect) return effect;
    return DROPEFFECT_NONE;
  }

  THeadlessPeer& FPeer;
  TTargetScript FScript;
};

THeadlessPeer::THeadlessPeer() = default;

THeadlessPeer::~THeadlessPeer() {
  FDrag.reset();
  if (FTarget) FTarget->Release();
}

void THeadlessPeer::ScriptTarget(TTargetScript script) {
  if (FTarget) FTarget->Release();
  FTarget = new TTarget(*this, std::move(script));
}

IDropTarget* THeadlessPeer::TargetAt(TPoint screen) {
  if (!FTarget || !PtInRect(FTarget->Script().Area, screen)) return nullptr;
  return FTarget;
}

void THeadlessPeer::StartDrag(std::vector<TOffer> offers) {
  FDrag.reset();
  FOffers = std::move(offers);
  std::vector<std::string> targets;
  for (const TOffer& offer : FOffers) targets.push_back(offer.Target);
  auto fetch = [this](const std::string& target, std::string& bytes) {
    Fetched.push_back(target);
    for (const TOffer& offer : FOffers)
      if (offer.Target == target && !offer.Silent) {
        bytes = offer.Bytes;
        return true;
      }
    return false;
  };
  TDragRef<IDataObject> data(new TForeignDataObject(std::move(targets), fetch));
  FDrag = std::make_unique<TIncomingDrag>(data.Get());
}

DWORD THeadlessPeer::MoveTo(TPoint screen, DWORD keys, DWORD offered) {
  return FDrag ? FDrag->Over(screen, keys, offered) : DROPEFFECT_NONE;
}

DWORD THeadlessPeer::Drop(DWORD keys, DWORD offered) {
  if (!FDrag) return DROPEFFECT_NONE;
  DWORD effect = FDrag->Drop(keys, offered);
  FDrag.reset();
  return effect;
}

void THeadlessPeer::Cancel() { FDrag.reset(); }
