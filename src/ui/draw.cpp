#include "ui/draw.h"

#include <cstring>

#include "ui/ui.h"

static DrawRecorder* recorder = nullptr;
GC member_gc = nullptr;

DrawRecorder* install_recorder(DrawRecorder* r) {
  DrawRecorder* old = recorder;
  recorder = r;
  return old;
}

std::vector<const DrawOp*> DrawRecorder::texts() const {
  std::vector<const DrawOp*> out;
  for (const DrawOp& op : ops)
    if (op.kind == DrawOp::Kind::Text) out.push_back(&op);
  return out;
}

const DrawOp* DrawRecorder::find_text(const std::string& text) const {
  for (const DrawOp& op : ops)
    if (op.kind == DrawOp::Kind::Text && op.text == text) return &op;
  return nullptr;
}

const char* role_name(Role r) {
  static const char* const names[] = {
      "GC0", "GC1", "XOR", "Graph", "Grid", "Highlight", "Range",
      "High", "Low", "Close", "Mvavg", "Bol", "Border", "Qpos",
      "Qneg", "Adv", "Dec", "Dif", "Unc", "Member"};
  int i = static_cast<int>(r);
  return i >= 0 && i < static_cast<int>(Role::Count) ? names[i] : "?";
}

GC& gc_of(Role r) {
  static GC none = nullptr;
  switch (r) {
    case Role::GC0: return KD_GC0;
    case Role::GC1: return KD_GC1;
    case Role::XOR: return KD_XOR;
    case Role::Graph: return KD_GC_Graph;
    case Role::Grid: return KD_GC_Grid;
    case Role::Highlight: return KD_GC_Highlight;
    case Role::Range: return KD_GC_Range;
    case Role::High: return KD_GC_High;
    case Role::Low: return KD_GC_Low;
    case Role::Close: return KD_GC_Close;
    case Role::Mvavg: return KD_GC_Mvavg;
    case Role::Bol: return KD_GC_Bol;
    case Role::Border: return KD_GC_Border;
    case Role::Qpos: return KD_GC_Qpos;
    case Role::Qneg: return KD_GC_Qneg;
    case Role::Adv: return KD_GC_Adv;
    case Role::Dec: return KD_GC_Dec;
    case Role::Dif: return KD_GC_Dif;
    case Role::Unc: return KD_GC_Unc;
    case Role::Member: return member_gc;
    case Role::Count: break;
  }
  return none;
}

// X is only called when there is somewhere to draw.
static bool live(Window w, Role r) { return KD_Display && w && gc_of(r); }

static void record(DrawOp op) {
  if (recorder) recorder->ops.push_back(std::move(op));
}

void paint_text(Window w, Role r, int x, int y, const char* text, int len) {
  if (len < 0) len = 0;
  record({DrawOp::Kind::Text, w, r, x, y, 0, 0, std::string(text, len), {}});
  if (live(w, r)) XDrawString(KD_Display, w, gc_of(r), x, y, text, len);
}

void paint_text(Window w, Role r, int x, int y, const char* text) {
  paint_text(w, r, x, y, text, static_cast<int>(std::strlen(text)));
}

void paint_fill(Window w, Role r, int x, int y, int width, int height) {
  record({DrawOp::Kind::Fill, w, r, x, y, width, height, {}, {}});
  if (live(w, r) && width > 0 && height > 0)
    XFillRectangle(KD_Display, w, gc_of(r), x, y, width, height);
}

void paint_line(Window w, Role r, int x1, int y1, int x2, int y2) {
  record({DrawOp::Kind::Line, w, r, x1, y1, x2, y2, {}, {}});
  if (live(w, r)) XDrawLine(KD_Display, w, gc_of(r), x1, y1, x2, y2);
}

void paint_rect(Window w, Role r, int x, int y, int width, int height) {
  record({DrawOp::Kind::Rect, w, r, x, y, width, height, {}, {}});
  if (live(w, r) && width >= 0 && height >= 0)
    XDrawRectangle(KD_Display, w, gc_of(r), x, y, width, height);
}

void paint_polygon(Window w, Role r, XPoint* points, int n) {
  record({DrawOp::Kind::Polygon, w, r, 0, 0, 0, 0, {},
          std::vector<XPoint>(points, points + (n > 0 ? n : 0))});
  if (live(w, r) && n > 2)
    XFillPolygon(KD_Display, w, gc_of(r), points, n, Convex, CoordModeOrigin);
}

void paint_flush() {
  if (KD_Display) XFlush(KD_Display);
}
