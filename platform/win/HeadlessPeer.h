// Another program on the headless desktop, as far as drag and drop goes, played by the test
// script. As a drop target it covers a screen area outside our windows, takes the effect it is
// scripted to take and fetches the targets it is scripted to want; as a drag source it offers
// targets with scripted bytes and moves and drops over our windows. Both sides speak in the
// format table's target names, so a drag through the peer crosses the same conversions as one
// between programs on X.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/win/DragDrop.h"

class TIncomingDrag;

class THeadlessPeer {
 public:
  THeadlessPeer();
  ~THeadlessPeer();

  // --- The peer as a drop target ---
  struct TTargetScript {
    TRect Area;                       // screen area of its window
    DWORD Accept = DROPEFFECT_COPY;   // the effects it takes (of those offered)
    std::vector<std::string> Wanted;  // the targets it fetches on a drop
    bool Silent = false;              // never answers: takes nothing
  };
  void ScriptTarget(TTargetScript script);
  // The target under a screen point (the back end's seam).
  IDropTarget* TargetAt(TPoint screen);
  // What it saw: "enter", "over", "leave", "drop" in order; the targets offered at the last
  // enter; the bytes of each wanted target it received.
  std::vector<std::string> Events;
  std::vector<std::string> Offered;
  std::map<std::string, std::string> Received;

  // --- The peer as a drag source ---
  // Starts a drag of these targets. A target scripted without bytes (nullopt-like: Silent)
  // never answers a fetch.
  struct TOffer {
    std::string Target;
    std::string Bytes;
    bool Silent = false;
  };
  void StartDrag(std::vector<TOffer> offers);
  // The pointer moves over our windows with the keys (MK_*) held; answers the effect our side
  // takes of those offered.
  DWORD MoveTo(TPoint screen, DWORD keys = 0, DWORD offered = DROPEFFECT_COPY);
  DWORD Drop(DWORD keys = 0, DWORD offered = DROPEFFECT_COPY);
  void Cancel();
  // The targets our side fetched, in order.
  std::vector<std::string> Fetched;

 private:
  class TTarget;
  TTarget* FTarget = nullptr;
  std::unique_ptr<TIncomingDrag> FDrag;
  std::vector<TOffer> FOffers;
};
