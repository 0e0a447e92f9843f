#include "tests/support/XdndPeer.h"

#include <poll.h>

#include <chrono>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace testsupport {

namespace {

constexpr int AnswerTimeoutMs = 5000;

struct TAtoms {
  explicit TAtoms(Display* dpy) {
    auto atom = [&](const char* name) { return XInternAtom(dpy, name, False); };
    Aware = atom("XdndAware");
    Enter = atom("XdndEnter");
    Position = atom("XdndPosition");
    Reply = atom("XdndStatus");
    Leave = atom("XdndLeave");
    Drop = atom("XdndDrop");
    Finished = atom("XdndFinished");
    Selection = atom("XdndSelection");
    TypeList = atom("XdndTypeList");
    Copy = atom("XdndActionCopy");
    Targets = atom("TARGETS");
    Property = atom("XDND_PEER_DATA");
  }
  Atom Aware, Enter, Position, Reply, Leave, Drop, Finished, Selection, TypeList, Copy, Targets,
      Property;
};

std::string NameOf(Display* dpy, Atom atom) {
  char* name = atom ? XGetAtomName(dpy, atom) : nullptr;
  if (!name) return "None";
  std::string result = name;
  XFree(name);
  return result;
}

void Send(Display* dpy, Window to, Window window, Atom type, std::vector<long> data) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = type;
  event.xclient.format = 32;
  for (size_t i = 0; i < data.size() && i < 5; ++i) event.xclient.data.l[i] = data[i];
  XSendEvent(dpy, to, False, NoEventMask, &event);
  XFlush(dpy);
}

// The next event within the time-out; false when none came (or the peer was stopped).
bool NextEvent(Display* dpy, XEvent& event, int timeoutMs, const std::atomic<bool>& stop) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!stop) {
    if (XPending(dpy)) {
      XNextEvent(dpy, &event);
      return true;
    }
    if (std::chrono::steady_clock::now() >= end) return false;
    pollfd fd{ConnectionNumber(dpy), POLLIN, 0};
    poll(&fd, 1, 20);
  }
  return false;
}

// A server timestamp: the time of a property change on the window.
Time ServerTime(Display* dpy, Window window, Atom property) {
  XChangeProperty(dpy, window, property, XA_STRING, 8, PropModeAppend, nullptr, 0);
  XEvent event;
  XWindowEvent(dpy, window, PropertyChangeMask, &event);
  return event.xproperty.time;
}

}  // namespace

TXdndPeer::~TXdndPeer() { Stop(); }

void TXdndPeer::Stop() {
  FStop = true;
  if (FThread.joinable()) FThread.join();
}

bool TXdndPeer::ShowTarget(int x, int y, int width, int height, std::vector<std::string> wanted) {
  Display* dpy = XOpenDisplay(FDisplay.c_str());
  if (!dpy) return false;
  TAtoms atoms(dpy);
  Window window =
      XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), x, y, static_cast<unsigned>(width),
                          static_cast<unsigned>(height), 0, 0, 0xE0E0F0);
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;  // where it is put, whatever a window manager thinks
  XChangeWindowAttributes(dpy, window, CWOverrideRedirect, &attributes);
  XSelectInput(dpy, window, StructureNotifyMask | PropertyChangeMask);
  long version = 5;
  XChangeProperty(dpy, window, atoms.Aware, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&version), 1);
  XMapRaised(dpy, window);
  XEvent event;
  do XWindowEvent(dpy, window, StructureNotifyMask, &event);
  while (event.type != MapNotify);
  FDone = false;
  FStop = false;
  FThread = std::thread([this, window, wanted = std::move(wanted), dpy]() mutable {
    RunTarget(window, std::move(wanted), dpy);
  });
  return true;
}

void TXdndPeer::RunTarget(unsigned long window, std::vector<std::string> wanted, void* display) {
  auto* dpy = static_cast<Display*>(display);
  TAtoms atoms(dpy);
  Window source = None;
  XEvent event;
  while (!FDone && NextEvent(dpy, event, 60000, FStop)) {
    if (event.type != ClientMessage) continue;
    const XClientMessageEvent& message = event.xclient;
    if (message.message_type == atoms.Enter) {
      Events.push_back("enter");
      source = static_cast<Window>(message.data.l[0]);
      Offered.clear();
      if (message.data.l[1] & 1) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(dpy, source, atoms.TypeList, 0, 256, False, XA_ATOM, &type, &format,
                           &count, &after, &data);
        for (unsigned long i = 0; data && i < count; ++i)
          Offered.push_back(NameOf(dpy, reinterpret_cast<Atom*>(data)[i]));
        if (data) XFree(data);
      } else {
        for (int i = 2; i < 5; ++i)
          if (message.data.l[i])
            Offered.push_back(NameOf(dpy, static_cast<Atom>(message.data.l[i])));
      }
    } else if (message.message_type == atoms.Position) {
      if (Events.empty() || Events.back() != "position") Events.push_back("position");
      Send(dpy, source, window, atoms.Reply,
           {static_cast<long>(window), 1 | 2, 0, 0, static_cast<long>(atoms.Copy)});
    } else if (message.message_type == atoms.Leave) {
      Events.push_back("leave");
      FDone = true;
    } else if (message.message_type == atoms.Drop) {
      Events.push_back("drop");
      Time time = static_cast<Time>(message.data.l[2]);
      for (const std::string& target : wanted) {
        XDeleteProperty(dpy, window, atoms.Property);
        XConvertSelection(dpy, atoms.Selection, XInternAtom(dpy, target.c_str(), False),
                          atoms.Property, window, time ? time : CurrentTime);
        XFlush(dpy);
        XEvent reply;
        bool answered = false;
        while (NextEvent(dpy, reply, AnswerTimeoutMs, FStop))
          if (reply.type == SelectionNotify) {
            answered = reply.xselection.property != None;
            break;
          }
        if (!answered) continue;
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(dpy, window, atoms.Property, 0, 1 << 24, True, AnyPropertyType, &type,
                           &format, &count, &after, &data);
        if (data && format == 8)
          Received[target] = std::string(reinterpret_cast<char*>(data), count);
        if (data) XFree(data);
      }
      Send(dpy, source, window, atoms.Finished,
           {static_cast<long>(window), 1, static_cast<long>(atoms.Copy)});
      FDone = true;
    }
  }
  XDestroyWindow(dpy, window);
  XCloseDisplay(dpy);
  FDone = true;
}

void TXdndPeer::Drag(std::vector<std::pair<std::string, std::string>> offers,
                     std::vector<std::pair<int, int>> rootPath) {
  FDone = false;
  FStop = false;
  FThread = std::thread([this, offers = std::move(offers), path = std::move(rootPath)]() mutable {
    RunSource(std::move(offers), std::move(path));
    FDone = true;
  });
}

void TXdndPeer::RunSource(std::vector<std::pair<std::string, std::string>> offers,
                          std::vector<std::pair<int, int>> path) {
  Display* dpy = XOpenDisplay(FDisplay.c_str());
  if (!dpy) {
    Outcome = "no display";
    return;
  }
  TAtoms atoms(dpy);
  Window root = DefaultRootWindow(dpy);
  Window window = XCreateSimpleWindow(dpy, root, -20, -20, 1, 1, 0, 0, 0);
  XSelectInput(dpy, window, PropertyChangeMask);
  Time time = ServerTime(dpy, window, atoms.Property);
  XSetSelectionOwner(dpy, atoms.Selection, window, time);
  std::vector<Atom> types;
  for (auto& [target, bytes] : offers) types.push_back(XInternAtom(dpy, target.c_str(), False));
  bool more = types.size() > 3;
  if (more)
    XChangeProperty(dpy, window, atoms.TypeList, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(types.data()), static_cast<int>(types.size()));
  types.resize(3, None);

  // The XdndAware window under the first point.
  Window target = None;
  Window parent = root;
  for (int depth = 0; depth < 16 && target == None; ++depth) {
    int x = 0, y = 0;
    Window child = None;
    XTranslateCoordinates(dpy, root, parent, path.front().first, path.front().second, &x, &y,
                          &child);
    if (child == None) break;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(dpy, child, atoms.Aware, 0, 1, False, XA_ATOM, &type, &format, &count,
                       &after, &data);
    if (data && count == 1) target = child;
    if (data) XFree(data);
    parent = child;
  }
  auto serve = [&](const XSelectionRequestEvent& request) {
    XSelectionEvent reply{};
    reply.type = SelectionNotify;
    reply.requestor = request.requestor;
    reply.selection = request.selection;
    reply.target = request.target;
    reply.time = request.time;
    reply.property = None;
    std::string name = NameOf(dpy, request.target);
    Requested.push_back(name);
    for (auto& [offered, bytes] : offers)
      if (offered == name) {
        XChangeProperty(dpy, request.requestor, request.property, request.target, 8,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(bytes.data()),
                        static_cast<int>(bytes.size()));
        reply.property = request.property;
      }
    XSendEvent(dpy, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
    XFlush(dpy);
  };
  // Waits for a message of the type, serving conversions meanwhile.
  auto await = [&](Atom type, XClientMessageEvent& answer) {
    XEvent event;
    while (NextEvent(dpy, event, AnswerTimeoutMs, FStop)) {
      if (event.type == SelectionRequest) serve(event.xselectionrequest);
      if (event.type == ClientMessage && event.xclient.message_type == type) {
        answer = event.xclient;
        return true;
      }
    }
    return false;
  };
  if (target == None) {
    Outcome = "no target";
  } else {
    Send(dpy, target, target, atoms.Enter,
         {static_cast<long>(window), (5L << 24) | (more ? 1 : 0), static_cast<long>(types[0]),
          static_cast<long>(types[1]), static_cast<long>(types[2])});
    bool accepted = false;
    XClientMessageEvent answer{};
    Outcome.clear();
    for (auto [x, y] : path) {
      Send(dpy, target, target, atoms.Position,
           {static_cast<long>(window), 0, (static_cast<long>(x) << 16) | y, static_cast<long>(time),
            static_cast<long>(atoms.Copy)});
      if (!await(atoms.Reply, answer)) {
        Outcome = "no status";
        break;
      }
      accepted = answer.data.l[1] & 1;
      Events.push_back(std::string("status ") +
                       (accepted ? NameOf(dpy, answer.data.l[4]) : "refused"));
    }
    if (Outcome.empty()) {
      Send(dpy, target, target, atoms.Drop,
           {static_cast<long>(window), 0, static_cast<long>(time)});
      if (!await(atoms.Finished, answer))
        Outcome = "no finish";
      else
        Outcome = std::string("finished ") +
                  ((answer.data.l[1] & 1) ? NameOf(dpy, answer.data.l[2]) : "refused");
    }
  }
  XDestroyWindow(dpy, window);
  XCloseDisplay(dpy);
}

}  // namespace testsupport
