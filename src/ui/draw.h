// The thin drawing layer: every chart, list and dialog draws through these
// few calls, which take the graphics context by role. Tests install a
// recorder to see what was drawn where; with no display open only the
// recorder sees the calls.
#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

// Member: the close-dot context of the history member being drawn
// (member_gc).
enum class Role {
  GC0, GC1, XOR, Graph, Grid, Highlight, Range, High, Low, Close, Mvavg,
  Bol, Border, Qpos, Qneg, Adv, Dec, Dif, Unc, Member, Count
};

extern GC member_gc;

const char* role_name(Role r);
GC& gc_of(Role r);  // the graphics context global that plays role r

struct DrawOp {
  enum class Kind { Text, Fill, Line, Rect, Polygon };
  Kind kind;
  Window win;
  Role role;
  int x, y, w, h;            // Line: x, y to w, h (the second point)
  std::string text;          // Text only
  std::vector<XPoint> points;  // Polygon only
};

class DrawRecorder {
 public:
  std::vector<DrawOp> ops;
  // The text operations in drawing order, for compact assertions.
  std::vector<const DrawOp*> texts() const;
  const DrawOp* find_text(const std::string& text) const;
};

// Installs r (nullptr removes it); returns the previous recorder.
DrawRecorder* install_recorder(DrawRecorder* r);

void paint_text(Window w, Role r, int x, int y, const char* text, int len);
void paint_text(Window w, Role r, int x, int y, const char* text);
void paint_fill(Window w, Role r, int x, int y, int width, int height);
void paint_line(Window w, Role r, int x1, int y1, int x2, int y2);
void paint_rect(Window w, Role r, int x, int y, int width, int height);
void paint_polygon(Window w, Role r, XPoint* points, int n);
void paint_flush();
