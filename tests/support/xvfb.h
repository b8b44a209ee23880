// A private virtual X server for tests: started on a free display number,
// stopped with the fixture. Tests never touch a real display.
#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

#include "support/run.h"

class Xvfb {
 public:
  // visual_class: -1 the server's default for the depth, else StaticGray (0) ..
  // DirectColor (5).
  explicit Xvfb(int depth = 24, int width = 1280, int height = 1024, int visual_class = -1);
  ~Xvfb();
  bool ok() const { return pid_ > 0 && !display_.empty(); }
  const std::string& display() const { return display_; }  // ":N"

  // A connection of the test's own, for asking the server.
  Display* connection();
  // The top-level window whose name begins with `title`, or 0 after `timeout`.
  Window wait_for_window(const std::string& title, double timeout = 15);
  unsigned long pixel_at(int x, int y);  // root window pixel, as 0xRRGGBB
  // Pixels of window w (0xRRGGBB), row by row; empty when it cannot be read.
  std::vector<unsigned long> pixels(Window w, int* width, int* height);
  // xwd + convert: writes a PNG of the whole screen; true on success.
  bool screenshot(const std::string& png);
  RunResult xdotool(const std::vector<std::string>& args);
  RunOptions options() const;  // DISPLAY set to this server

 private:
  int pid_ = -1;
  std::string display_;
  Display* conn_ = nullptr;
};

