#include "support/xvfb.h"

#include <X11/Xutil.h>
#include <unistd.h>

#include <cstdio>


Xvfb::Xvfb(int depth, int width, int height, int visual_class) {
  int fds[2];
  if (pipe(fds) != 0) return;
  // Formatted, not concatenated: GCC 12 at -O3 warns falsely on string +.
  char screen[64], name[16];
  std::snprintf(screen, sizeof screen, "%dx%dx%d", width, height, depth);
  std::vector<std::string> args{"-displayfd", std::to_string(fds[1]), "-screen", "0", screen, "-nolisten", "tcp",
                                "-noreset"};
  if (visual_class >= 0) args.insert(args.end(), {"-cc", std::to_string(visual_class)});
  server_ = std::make_unique<Running>("/usr/bin/Xvfb", args);  // the pipe's ends are inherited
  close(fds[1]);
  // The server writes its display number once it takes connections.
  FILE* in = fdopen(fds[0], "r");
  int n;
  if (in && std::fscanf(in, "%d", &n) == 1 && std::snprintf(name, sizeof name, ":%d", n) > 0) display_ = name;
  if (in) std::fclose(in);
}

Window Xvfb::wait_for_window(const std::string& title) {
  RunResult r = xdotool({"search", "--sync", "--onlyvisible", "--name", "^" + title});
  return r.status == 0 ? std::stoul(r.out) : 0;
}

std::vector<unsigned long> Xvfb::pixels(Window w) {
  Display* d = connection();
  XWindowAttributes a;
  if (!d || !XGetWindowAttributes(d, w, &a)) return {};
  XImage* img = XGetImage(d, w, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
  if (!img) return {};
  std::vector<unsigned long> out;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) out.push_back(XGetPixel(img, x, y) & 0xffffff);  // 24-bit TrueColor
  XDestroyImage(img);
  return out;
}

RunResult Xvfb::xdotool(const std::vector<std::string>& args) {
  return run_program("/usr/bin/xdotool", args, {"", {"DISPLAY=" + display_}, {}});
}
