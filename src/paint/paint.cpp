// The calls of the drawing layer, handed to the output target and the
// recorder; the recorder itself.
#include "paint/paint.h"

#include <cstring>

#include "core/core.h"

Surface KD_MainWin;
int font_width, font_height, font_ascent;
int main_win_width, main_win_height;
void* member_gc;

namespace {

PaintTarget* target = nullptr;
DrawRecorder* recorder = nullptr;

}  // namespace

PaintTarget* install_target(PaintTarget* t) {
  PaintTarget* old = target;
  target = t;
  return old;
}

DrawRecorder* install_recorder(DrawRecorder* r) {
  DrawRecorder* old = recorder;
  recorder = r;
  return old;
}

const char* role_name(Role r) {
  static const char* const names[] = {
      "GC0", "GC1", "XOR", "Graph", "Grid", "Highlight", "Range",
      "High", "Low", "Close", "Mvavg", "Bol", "Border", "Qpos",
      "Qneg", "Adv", "Dec", "Dif", "Unc", "Member", "Compare"};
  int i = static_cast<int>(r);
  return i >= 0 && i < static_cast<int>(Role::Count) ? names[i] : "?";
}

int role_color(Role r) {
  static const int colours[] = {
      COLOR_BACKGROUND, COLOR_FOREGROUND, COLOR_FOREGROUND, COLOR_GRAPH, COLOR_GRID, COLOR_HIGHLIGHT, COLOR_RANGE,
      COLOR_HIGH, COLOR_LOW, COLOR_CLOSE, COLOR_MVAVG, COLOR_BOL, COLOR_BORDER, COLOR_QUERYPOS,
      COLOR_QUERYNEG, COLOR_ADVANCE, COLOR_DECLINE, COLOR_ADVDEC, COLOR_UNCHANGED, COLOR_CLOSE, COLOR_COMPARE};
  int i = static_cast<int>(r);
  return i >= 0 && i < static_cast<int>(Role::Count) ? colours[i] : COLOR_FOREGROUND;
}

// ---- the recorder ----

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

void DrawRecorder::text(Surface w, Role r, int x, int y, const char* text, int len) {
  ops.push_back({DrawOp::Kind::Text, w, r, x, y, 0, 0, std::string(text, static_cast<std::size_t>(len)), {}});
}
void DrawRecorder::fill(Surface w, Role r, int x, int y, int width, int height) {
  ops.push_back({DrawOp::Kind::Fill, w, r, x, y, width, height, {}, {}});
}
void DrawRecorder::line(Surface w, Role r, int x1, int y1, int x2, int y2) {
  ops.push_back({DrawOp::Kind::Line, w, r, x1, y1, x2, y2, {}, {}});
}
void DrawRecorder::rect(Surface w, Role r, int x, int y, int width, int height) {
  ops.push_back({DrawOp::Kind::Rect, w, r, x, y, width, height, {}, {}});
}
void DrawRecorder::polygon(Surface w, Role r, const PaintPoint* points, int n) {
  ops.push_back({DrawOp::Kind::Polygon, w, r, 0, 0, 0, 0, {}, std::vector<PaintPoint>(points, points + n)});
}

// ---- the calls ----

void paint_text(Surface w, Role r, int x, int y, const char* text, int len) {
  if (len < 0) len = 0;
  if (recorder) recorder->text(w, r, x, y, text, len);
  if (target) target->text(w, r, x, y, text, len);
}

void paint_text(Surface w, Role r, int x, int y, const char* text) {
  paint_text(w, r, x, y, text, static_cast<int>(std::strlen(text)));
}

void paint_fill(Surface w, Role r, int x, int y, int width, int height) {
  if (recorder) recorder->fill(w, r, x, y, width, height);
  if (target) target->fill(w, r, x, y, width, height);
}

void paint_line(Surface w, Role r, int x1, int y1, int x2, int y2) {
  if (recorder) recorder->line(w, r, x1, y1, x2, y2);
  if (target) target->line(w, r, x1, y1, x2, y2);
}

void paint_rect(Surface w, Role r, int x, int y, int width, int height) {
  if (recorder) recorder->rect(w, r, x, y, width, height);
  if (target) target->rect(w, r, x, y, width, height);
}

void paint_polygon(Surface w, Role r, const PaintPoint* points, int n) {
  if (n < 0) n = 0;
  if (recorder) recorder->polygon(w, r, points, n);
  if (target) target->polygon(w, r, points, n);
}

void paint_flush() {
  if (target) target->flush();
}
