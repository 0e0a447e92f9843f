// Drag and drop with other clients of the X server (XDND, version 5). Our top-level windows are
// XdndAware: another client's drag over one of them reaches the registered drop targets through
// TIncomingDrag, with a data object that converts XdndSelection when asked. Our own drag, over a
// window of another client, speaks to it through a drop target object of the drag loop: it owns
// XdndSelection, sends enter, position, leave and drop, and serves the conversions. Another
// client is never waited for longer than the transfer time-out, so a drag never hangs.
#include <poll.h>

#include <algorithm>

#include "platform/rtl/TickCount.h"
#include "platform/rtl/UnicodeText.h"
#include "platform/win/DragFormats.h"
#include "platform/win/Messages.h"
#include "platform/win/WinApi.h"
#include "platform/win/WindowSystem.h"

#include "platform/win/X11Connection.h"

namespace {

constexpr long XdndVersion = 5;
constexpr uint64_t AnswerTimeout = 3000;

Time ServerTime(const TX11Connection& x) { return x.LastTime ? x.LastTime : CurrentTime; }

std::string AtomName(Display* dpy, Atom atom) {
  char* name = atom ? XGetAtomName(dpy, atom) : nullptr;
  if (!name) return {};
  std::string result = name;
  XFree(name);
  return result;
}

DWORD EffectOfAction(const TX11DragState& d, Atom action) {
  if (action == d.ActionMove) return DROPEFFECT_MOVE;
  if (action == d.ActionLink) return DROPEFFECT_LINK;
  return DROPEFFECT_COPY;  // copy, and the actions we do not know ("ask", private ones)
}

Atom ActionOfEffect(const TX11DragState& d, DWORD effect) {
  if (effect & DROPEFFECT_MOVE) return d.ActionMove;
  if (effect & DROPEFFECT_COPY) return d.ActionCopy;
  if (effect & DROPEFFECT_LINK) return d.ActionLink;
  return None;
}

// The pointer's buttons and modifiers as the server has them now.
DWORD ServerKeyState(TX11Connection& x) {
  Window root = 0, child = 0;
  int rootX = 0, rootY = 0, winX = 0, winY = 0;
  unsigned mask = 0;
  if (!XQueryPointer(x.Dpy, x.Root, &root, &child, &rootX, &rootY, &winX, &winY, &mask)) return 0;
  DWORD keys = 0;
  if (mask & Button1Mask) keys |= MK_LBUTTON;
  if (mask & Button2Mask) keys |= MK_MBUTTON;
  if (mask & Button3Mask) keys |= MK_RBUTTON;
  if (mask & ShiftMask) keys |= MK_SHIFT;
  if (mask & ControlMask) keys |= MK_CONTROL;
  return keys;
}

void SendClientMessage(TX11Connection& x, Window to, Window window, Atom type,
                       std::initializer_list<long> data) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.display = x.Dpy;
  event.xclient.window = window;
  event.xclient.message_type = type;
  event.xclient.format = 32;
  int i = 0;
  for (long value : data) event.xclient.data.l[i++] = value;
  XSendEvent(x.Dpy, to, False, NoEventMask, &event);
  XFlush(x.Dpy);
}

// --- Serving our drag's data ---

void ServeDrag(TX11Connection& x, const XSelectionRequestEvent& request) {
  XSelectionEvent reply = SelectionReplyTo(x, request);
  Atom property = RequestProperty(request);
  if (IDataObject* data = x.Dnd.OutData) {
    if (request.target == x.Targets) {
      std::vector<Atom> list{x.Targets};
      for (const std::string& name : ExportTargets(data))
        list.push_back(XInternAtom(x.Dpy, name.c_str(), False));
      XChangeProperty(x.Dpy, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(list.data()),
                      static_cast<int>(list.size()));
      reply.property = property;
    } else {
      std::string bytes;
      size_t limit = MaxPropertyBytes(x);
      if (ExportData(data, AtomName(x.Dpy, request.target), bytes) && bytes.size() <= limit) {
        XChangeProperty(x.Dpy, request.requestor, property, request.target, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(bytes.data()),
                        static_cast<int>(bytes.size()));
        reply.property = property;
      }
    }
  }
  XSendEvent(x.Dpy, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
  XFlush(x.Dpy);
}

struct TWaitFor {
  TX11Connection* X;
  Atom Type;
  Window From;
};

// An answer names the target's window in its first field.
Bool IsAnswerOrRequest(Display*, XEvent* event, XPointer arg) {
  auto* wait = reinterpret_cast<TWaitFor*>(arg);
  if (event->type == SelectionRequest)
    return event->xselectionrequest.selection == wait->X->Dnd.Selection;
  return event->type == ClientMessage && event->xclient.message_type == wait->Type &&
         static_cast<Window>(event->xclient.data.l[0]) == wait->From;
}

// Waits for the target's answer of a type, serving the conversions it asks for meanwhile;
// false when none comes in time.
bool WaitForAnswer(TX11Connection& x, Window from, Atom type, XEvent& answer) {
  TWaitFor wait{&x, type, from};
  uint64_t end = GetTickCount64() + AnswerTimeout;
  for (;;) {
    while (XCheckIfEvent(x.Dpy, &answer, IsAnswerOrRequest, reinterpret_cast<XPointer>(&wait))) {
      if (answer.type == ClientMessage) return true;
      ServeDrag(x, answer.xselectionrequest);
    }
    uint64_t now = GetTickCount64();
    if (now >= end) return false;
    pollfd fd{ConnectionNumber(x.Dpy), POLLIN, 0};
    poll(&fd, 1, static_cast<int>(std::min<uint64_t>(end - now, 50)));
  }
}

// --- Our drag over another client's window ---

class TXdndTarget : public TInterfacedObject<IDropTarget> {
 public:
  TXdndTarget(TX11Connection& x, Window target, Window sendTo, long version)
      : FX(x), FTarget(target), FSendTo(sendTo), FVersion(version) {}

  Window Target() const { return FTarget; }

  HRESULT DragEnter(IDataObject* data, DWORD keys, TPoint pt, DWORD* effect) override {
    TX11DragState& d = FX.Dnd;
    if (d.OutData) d.OutData->Release();
    d.OutData = data;
    data->AddRef();
    Time now = ServerTime(FX);
    XSetSelectionOwner(FX.Dpy, d.Selection, FX.Clip.Wnd, now);
    std::vector<Atom> types;
    for (const std::string& name : ExportTargets(data))
      types.push_back(XInternAtom(FX.Dpy, name.c_str(), False));
    bool more = types.size() > 3;
    if (more)
      XChangeProperty(FX.Dpy, FX.Clip.Wnd, d.TypeList, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(types.data()),
                      static_cast<int>(types.size()));
    types.resize(3, None);
    SendClientMessage(
        FX, FSendTo, FTarget, d.Enter,
        {static_cast<long>(FX.Clip.Wnd), (FVersion << 24) | (more ? 1 : 0),
         static_cast<long>(types[0]), static_cast<long>(types[1]), static_cast<long>(types[2])});
    *effect = Position(keys, pt, *effect);
    return S_OK;
  }
  HRESULT DragOver(DWORD keys, TPoint pt, DWORD* effect) override {
    *effect = Position(keys, pt, *effect);
    return S_OK;
  }
  HRESULT DragLeave() override {
    SendClientMessage(FX, FSendTo, FTarget, FX.Dnd.Leave, {static_cast<long>(FX.Clip.Wnd)});
    return S_OK;
  }
  HRESULT Drop(IDataObject*, DWORD, TPoint, DWORD* effect) override {
    TX11DragState& d = FX.Dnd;
    SendClientMessage(FX, FSendTo, FTarget, d.Drop,
                      {static_cast<long>(FX.Clip.Wnd), 0, static_cast<long>(ServerTime(FX))});
    XEvent answer;
    if (FSilent || !WaitForAnswer(FX, FTarget, d.Finished, answer)) {
      // The target took the drop and never said how: what it last accepted stands.
      *effect = FLastEffect;
      return S_OK;
    }
    bool accepted = FVersion < 5 || (answer.xclient.data.l[1] & 1);
    Atom action = static_cast<Atom>(answer.xclient.data.l[2]);
    *effect = !accepted                 ? DROPEFFECT_NONE
              : FVersion >= 5 && action ? EffectOfAction(d, action)
                                        : FLastEffect;
    return S_OK;
  }

 private:
  DWORD Position(DWORD keys, TPoint pt, DWORD allowed) {
    TX11DragState& d = FX.Dnd;
    // Ctrl asks for a copy; otherwise a move when the source allows one.
    DWORD wanted = (keys & MK_CONTROL) || !(allowed & DROPEFFECT_MOVE)
                       ? (allowed & DROPEFFECT_COPY ? DROPEFFECT_COPY : allowed)
                       : DROPEFFECT_MOVE;
    SendClientMessage(
        FX, FSendTo, FTarget, d.Position,
        {static_cast<long>(FX.Clip.Wnd), 0, (static_cast<long>(pt.X) << 16) | (pt.Y & 0xFFFF),
         static_cast<long>(ServerTime(FX)), static_cast<long>(ActionOfEffect(d, wanted))});
    XEvent answer;
    if (FSilent || !WaitForAnswer(FX, FTarget, d.Reply, answer)) {
      // A target that does not answer gets no more waits: the drag goes on without it.
      FSilent = true;
      FLastEffect = DROPEFFECT_NONE;
      return FLastEffect;
    }
    bool accepted = answer.xclient.data.l[1] & 1;
    Atom action = static_cast<Atom>(answer.xclient.data.l[4]);
    FLastEffect =
        accepted ? (FVersion >= 2 && action ? EffectOfAction(d, action) : wanted) : DROPEFFECT_NONE;
    return FLastEffect & allowed;
  }

  TX11Connection& FX;
  Window FTarget;
  Window FSendTo;
  long FVersion;
  bool FSilent = false;
  DWORD FLastEffect = DROPEFFECT_NONE;
};

// The XDND version a window speaks (0 when it is not aware).
long AwareVersion(TX11Connection& x, Window window) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  long version = 0;
  if (XGetWindowProperty(x.Dpy, window, x.Dnd.Aware, 0, 1, False, XA_ATOM, &type, &format, &count,
                         &after, &data) == Success &&
      data && format == 32 && count == 1)
    version = *reinterpret_cast<const long*>(data);
  if (data) XFree(data);
  return version >= 3 ? std::min(version, XdndVersion) : 0;
}

Window ProxyOf(TX11Connection& x, Window window) {
  auto read = [&](Window w) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    Window proxy = None;
    if (XGetWindowProperty(x.Dpy, w, x.Dnd.Proxy, 0, 1, False, XA_WINDOW, &type, &format, &count,
                           &after, &data) == Success &&
        data && format == 32 && count == 1)
      proxy = static_cast<Window>(*reinterpret_cast<const long*>(data));
    if (data) XFree(data);
    return proxy;
  };
  Window proxy = read(window);
  // A proxy counts only when it names itself as its own proxy (a stale one does not).
  return proxy != None && read(proxy) == proxy ? proxy : window;
}

// --- Another client's drag over our windows ---

TPoint LayerPointOf(TX11Connection& x, TX11Window* window, long packed) {
  int rootX = static_cast<int>((packed >> 16) & 0xFFFF);
  int rootY = static_cast<int>(packed & 0xFFFF);
  int localX = 0, localY = 0;
  Window child = 0;
  XTranslateCoordinates(x.Dpy, x.Root, window->XId(), rootX, rootY, &localX, &localY, &child);
  return window->ToScreen(localX, localY);
}

std::vector<std::string> OfferedTypes(TX11Connection& x, const XClientMessageEvent& enter) {
  std::vector<Atom> atoms;
  if (enter.data.l[1] & 1) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(x.Dpy, static_cast<Window>(enter.data.l[0]), x.Dnd.TypeList, 0, 256,
                           False, XA_ATOM, &type, &format, &count, &after, &data) == Success &&
        data && format == 32)
      atoms.assign(reinterpret_cast<const Atom*>(data),
                   reinterpret_cast<const Atom*>(data) + count);
    if (data) XFree(data);
  } else {
    for (int i = 2; i < 5; ++i)
      if (enter.data.l[i]) atoms.push_back(static_cast<Atom>(enter.data.l[i]));
  }
  std::vector<std::string> names;
  for (Atom atom : atoms) {
    std::string name = AtomName(x.Dpy, atom);
    if (!name.empty()) names.push_back(std::move(name));
  }
  return names;
}

void IncomingEnter(TX11Connection& x, const XClientMessageEvent& message) {
  TX11DragState& d = x.Dnd;
  d.In.reset();
  long version = (message.data.l[1] >> 24) & 0xFF;
  if (version < 3) return;
  d.InSource = static_cast<Window>(message.data.l[0]);
  d.InWindow = message.window;
  d.InOffered = DROPEFFECT_COPY;
  auto fetch = [&x](const std::string& target, std::string& bytes) {
    Atom type = None;
    return FetchSelection(x, x.Dnd.Selection, XInternAtom(x.Dpy, target.c_str(), False),
                          ServerTime(x), bytes, type);
  };
  TDragRef<IDataObject> data(new TForeignDataObject(OfferedTypes(x, message), fetch));
  d.In = std::make_unique<TIncomingDrag>(data.Get());
}

void IncomingPosition(TX11Connection& x, const XClientMessageEvent& message) {
  TX11DragState& d = x.Dnd;
  TX11Window* window = x.WindowOf(message.window);
  if (!d.In || !window || static_cast<Window>(message.data.l[0]) != d.InSource) return;
  if (message.data.l[3]) x.LastTime = static_cast<Time>(message.data.l[3]);
  d.InOffered = EffectOfAction(d, static_cast<Atom>(message.data.l[4]));
  TPoint at = LayerPointOf(x, window, message.data.l[2]);
  DWORD effect = d.In->Over(at, ServerKeyState(x), d.InOffered);
  // Bit 1: send every position, as any move may cross from one control to another.
  SendClientMessage(x, d.InSource, message.window, d.Reply,
                    {static_cast<long>(message.window), (effect ? 1 : 0) | 2, 0, 0,
                     static_cast<long>(ActionOfEffect(d, effect))});
}

void IncomingDrop(TX11Connection& x, const XClientMessageEvent& message) {
  TX11DragState& d = x.Dnd;
  if (!d.In || static_cast<Window>(message.data.l[0]) != d.InSource) return;
  if (message.data.l[2]) x.LastTime = static_cast<Time>(message.data.l[2]);
  std::unique_ptr<TIncomingDrag> drag = std::move(d.In);
  DWORD effect = drag->Drop(ServerKeyState(x), d.InOffered);
  drag.reset();
  SendClientMessage(x, d.InSource, message.window, d.Finished,
                    {static_cast<long>(message.window), effect ? 1 : 0,
                     static_cast<long>(ActionOfEffect(d, effect))});
  d.InSource = 0;
}

}  // namespace

void StartDragDrop(TX11Connection& x) {
  auto atom = [&](const char* name) { return XInternAtom(x.Dpy, name, False); };
  TX11DragState& d = x.Dnd;
  d.Aware = atom("XdndAware");
  d.Enter = atom("XdndEnter");
  d.Position = atom("XdndPosition");
  d.Reply = atom("XdndStatus");
  d.Leave = atom("XdndLeave");
  d.Drop = atom("XdndDrop");
  d.Finished = atom("XdndFinished");
  d.Selection = atom("XdndSelection");
  d.TypeList = atom("XdndTypeList");
  d.Proxy = atom("XdndProxy");
  d.ActionCopy = atom("XdndActionCopy");
  d.ActionMove = atom("XdndActionMove");
  d.ActionLink = atom("XdndActionLink");
}

void StopDragDrop(TX11Connection& x) {
  TX11DragState& d = x.Dnd;
  d.In.reset();
  if (d.OutTarget) d.OutTarget->Release();
  d.OutTarget = nullptr;
  if (d.OutData) d.OutData->Release();
  d.OutData = nullptr;
}

void MakeXdndAware(TX11Connection& x, Window window) {
  Atom version = XdndVersion;
  XChangeProperty(x.Dpy, window, x.Dnd.Aware, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&version), 1);
}

bool HandleDragEvent(TX11Connection& x, XEvent& event) {
  TX11DragState& d = x.Dnd;
  if (event.type == SelectionRequest && event.xselectionrequest.selection == d.Selection) {
    ServeDrag(x, event.xselectionrequest);
    return true;
  }
  if (event.type == SelectionClear && event.xselectionclear.selection == d.Selection) {
    if (d.OutData) d.OutData->Release();
    d.OutData = nullptr;
    return true;
  }
  if (event.type != ClientMessage || event.xclient.format != 32) return false;
  const XClientMessageEvent& message = event.xclient;
  if (message.message_type == d.Enter) {
    IncomingEnter(x, message);
  } else if (message.message_type == d.Position) {
    IncomingPosition(x, message);
  } else if (message.message_type == d.Leave) {
    if (static_cast<Window>(message.data.l[0]) == d.InSource) d.In.reset();
  } else if (message.message_type == d.Drop) {
    IncomingDrop(x, message);
  } else if (message.message_type == d.Reply || message.message_type == d.Finished) {
    // A late answer to a drag of ours that has stopped waiting.
  } else {
    return false;
  }
  x.Fed = true;
  return true;
}

IDropTarget* XdndTargetAt(TX11Connection& x, TPoint root) {
  TX11DragState& d = x.Dnd;
  Window found = None;
  long version = 0;
  Window parent = x.Root;
  for (int depth = 0; depth < 16; ++depth) {
    int localX = 0, localY = 0;
    Window child = None;
    if (!XTranslateCoordinates(x.Dpy, x.Root, parent, root.X, root.Y, &localX, &localY, &child) ||
        child == None)
      break;
    if ((version = AwareVersion(x, child)) != 0) {
      found = child;
      break;
    }
    parent = child;
  }
  if (found == None || x.WindowOf(found)) return nullptr;
  if (d.OutTarget && d.OutWindow == found) return d.OutTarget;
  if (d.OutTarget) d.OutTarget->Release();
  d.OutTarget = new TXdndTarget(x, found, ProxyOf(x, found), version);
  d.OutWindow = found;
  return d.OutTarget;
}
