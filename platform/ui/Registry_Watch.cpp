// Change notification of registry keys over inotify on the store's folder. Every writer replaces
// the store by renaming a new file into place, so each change of any process shows up as an event
// on the store's name; the watch then compares the watched key with what it was at the start.
#include "platform/ui/Registry_Watch.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/ui/Registry.h"

namespace {

const char kGone[] = "\x01gone";

void AppendUnits(std::string& out, const String& text) {
  out.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t));
  out += '\0';
  out += '\0';
}

void DescribeKey(const TRegKeyNode& node, bool subtree, uint32_t filter, std::string& out) {
  if (filter & REG_NOTIFY_CHANGE_LAST_SET) {
    for (const TRegValueData& value : node.Values) {
      out += 'v';
      AppendUnits(out, value.Key);
      out += std::to_string(value.Type) + ":" + std::to_string(value.Data.size()) + ":";
      out.append(value.Data.begin(), value.Data.end());
    }
  }
  if (filter & REG_NOTIFY_CHANGE_NAME) {
    for (const TRegKeyNode& sub : node.SubKeys) {
      out += 'k';
      AppendUnits(out, sub.Key);
    }
  }
  if (!subtree) return;
  for (const TRegKeyNode& sub : node.SubKeys) {
    out += '{';
    AppendUnits(out, sub.Key);
    DescribeKey(sub, subtree, filter, out);
    out += '}';
  }
}

}  // namespace

TRegistryWatch::TRegistryWatch(const std::string& folder, std::vector<String> path, bool subtree,
                               uint32_t filter, TEvent* event)
    : FStore(folder), FPath(std::move(path)), FSubtree(subtree), FFilter(filter), FEvent(event) {}

TRegistryWatch::~TRegistryWatch() {
  Cancel(false);
  if (FNotify >= 0) ::close(FNotify);
  if (FWake >= 0) ::close(FWake);
}

std::string TRegistryWatch::Describe() const {
  TRegTree tree;
  try {
    FStore.Load(tree);
  } catch (const Exception&) {
    return kGone;  // a store that cannot be read is a change for whoever watches it
  }
  const TRegKeyNode* node = tree.Find(FPath);
  if (!node) return kGone;
  std::string out = "key";
  DescribeKey(*node, FSubtree, FFilter, out);
  return out;
}

int32_t TRegistryWatch::Start() {
  if (!FStore.EnsureFolder()) return ERROR_REGISTRY_IO_FAILED;
  FNotify = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
  FWake = ::eventfd(0, EFD_CLOEXEC);
  if (FNotify < 0 || FWake < 0) return ERROR_REGISTRY_IO_FAILED;
  const uint32_t mask =
      IN_MOVED_TO | IN_MOVED_FROM | IN_CLOSE_WRITE | IN_DELETE | IN_DELETE_SELF | IN_MOVE_SELF;
  if (::inotify_add_watch(FNotify, FStore.Folder().c_str(), mask) < 0)
    return ERROR_REGISTRY_IO_FAILED;
  // Taken after the watch is in place, so that no change can fall between the two.
  FInitial = Describe();
  if (FInitial == kGone) return ERROR_KEY_DELETED;
  FThread = std::thread([this] { Run(); });
  return ERROR_SUCCESS;
}

void TRegistryWatch::Run() {
  alignas(inotify_event) char buffer[4096];
  pollfd fds[2] = {{FNotify, POLLIN, 0}, {FWake, POLLIN, 0}};
  for (;;) {
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      Fire();
      return;
    }
    if (fds[1].revents) return;  // cancelled
    if (!fds[0].revents) continue;
    bool storeChanged = false;
    bool folderGone = false;
    for (;;) {
      ssize_t n = ::read(FNotify, buffer, sizeof buffer);
      if (n <= 0) break;
      for (ssize_t at = 0; at < n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        if (event->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF)) folderGone = true;
        if (event->len > 0 && std::strcmp(event->name, kRegistryStoreName) == 0)
          storeChanged = true;
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
    if (folderGone || (storeChanged && Describe() != FInitial)) {
      Fire();
      return;
    }
  }
}

void TRegistryWatch::Fire() {
  std::lock_guard<std::mutex> guard(FLock);
  if (FCancelled) return;
  FFired = true;
  FEvent->SetEvent();
}

void TRegistryWatch::Cancel(bool signal) {
  {
    std::lock_guard<std::mutex> guard(FLock);
    if (FCancelled) return;
    FCancelled = true;
    if (signal && !FFired && FEvent) FEvent->SetEvent();
  }
  if (FThread.joinable()) {
    uint64_t one = 1;
    ssize_t written = ::write(FWake, &one, sizeof one);
    (void)written;
    FThread.join();
  }
}
