// The clipboard on X: the program's clipboard stays the window layer's; this keeps it and the
// CLIPBOARD selection the same. What the program puts on its clipboard is offered on the
// selection (text as UTF-8, the program's named formats as targets of their own name); when
// another client takes the selection, its content is copied into the program's clipboard at once,
// so a paste finds it there.
#include <poll.h>

#include <algorithm>

#include "platform/rtl/TextCompare.h"
#include "platform/rtl/TickCount.h"
#include "platform/rtl/UnicodeText.h"
#include "platform/win/Clipboard.h"
#include "platform/win/DragFormats.h"
#include "platform/win/GlobalMemory.h"
#include "platform/win/WinApi.h"
#include "platform/win/WindowSystem.h"

#include "platform/win/X11Connection.h"
#include <X11/extensions/Xfixes.h>

namespace {

// How long another client may take to hand over its data.
constexpr uint64_t TransferTimeout = 3000;

Time ServerTime(const TX11Connection& x) { return x.LastTime ? x.LastTime : CurrentTime; }

// Waits for an event the predicate picks; false when none comes in time.
bool WaitForEvent(TX11Connection& x, XEvent& found, Bool (*pick)(Display*, XEvent*, XPointer),
                  TX11Connection* arg) {
  uint64_t end = GetTickCount64() + TransferTimeout;
  for (;;) {
    if (XCheckIfEvent(x.Dpy, &found, pick, reinterpret_cast<XPointer>(arg))) return true;
    uint64_t now = GetTickCount64();
    if (now >= end) return false;
    pollfd fd{ConnectionNumber(x.Dpy), POLLIN, 0};
    poll(&fd, 1, static_cast<int>(std::min<uint64_t>(end - now, 50)));
  }
}

Bool IsSelectionReply(Display*, XEvent* event, XPointer arg) {
  auto* x = reinterpret_cast<TX11Connection*>(arg);
  return event->type == SelectionNotify && event->xselection.requestor == x->Clip.Wnd;
}

Bool IsNewChunk(Display*, XEvent* event, XPointer arg) {
  auto* x = reinterpret_cast<TX11Connection*>(arg);
  return event->type == PropertyNotify && event->xproperty.window == x->Clip.Wnd &&
         event->xproperty.atom == x->ClipProperty && event->xproperty.state == PropertyNewValue;
}

// Reads and deletes the transfer property; false when there is none.
bool TakeProperty(TX11Connection& x, std::string& bytes, Atom& type) {
  bytes.clear();
  type = None;
  long offset = 0;
  for (;;) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(x.Dpy, x.Clip.Wnd, x.ClipProperty, offset, 65536, False,
                           AnyPropertyType, &actualType, &format, &count, &after,
                           &data) != Success)
      return false;
    type = actualType;
    // Xlib hands 32-bit items over as longs.
    size_t unit = format == 32 ? sizeof(long) : static_cast<size_t>(format / 8);
    if (data) {
      bytes.append(reinterpret_cast<const char*>(data), count * unit);
      XFree(data);
    }
    if (bytes.size() > MaxForeignTransfer) {
      XDeleteProperty(x.Dpy, x.Clip.Wnd, x.ClipProperty);
      return false;
    }
    if (!after || actualType == None) break;
    offset += static_cast<long>(count * static_cast<unsigned long>(format / 8) / 4);
  }
  XDeleteProperty(x.Dpy, x.Clip.Wnd, x.ClipProperty);
  return type != None;
}

}  // namespace

XSelectionEvent SelectionReplyTo(TX11Connection& x, const XSelectionRequestEvent& request) {
  XSelectionEvent reply{};
  reply.type = SelectionNotify;
  reply.display = x.Dpy;
  reply.requestor = request.requestor;
  reply.selection = request.selection;
  reply.target = request.target;
  reply.time = request.time;
  reply.property = None;
  return reply;
}

// Old clients name no property: the target's name serves.
Atom RequestProperty(const XSelectionRequestEvent& request) {
  return request.property != None ? request.property : request.target;
}

size_t MaxPropertyBytes(TX11Connection& x) {
  return static_cast<size_t>(std::max(XExtendedMaxRequestSize(x.Dpy), XMaxRequestSize(x.Dpy))) *
             4 -
         256;
}

bool FetchSelection(TX11Connection& x, Atom selection, Atom target, Time time,
                    std::string& bytes, Atom& type) {
  XDeleteProperty(x.Dpy, x.Clip.Wnd, x.ClipProperty);
  XConvertSelection(x.Dpy, selection, target, x.ClipProperty, x.Clip.Wnd, time);
  XEvent reply;
  if (!WaitForEvent(x, reply, IsSelectionReply, &x) || reply.xselection.property == None)
    return false;
  if (!TakeProperty(x, bytes, type)) return false;
  if (type != x.Incr) return true;
  // A large transfer comes in pieces: each piece is a new value of the property, and an empty
  // one ends it. Deleting the property (done above) asks for the next.
  std::string whole;
  for (;;) {
    XEvent chunk;
    if (!WaitForEvent(x, chunk, IsNewChunk, &x)) return false;
    std::string piece;
    if (!TakeProperty(x, piece, type)) continue;  // an old notice of a property since deleted
    if (piece.empty()) break;
    whole += piece;
    // Another client's data are not trusted to end: past the cap they are refused whole.
    if (whole.size() > MaxForeignTransfer) return false;
  }
  bytes = std::move(whole);
  return true;
}

namespace {

// Asks the clipboard's owner for one target; false when it refuses or does not answer.
bool Fetch(TX11Connection& x, Atom target, std::string& bytes, Atom& type) {
  return FetchSelection(x, x.Clipboard, target, ServerTime(x), bytes, type);
}

std::vector<Atom> AtomsOf(const std::string& bytes) {
  std::vector<Atom> atoms(bytes.size() / sizeof(Atom));
  std::copy_n(bytes.data(), atoms.size() * sizeof(Atom), reinterpret_cast<char*>(atoms.data()));
  return atoms;
}

String AtomName(Display* dpy, Atom atom) {
  char* name = XGetAtomName(dpy, atom);
  if (!name) return String();
  String result = UTF8ToString(name);
  XFree(name);
  return result;
}

String Latin1ToString(const std::string& bytes) {
  String text;
  for (char c : bytes) text += static_cast<char16_t>(static_cast<unsigned char>(c));
  return text;
}

std::string StringToLatin1(const std::string& utf8) {
  std::string latin1;
  for (char16_t c : UTF8ToString(utf8)) latin1 += c < 0x100 ? static_cast<char>(c) : '?';
  return latin1;
}

// Copies the selection of another client into the program's clipboard.
void Import(TX11Connection& x) {
  Window owner = XGetSelectionOwner(x.Dpy, x.Clipboard);
  if (owner == None || owner == x.Clip.Wnd) return;
  if (WindowSystem().Clipboard.Open) {
    x.Clip.ImportPending = true;
    return;
  }
  x.Clip.ImportPending = false;
  x.Clip.Owned = false;
  std::string bytes;
  Atom type = None;
  std::vector<Atom> targets;
  if (Fetch(x, x.Targets, bytes, type)) targets = AtomsOf(bytes);
  auto offered = [&](Atom a) {
    return targets.empty() || std::find(targets.begin(), targets.end(), a) != targets.end();
  };
  String text;
  bool hasText = false;
  // The table's text targets, then the old Latin-1 one.
  std::vector<Atom> textTargets;
  for (const std::string& name : ForeignTextTargets())
    textTargets.push_back(XInternAtom(x.Dpy, name.c_str(), False));
  textTargets.push_back(XA_STRING);
  for (Atom target : textTargets) {
    if (!offered(target) || !Fetch(x, target, bytes, type)) continue;
    while (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
    text = target == XA_STRING ? Latin1ToString(bytes) : UTF8ToString(bytes);
    hasText = true;
    break;
  }
  std::vector<std::pair<UINT, std::string>> formats;
  for (Atom target : targets) {
    AnsiString name = UTF8Encode(AtomName(x.Dpy, target));
    bool rtf = name == TargetRtf;
    UINT format = rtf ? RegisterClipboardFormat(CFSTR_RTF) : FormatOfNamedTarget(name);
    if (!format || !Fetch(x, target, bytes, type) || bytes.empty()) continue;
    if (rtf) bytes.push_back('\0');  // the program's RTF is zero-terminated
    formats.emplace_back(format, bytes);
  }
  // What the other client holds replaces the program's clipboard, even when none of it is a
  // kind the program reads: a paste must not bring back something copied earlier.
  if (!OpenClipboard(nullptr)) {
    x.Clip.ImportPending = true;
    return;
  }
  EmptyClipboard();
  if (hasText) {
    HGLOBAL block = GlobalFromBytes(text.c_str(), (text.size() + 1) * sizeof(char16_t));
    if (!SetClipboardData(CF_UNICODETEXT, block)) GlobalFree(block);
  }
  for (auto& [format, data] : formats) {
    HGLOBAL block = GlobalFromBytes(data.data(), data.size());
    if (!SetClipboardData(format, block)) GlobalFree(block);
  }
  CloseClipboard();
  x.Clip.KnownSequence = GetClipboardSequenceNumber();
  x.Fed = true;
}

// Copies what the program put on its clipboard, to be handed out on request.
void TakeSnapshot(TX11Connection& x) {
  x.Clip.HasText = false;
  x.Clip.Text.clear();
  x.Clip.Formats.clear();
  if (!OpenClipboard(nullptr)) return;
  if (HGLOBAL wide = GetClipboardData(CF_UNICODETEXT)) {
    const auto* chars = static_cast<const char16_t*>(GlobalLock(wide));
    size_t count = GlobalSize(wide) / sizeof(char16_t);
    x.Clip.Text = UTF8Encode(std::u16string_view(chars, std::find(chars, chars + count, u'\0') -
                                                            chars));
    GlobalUnlock(wide);
    x.Clip.HasText = true;
  }
  for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format)) {
    if (format < WM_REGISTERED_FIRST) continue;
    std::vector<std::string> names = ForeignTargetsOf(format);
    HGLOBAL block = GetClipboardData(format);
    // A file or link list would need the URI form: the clipboard bridge carries neither.
    if (names.empty() || names.front() == TargetUriList || !block) continue;
    AnsiString name = names.front();
    const auto* data = static_cast<const char*>(GlobalLock(block));
    std::string bytes(data, GlobalSize(block));
    if (name == TargetRtf) bytes.resize(std::min(bytes.size(), bytes.find('\0')));
    x.Clip.Formats.emplace_back(XInternAtom(x.Dpy, name.c_str(), False), std::move(bytes));
    GlobalUnlock(block);
  }
  CloseClipboard();
}

void Serve(TX11Connection& x, const XSelectionRequestEvent& request) {
  XSelectionEvent reply = SelectionReplyTo(x, request);
  Atom property = RequestProperty(request);
  size_t limit = MaxPropertyBytes(x);
  auto put = [&](const std::string& bytes, Atom type) {
    // Too big for one request: refused rather than cut short.
    if (bytes.size() > limit) return;
    XChangeProperty(x.Dpy, request.requestor, property, type, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(bytes.data()),
                    static_cast<int>(bytes.size()));
    reply.property = property;
  };
  bool ours = request.selection == x.Clipboard && x.Clip.Owned &&
              (request.time == CurrentTime || request.time >= x.Clip.OwnedSince);
  if (ours) {
    Atom target = request.target;
    if (target == x.Targets) {
      std::vector<Atom> list{x.Targets};
      if (x.Clip.HasText)
        list.insert(list.end(),
                    {x.Utf8String, x.TextPlainUtf8, x.TextPlain, x.TextAtom, XA_STRING});
      for (auto& [atom, bytes] : x.Clip.Formats) list.push_back(atom);
      XChangeProperty(x.Dpy, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(list.data()),
                      static_cast<int>(list.size()));
      reply.property = property;
    } else if (x.Clip.HasText && (target == x.Utf8String || target == x.TextPlainUtf8 ||
                                  target == x.TextPlain || target == x.TextAtom)) {
      put(x.Clip.Text, target == x.TextAtom ? x.Utf8String : target);
    } else if (x.Clip.HasText && target == XA_STRING) {
      put(StringToLatin1(x.Clip.Text), XA_STRING);
    } else {
      for (auto& [atom, bytes] : x.Clip.Formats)
        if (atom == target) put(bytes, atom);
    }
  }
  XSendEvent(x.Dpy, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
}

}  // namespace

void StartClipboard(TX11Connection& x) {
  x.Clip.Wnd = XCreateSimpleWindow(x.Dpy, x.Root, -10, -10, 1, 1, 0, 0, 0);
  XSelectInput(x.Dpy, x.Clip.Wnd, PropertyChangeMask);
  int errorBase = 0;
  x.HasXFixes = XFixesQueryExtension(x.Dpy, &x.XFixesEventBase, &errorBase);
  if (x.HasXFixes)
    XFixesSelectSelectionInput(x.Dpy, x.Clip.Wnd, x.Clipboard,
                               XFixesSetSelectionOwnerNotifyMask);
  // What another client holds at start is the clipboard's content too.
  x.Clip.ImportPending = true;
}

void SyncClipboardOut(TX11Connection& x) {
  TClipboardState& clipboard = WindowSystem().Clipboard;
  if (clipboard.Open) return;
  if (x.Clip.ImportPending) {
    x.Clip.ImportPending = false;
    x.Clip.KnownSequence = clipboard.Sequence;
    Import(x);
    return;
  }
  if (clipboard.Sequence == x.Clip.KnownSequence) return;
  x.Clip.KnownSequence = clipboard.Sequence;
  TakeSnapshot(x);
  if (!x.Clip.HasText && x.Clip.Formats.empty()) {
    if (x.Clip.Owned) XSetSelectionOwner(x.Dpy, x.Clipboard, None, ServerTime(x));
    x.Clip.Owned = false;
    return;
  }
  x.Clip.OwnedSince = ServerTime(x);
  XSetSelectionOwner(x.Dpy, x.Clipboard, x.Clip.Wnd, x.Clip.OwnedSince);
  x.Clip.Owned = XGetSelectionOwner(x.Dpy, x.Clipboard) == x.Clip.Wnd;
}

bool HandleClipboardEvent(TX11Connection& x, XEvent& event) {
  if (x.HasXFixes && event.type == x.XFixesEventBase + XFixesSelectionNotify) {
    auto& notify = reinterpret_cast<XFixesSelectionNotifyEvent&>(event);
    if (notify.selection == x.Clipboard && notify.owner != None && notify.owner != x.Clip.Wnd)
      Import(x);
    return true;
  }
  switch (event.type) {
    case SelectionRequest:
      Serve(x, event.xselectionrequest);
      return true;
    case SelectionClear:
      if (event.xselectionclear.selection == x.Clipboard) x.Clip.Owned = false;
      return true;
    case SelectionNotify:
    case PropertyNotify:
      return event.xany.window == x.Clip.Wnd;
    default:
      return false;
  }
}
