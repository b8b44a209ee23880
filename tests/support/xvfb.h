// A private virtual X server for tests: started on a free display number,
// stopped with the fixture. Tests never touch a real display.
#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <string>
#include <vector>

#include "support/run.h"

class Xvfb {
 public:
  // visual_class: -1 the server's default for the depth, else StaticGray (0) ..
  // DirectColor (5).
  explicit Xvfb(int depth = 24, int width = 1280, int height = 1024, int visual_class = -1);
  ~Xvfb() { if (conn_) XCloseDisplay(conn_); }  // the server is stopped after the connection is closed
  bool ok() const { return server_ && !display_.empty(); }
  const std::string& display() const { return display_; }  // ":N"
  // The test's own connection, for asking the server.
  Display* connection() { if (!conn_ && ok()) conn_ = XOpenDisplay(display_.c_str()); return conn_; }
  // The mapped window whose name begins with `title`, or 0 after 20 s.
  Window wait_for_window(const std::string& title);
  // Pixels of window w (0xRRGGBB), row by row; empty when it cannot be read.
  std::vector<unsigned long> pixels(Window w);
  RunResult xdotool(const std::vector<std::string>& args);

 private:
  std::unique_ptr<Running> server_;
  std::string display_;
  Display* conn_ = nullptr;
};
