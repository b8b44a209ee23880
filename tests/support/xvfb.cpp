#include "support/xvfb.h"

#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <thread>

Xvfb::Xvfb(int depth, int width, int height, int visual_class) {
  int fds[2];
  if (pipe(fds) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    close(fds[0]);
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    // Formatted, not concatenated: GCC 12 at -O3 warns falsely on string +.
    char screen[64], fd[16], cc[16];
    std::snprintf(screen, sizeof screen, "%dx%dx%d", width, height, depth);
    std::snprintf(fd, sizeof fd, "%d", fds[1]);
    std::snprintf(cc, sizeof cc, "%d", visual_class);
    if (visual_class >= 0)
      execlp("Xvfb", "Xvfb", "-displayfd", fd, "-screen", "0", screen, "-cc", cc, "-nolisten", "tcp", "-noreset",
             static_cast<char*>(nullptr));
    else
      execlp("Xvfb", "Xvfb", "-displayfd", fd, "-screen", "0", screen, "-nolisten", "tcp", "-noreset",
             static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  char buf[32] = {};
  std::size_t n = 0;
  while (n < sizeof buf - 1) {
    ssize_t r = read(fds[0], buf + n, sizeof buf - 1 - n);
    if (r <= 0) break;
    n += static_cast<std::size_t>(r);
    if (std::memchr(buf, '\n', n)) break;
  }
  close(fds[0]);
  if (n > 0 && buf[0] >= '0' && buf[0] <= '9') {
    char name[32];
    std::snprintf(name, sizeof name, ":%d", std::atoi(buf));
    display_ = name;
  }
}

Xvfb::~Xvfb() {
  if (conn_) XCloseDisplay(conn_);
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
}

Display* Xvfb::connection() {
  if (!conn_ && ok()) conn_ = XOpenDisplay(display_.c_str());
  return conn_;
}

static bool name_starts(Display* d, Window w, const std::string& title) {
  char* name = nullptr;
  bool match = XFetchName(d, w, &name) && name && std::string(name).rfind(title, 0) == 0;
  if (name) XFree(name);
  return match;
}

Window Xvfb::wait_for_window(const std::string& title, double timeout) {
  Display* d = connection();
  if (!d) return 0;
  auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout);
  while (std::chrono::steady_clock::now() < until) {
    Window root, parent, *kids = nullptr;
    unsigned int n = 0;
    XSync(d, False);
    if (XQueryTree(d, DefaultRootWindow(d), &root, &parent, &kids, &n)) {
      Window found = 0;
      for (unsigned int i = 0; i < n && !found; ++i)
        if (name_starts(d, kids[i], title)) {
          XWindowAttributes a;
          if (XGetWindowAttributes(d, kids[i], &a) && a.map_state == IsViewable) found = kids[i];
        }
      if (kids) XFree(kids);
      if (found) return found;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return 0;
}

unsigned long Xvfb::pixel_at(int x, int y) {
  Display* d = connection();
  XImage* img = XGetImage(d, DefaultRootWindow(d), x, y, 1, 1, AllPlanes, ZPixmap);
  if (!img) return ~0UL;
  XColor c;
  c.pixel = XGetPixel(img, 0, 0);
  XDestroyImage(img);
  XQueryColor(d, DefaultColormap(d, DefaultScreen(d)), &c);
  return ((c.red >> 8) << 16) | ((c.green >> 8) << 8) | (c.blue >> 8);
}

std::vector<unsigned long> Xvfb::pixels(Window w, int* width, int* height) {
  Display* d = connection();
  XWindowAttributes a;
  if (!d || !XGetWindowAttributes(d, w, &a)) return {};
  XImage* img = XGetImage(d, w, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
  if (!img) return {};
  std::vector<unsigned long> out;
  out.reserve(static_cast<std::size_t>(a.width) * a.height);
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) {
      out.push_back(XGetPixel(img, x, y) & 0xffffff);  // 24-bit TrueColor: 0xRRGGBB
    }
  XDestroyImage(img);
  *width = a.width;
  *height = a.height;
  return out;
}

RunOptions Xvfb::options() const {
  RunOptions o;
  o.env = {"DISPLAY=" + display_};
  return o;
}

bool Xvfb::screenshot(const std::string& png) {
  std::filesystem::create_directories(std::filesystem::path(png).parent_path());
  RunResult r = run_program("/bin/sh", {"-c", "xwd -root -silent | convert xwd:- png:'" + png + "'"},
                            options());
  return r.status == 0 && std::filesystem::exists(png);
}

RunResult Xvfb::xdotool(const std::vector<std::string>& args) {
  return run_program("/usr/bin/xdotool", args, options());
}

