// The program as a person starts it, on an Xvfb server of its own: assoc-records against the
// private test server, logged in with the keyboard, and scripts/run with its own data folder,
// which makes the server, the database and the administrator on the first run and reuses them
// on the second. The program goes on from its main window to the events list and its new-event
// form, and to the tasks and teams lists and, through their grids' popups, the members of a
// task and of a team; another run opens the incoming donations and an article's movement
// dialog. The windows are saved as screenshots/login.png, screenshots/main-window.png,
// screenshots/events-list.png, screenshots/event-edit.png, screenshots/tasks-list.png,
// screenshots/task-members.png, screenshots/team-members.png, screenshots/donations-in.png
// and screenshots/article-movement.png in the build folder.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cairo.h>

#include "tests/support/TestDb.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
// How long the server, the program or the script may take before a step counts as failed.
constexpr auto StepTimeout = std::chrono::seconds(60);

std::string FindProgram(const char* name) {
  for (const char* dir : {"/usr/bin", "/bin", "/usr/local/bin"}) {
    std::string path = std::string(dir) + "/" + name;
    if (access(path.c_str(), X_OK) == 0) return path;
  }
  return {};
}

// A child process with its standard output and its standard error read through pipes.
class TChild {
 public:
  TChild(std::vector<std::string> args, const std::map<std::string, std::string>& setEnv,
         const std::vector<std::string>& unsetEnv) {
    int fds[2], errs[2];
    if (pipe(fds) != 0) return;
    if (pipe(errs) != 0) return;
    const pid_t parent = getpid();
    FPid = fork();
    if (FPid == 0) {
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      if (getppid() != parent) _exit(1);
      dup2(fds[1], 1);
      dup2(errs[1], 2);
      close(fds[0]);
      close(fds[1]);
      close(errs[0]);
      close(errs[1]);
      for (const auto& [name, value] : setEnv) setenv(name.c_str(), value.c_str(), 1);
      for (const auto& name : unsetEnv) unsetenv(name.c_str());
      std::vector<char*> argv;
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(fds[1]);
    close(errs[1]);
    FOut = fds[0];
    FErr = errs[0];
    fcntl(FOut, F_SETFL, O_NONBLOCK);
    fcntl(FErr, F_SETFL, O_NONBLOCK);
  }
  ~TChild() {
    if (FPid > 0 && !FDone) {
      kill(FPid, SIGTERM);
      Wait();
    }
    if (FOut >= 0) close(FOut);
    if (FErr >= 0) close(FErr);
  }
  // What the child wrote so far on its standard output, and on its standard error.
  const std::string& Output() {
    Drain(FOut, FOutput);
    return FOutput;
  }
  const std::string& Errors() {
    Drain(FErr, FErrors);
    return FErrors;
  }
  // Waits for the end; the exit status, or -1 when it did not end in time.
  int Wait() {
    const auto end = Clock::now() + StepTimeout;
    while (!FDone && Clock::now() < end) {
      Output();
      Errors();
      int status = 0;
      if (waitpid(FPid, &status, WNOHANG) == FPid) {
        FDone = true;
        FStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    Output();
    Errors();
    return FDone ? FStatus : -1;
  }
  bool Running() {
    int status = 0;
    if (FDone) return false;
    if (waitpid(FPid, &status, WNOHANG) == FPid) {
      FDone = true;
      FStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      return false;
    }
    return true;
  }

 private:
  static void Drain(int fd, std::string& into) {
    char buffer[4096];
    ssize_t got;
    while (fd >= 0 && (got = read(fd, buffer, sizeof buffer)) > 0)
      into.append(buffer, static_cast<size_t>(got));
  }
  pid_t FPid = -1;
  int FOut = -1;
  int FErr = -1;
  std::string FOutput;
  std::string FErrors;
  bool FDone = false;
  int FStatus = -1;
};

class ProgramGui : public ::testing::Test {
 public:
  static void SetUpTestSuite() {
    const std::string xvfb = FindProgram("Xvfb");
    if (xvfb.empty()) {
      SkipReason = "Xvfb is not installed (Debian package xvfb)";
      return;
    }
    // The server names its display on a pipe once it listens.
    int fds[2];
    if (pipe(fds) != 0) return;
    const pid_t parent = getpid();
    XvfbPid = fork();
    if (XvfbPid == 0) {
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      if (getppid() != parent) _exit(1);
      close(fds[0]);
      int null = open("/dev/null", O_RDWR);
      dup2(null, 0);
      dup2(null, 1);
      dup2(null, 2);
      std::string fd = std::to_string(fds[1]);
      execl(xvfb.c_str(), xvfb.c_str(), "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24",
            "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    std::string number;
    const auto end = Clock::now() + StepTimeout;
    while (number.find('\n') == std::string::npos && Clock::now() < end) {
      pollfd p{fds[0], POLLIN, 0};
      if (poll(&p, 1, 100) <= 0) continue;
      char buffer[32];
      ssize_t got = read(fds[0], buffer, sizeof buffer);
      if (got <= 0) break;
      number.append(buffer, static_cast<size_t>(got));
    }
    close(fds[0]);
    if (number.find('\n') != std::string::npos)
      DisplayName = ":" + number.substr(0, number.find('\n'));
  }
  static void TearDownTestSuite() {
    if (XvfbPid > 0) {
      kill(XvfbPid, SIGTERM);
      waitpid(XvfbPid, nullptr, 0);
    }
  }

  void SetUp() override {
    if (!SkipReason.empty()) GTEST_SKIP() << SkipReason;
    ASSERT_FALSE(DisplayName.empty()) << "Xvfb named no display";
    Dpy = XOpenDisplay(DisplayName.c_str());
    ASSERT_NE(Dpy, nullptr);
    std::filesystem::create_directories(ASSOC_BINARY_DIR "/screenshots");
  }
  void TearDown() override {
    if (Dpy) XCloseDisplay(Dpy);
  }

  // The viewable top-level window with this title; 0 when there is none before the time is up.
  Window WaitForWindow(const std::string& title) {
    const auto end = Clock::now() + StepTimeout;
    while (Clock::now() < end) {
      Window root = DefaultRootWindow(Dpy), parent = 0, *children = nullptr;
      unsigned count = 0;
      Window found = 0;
      if (XQueryTree(Dpy, root, &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count && !found; ++i)
          if (Viewable(children[i]) && TitleOf(children[i]) == title) found = children[i];
        if (children) XFree(children);
      }
      if (found) return found;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return 0;
  }
  bool Viewable(Window window) {
    XWindowAttributes attributes;
    return XGetWindowAttributes(Dpy, window, &attributes) && attributes.map_state == IsViewable;
  }
  std::string TitleOf(Window window) {
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(Dpy, window, XA_WM_NAME, 0, 1024, False, AnyPropertyType, &type,
                           &format, &items, &after, &data) == Success &&
        data) {
      title.assign(reinterpret_cast<char*>(data), items);
      XFree(data);
    }
    return title;
  }

  void Press(KeySym sym, bool shift = false) {
    const KeyCode shiftCode = XKeysymToKeycode(Dpy, XK_Shift_L);
    const KeyCode code = XKeysymToKeycode(Dpy, sym);
    if (shift) XTestFakeKeyEvent(Dpy, shiftCode, True, CurrentTime);
    XTestFakeKeyEvent(Dpy, code, True, CurrentTime);
    XTestFakeKeyEvent(Dpy, code, False, CurrentTime);
    if (shift) XTestFakeKeyEvent(Dpy, shiftCode, False, CurrentTime);
    XSync(Dpy, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
  }
  // Letters and digits, as typed on the keyboard.
  void Type(const std::string& text) {
    for (char c : text) {
      const bool upper = c >= 'A' && c <= 'Z';
      const char key[2] = {upper ? static_cast<char>(c - 'A' + 'a') : c, 0};
      Press(XStringToKeysym(key), upper);
    }
  }
  // What a person does in the login dialog: the name, Enter, the password, Enter, Space.
  void LogIn(const std::string& userName, const std::string& password) {
    Type(userName);
    Press(XK_Return);
    Type(password);
    Press(XK_Return);
    Press(XK_space);
  }
  // A click of a button (the left one unless told) at a point of the window.
  void ClickAt(Window window, int x, int y, unsigned button = 1) {
    Window child = 0;
    int rootX = 0, rootY = 0;
    XTranslateCoordinates(Dpy, window, DefaultRootWindow(Dpy), x, y, &rootX, &rootY, &child);
    XTestFakeMotionEvent(Dpy, -1, rootX, rootY, CurrentTime);
    XTestFakeButtonEvent(Dpy, button, True, CurrentTime);
    XTestFakeButtonEvent(Dpy, button, False, CurrentTime);
    XSync(Dpy, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
  }
  // Asks the window to close, as the close box of a window manager does.
  void CloseWindow(Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(Dpy, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(Dpy, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(Dpy, window, False, NoEventMask, &event);
    XSync(Dpy, False);
  }
  // The window's pixels, saved as a PNG; false when they could not be read or written.
  bool Screenshot(Window window, const std::string& name) {
    // The first paint may follow the mapping by a moment.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(Dpy, window, &attributes)) return false;
    XImage* image = XGetImage(Dpy, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!image) return false;
    cairo_surface_t* shot =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, attributes.width, attributes.height);
    cairo_surface_flush(shot);
    unsigned char* data = cairo_image_surface_get_data(shot);
    const int stride = cairo_image_surface_get_stride(shot);
    for (int y = 0; y < attributes.height; ++y)
      for (int x = 0; x < attributes.width; ++x)
        reinterpret_cast<uint32_t*>(data + y * stride)[x] =
            static_cast<uint32_t>(XGetPixel(image, x, y) & 0xffffff);
    cairo_surface_mark_dirty(shot);
    XDestroyImage(image);
    const std::string path = std::string(ASSOC_BINARY_DIR "/screenshots/") + name;
    const bool written = cairo_surface_write_to_png(shot, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(shot);
    return written;
  }

  static inline std::string SkipReason;
  static inline std::string DisplayName;
  static inline pid_t XvfbPid = 0;
  Display* Dpy = nullptr;
};

const char ProgramPath[] = ASSOC_BINARY_DIR "/app/assoc-records";
const char LoginTitle[] = "Најава";
const char MainTitle[] = "Главен прозорец";
const char EventsTitle[] = "Настани";
const char EventEditTitle[] = "Нов/Промена Настан";
const char TasksTitle[] = "Задачи";
const char TeamsTitle[] = "Тимови";
const char MembersTitle[] = "Одговорни членови";
// The main window's menu: a bar of eleven equal items across the 780 pixels of the window, from
// 222 down; its captions lie in a band from 5 pixels below its top.
int MenuItemX(int index) { return static_cast<int>((index + 0.5) * 779 / 11); }
constexpr int MenuItemY = 222 + 10;

// Runs SQL text with the server's own client as the test user; answers what it wrote (nothing
// when all went well).
std::string RunSql(const testdb::Settings& db, const std::string& text) {
  char path[] = "/tmp/assoc-sql-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return "no temporary file";
  if (write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
    close(fd);
    return "the temporary file was not written";
  }
  close(fd);
  std::string client = FindProgram("mariadb");
  if (client.empty()) client = FindProgram("mysql");
  TChild run({client, "--no-defaults", "-h", db.host, "-P", std::to_string(db.port), "-u",
              db.user, "-p" + db.password, "-e", std::string("source ") + path},
             {}, {});
  const int status = run.Wait();
  unlink(path);
  return status == 0 ? run.Output()
                     : "status " + std::to_string(status) + ": " + run.Output() + run.Errors();
}

// The program's own database, user and administrator on the private server, with the seed
// statements after them.
std::string ProgramDatabase(const std::string& seed) {
  std::ifstream schemaFile(ASSOC_SOURCE_DIR "/app/schema.sql");
  std::stringstream sql;
  sql << "DROP DATABASE IF EXISTS zavel_vorndemo;\n"
      << "CREATE DATABASE zavel_vorndemo CHARACTER SET utf8mb4;\nUSE zavel_vorndemo;\n"
      << schemaFile.rdbuf()
      << "INSERT INTO users (id, name, surname, username, password, user_type) VALUES "
         "(1, 'Ана', 'Админовска', 'admin', 'tajna42', 1), "
         "(2, 'Бојан', 'Редовски', 'bojan', 'redoven', 2), "
         "(3, 'Вера', 'Членовска', 'vera', 'clen', 2), "
         "(4, 'Петар', 'Регуларски', 'petar', 'x', 2), (5, 'Гоце', 'Членот', 'goce', 'x', 3);\n"
      << seed;
  for (const char* host : {"127.0.0.1", "localhost"}) {
    const std::string account = std::string("'zavel_vorndemo'@'") + host + "'";
    sql << "CREATE USER IF NOT EXISTS " << account << " IDENTIFIED BY 'pelkanvir';\n"
        << "GRANT SELECT, INSERT, UPDATE, DELETE ON zavel_vorndemo.* TO " << account << ";\n";
  }
  return sql.str();
}

TEST_F(ProgramGui, TheProgramLogsInOnTheTestServerAndShowsItsMainWindow) {
  // Made with the server's own client.
  const testdb::Settings& db = testdb::Get();
  ASSERT_EQ(RunSql(db, ProgramDatabase(
                           "INSERT INTO event (title, status, description, event_date, "
                           "created_by) VALUES "
                           "('Годишно собрание на членовите', 'Active', 'Сала 2', "
                           "'2024-06-01 18:00:00', 1), "
                           "('Хуманитарен концерт', 'Finished', NULL, '2024-03-15 20:00:00', 2), "
                           "('Акција за собирање облека', 'Cancelled', NULL, "
                           "'2024-01-20 10:00:00', 1);\n"
                           "INSERT INTO task (id, title, status, created_by, created_on) VALUES "
                           "(1, 'Собирање облека за зима', 'Active', 1, '2024-02-01 10:00:00');\n"
                           "INSERT INTO task_member (task_id, user_id) VALUES (1, 2), (1, 3);\n"
                           "INSERT INTO team (id, title, status, description, created_by) VALUES "
                           "(1, 'Логистика и превоз', 'Active', 'Превоз на донации', 1);\n"
                           "INSERT INTO team_member (team_id, user_id) VALUES (1, 4);\n")),
            "")
      << "the program's database could not be made";
  TChild program({ProgramPath},
                 {{"DISPLAY", DisplayName},
                  {"ASSOC_DB_HOST", db.host},
                  {"ASSOC_DB_PORT", std::to_string(db.port)}},
                 {});
  const Window login = WaitForWindow(LoginTitle);
  ASSERT_NE(login, 0u) << "no login window; the program wrote: " << program.Output()
                       << program.Errors();
  EXPECT_TRUE(Screenshot(login, "login.png"));
  LogIn("admin", "tajna42");
  const Window main = WaitForWindow(MainTitle);
  ASSERT_NE(main, 0u) << "no main window after the login; the program wrote: "
                      << program.Output() << program.Errors();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(Viewable(login)) << "the login dialog is gone";
  EXPECT_TRUE(Screenshot(main, "main-window.png"));

  // The first menu item opens the events list (the window shows the form's client area); its new
  // button, at the left below the grid, opens the edit form with the title focused.
  ClickAt(main, MenuItemX(0), MenuItemY);
  const Window events = WaitForWindow(EventsTitle);
  ASSERT_NE(events, 0u) << "no events list; the program wrote: " << program.Output()
                        << program.Errors();
  EXPECT_TRUE(Screenshot(events, "events-list.png"));
  ClickAt(events, 92, 433);
  const Window edit = WaitForWindow(EventEditTitle);
  ASSERT_NE(edit, 0u) << "no event form; the program wrote: " << program.Output()
                      << program.Errors();
  Type("Sobranie2025");
  EXPECT_TRUE(Screenshot(edit, "event-edit.png"));
  // The close box leaves the list with nothing stored.
  CloseWindow(edit);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(Viewable(edit));
  CloseWindow(events);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(Viewable(events));

  // The third menu item opens the tasks list; a right click on the task's row opens the popup,
  // whose one item, just below the pointer, opens the task's members.
  ClickAt(main, MenuItemX(2), MenuItemY);
  const Window tasks = WaitForWindow(TasksTitle);
  ASSERT_NE(tasks, 0u) << "no tasks list; the program wrote: " << program.Output()
                       << program.Errors();
  EXPECT_TRUE(Screenshot(tasks, "tasks-list.png"));
  ClickAt(tasks, 200, 75, 3);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ClickAt(tasks, 230, 86);
  const Window members = WaitForWindow(MembersTitle);
  ASSERT_NE(members, 0u) << "no member form; the program wrote: " << program.Output()
                         << program.Errors();
  EXPECT_TRUE(Screenshot(members, "task-members.png"));
  CloseWindow(members);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(Viewable(members));
  CloseWindow(tasks);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));

  // The sixth item opens the teams list, whose popup opens the team's members under its title.
  ClickAt(main, MenuItemX(5), MenuItemY);
  const Window teams = WaitForWindow(TeamsTitle);
  ASSERT_NE(teams, 0u) << "no teams list; the program wrote: " << program.Output()
                       << program.Errors();
  ClickAt(teams, 200, 75, 3);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ClickAt(teams, 230, 86);
  const Window teamMembers = WaitForWindow(MembersTitle);
  ASSERT_NE(teamMembers, 0u) << "no team member form; the program wrote: " << program.Output()
                             << program.Errors();
  EXPECT_TRUE(Screenshot(teamMembers, "team-members.png"));
  CloseWindow(teamMembers);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  CloseWindow(teams);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  CloseWindow(main);
  EXPECT_EQ(program.Wait(), 0) << program.Output() << program.Errors();
  EXPECT_EQ(RunSql(db, "SELECT COUNT(*) AS n FROM zavel_vorndemo.event;"), "n\n3\n");
  EXPECT_EQ(RunSql(db, "DROP DATABASE zavel_vorndemo;"), "");
}

TEST_F(ProgramGui, TheIncomingDonationsShowTheirSumAndAnArticleTakesAMovement) {
  const testdb::Settings& db = testdb::Get();
  ASSERT_EQ(RunSql(db, ProgramDatabase(
                           "INSERT INTO clients (id, full_name, address) VALUES "
                           "(1, 'Фондација „Ѕвезда“', 'Скопје'), (2, 'Љупчо Ѓоргиев', 'Охрид');\n"
                           "INSERT INTO payment (client_id, payment_date, amount, added_by, type) "
                           "VALUES (1, '2024-05-02 10:00:00', 15000, 1, 1), "
                           "(2, '2024-04-11 10:00:00', 2500.5, 1, 1), "
                           "(2, '2024-03-01 10:00:00', 700, 1, 2);\n"
                           "INSERT INTO article (id, title, code, quantity, status) VALUES "
                           "(1, 'Ќебиња', 'KEB-01', 40, 'Active');\n")),
            "")
      << "the program's database could not be made";
  TChild program({ProgramPath},
                 {{"DISPLAY", DisplayName},
                  {"ASSOC_DB_HOST", db.host},
                  {"ASSOC_DB_PORT", std::to_string(db.port)}},
                 {});
  ASSERT_NE(WaitForWindow(LoginTitle), 0u) << program.Output() << program.Errors();
  LogIn("admin", "tajna42");
  const Window main = WaitForWindow(MainTitle);
  ASSERT_NE(main, 0u) << program.Output() << program.Errors();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));

  // Menu item 6, "Донации-IN".
  ClickAt(main, MenuItemX(6), MenuItemY);
  const Window donations = WaitForWindow("Донации");
  ASSERT_NE(donations, 0u) << program.Output() << program.Errors();
  EXPECT_TRUE(Screenshot(donations, "donations-in.png"));
  CloseWindow(donations);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));

  // Menu item 3, "Магацин"; a right click on the article opens the popup, whose second item
  // (down, down, Enter) is a new entry.
  ClickAt(main, MenuItemX(3), MenuItemY);
  const Window articles = WaitForWindow("Артикли");
  ASSERT_NE(articles, 0u) << program.Output() << program.Errors();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ClickAt(articles, 200, 80, 3);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  Press(XK_Down);
  Press(XK_Down);
  Press(XK_Return);
  const Window movement = WaitForWindow("Влез/Излез на количина");
  ASSERT_NE(movement, 0u) << program.Output() << program.Errors();
  Type("12");
  EXPECT_TRUE(Screenshot(movement, "article-movement.png"));
  // The close box drops the movement.
  CloseWindow(movement);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  CloseWindow(articles);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  CloseWindow(main);
  EXPECT_EQ(program.Wait(), 0) << program.Output() << program.Errors();
  EXPECT_EQ(RunSql(db, "SELECT COUNT(*) AS n FROM zavel_vorndemo.article_in_out;"), "n\n0\n");
  EXPECT_EQ(RunSql(db, "DROP DATABASE zavel_vorndemo;"), "");
}

// The administrator's password as scripts/run printed it.
std::string PrintedPassword(const std::string& output) {
  const std::string marker = "password:";
  const size_t at = output.find(marker);
  if (at == std::string::npos) return {};
  size_t start = output.find_first_not_of(' ', at + marker.size());
  size_t end = output.find('\n', start);
  return output.substr(start, end - start);
}

bool ServerRunning(const std::string& folder) {
  std::ifstream in(folder + "/server.pid");
  pid_t pid = 0;
  return in >> pid && pid > 0 && kill(pid, 0) == 0;
}

TEST_F(ProgramGui, ScriptsRunMakesItsServerAndAdministratorOnceAndStopsTheServerAfterwards) {
  char pattern[] = "/tmp/assoc-run-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string dataHome = pattern;
  const std::string folder = dataHome + "/assoc-records";
  const std::vector<std::string> script{ASSOC_SOURCE_DIR "/scripts/run"};
  const std::map<std::string, std::string> env{
      {"DISPLAY", DisplayName}, {"XDG_DATA_HOME", dataHome}, {"ASSOC_PROGRAM", ProgramPath}};
  const std::vector<std::string> ownServer{"ASSOC_DB_HOST", "ASSOC_DB_PORT"};

  std::string password;
  {
    TChild first(script, env, ownServer);
    const Window login = WaitForWindow(LoginTitle);
    ASSERT_NE(login, 0u) << first.Output() << first.Errors();
    password = PrintedPassword(first.Output());
    EXPECT_NE(first.Output().find("user name: admin"), std::string::npos)
        << first.Output() << first.Errors();
    EXPECT_GE(password.size(), 8u) << first.Output() << first.Errors();
    EXPECT_TRUE(ServerRunning(folder));
    Press(XK_Escape);
    EXPECT_EQ(first.Wait(), 0) << first.Output() << first.Errors();
    EXPECT_FALSE(ServerRunning(folder)) << "the server the script started is stopped";
    EXPECT_EQ(std::filesystem::status(folder + "/admin-credentials").permissions() &
                  std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  }
  {
    TChild second(script, env, ownServer);
    ASSERT_NE(WaitForWindow(LoginTitle), 0u) << second.Output() << second.Errors();
    LogIn("admin", password);
    const Window main = WaitForWindow(MainTitle);
    ASSERT_NE(main, 0u) << "the printed password logs in; the script wrote: " << second.Output()
                        << second.Errors();
    CloseWindow(main);
    EXPECT_EQ(second.Wait(), 0) << second.Output() << second.Errors();
    EXPECT_EQ(second.Output(), "") << "nothing new is printed on a later run";
    EXPECT_FALSE(ServerRunning(folder));
  }
  {
    TChild headless(script, env, {"DISPLAY", "ASSOC_DB_HOST", "ASSOC_DB_PORT"});
    EXPECT_NE(headless.Wait(), 0);
    EXPECT_NE(headless.Errors().find("DISPLAY"), std::string::npos) << headless.Errors();
  }
  std::filesystem::remove_all(dataHome);
}

}  // namespace
