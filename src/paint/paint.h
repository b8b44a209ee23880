// The drawing layer: every chart, list, screen and dialog draws through these
// few calls, which take the colour by role. What they draw into is a target:
// the X window (installed by the user interface when it opens the display),
// an SVG picture (kadmer-plot), and, beside either, a test's recorder.
#pragma once

#include <string>
#include <vector>

using Surface = unsigned long;  // where to draw: a window of the display, or the picture's one canvas
struct PaintPoint {             // laid out as the display's points
  short x, y;
};

// Member: the close dots of the history member being drawn (member_gc).
enum class Role {
  GC0, GC1, XOR, Graph, Grid, Highlight, Range, High, Low, Close, Mvavg,
  Bol, Border, Qpos, Qneg, Adv, Dec, Dif, Unc, Member, Compare, Count
};
const char* role_name(Role r);
// The colour table entry whose colour role r draws in (the zoom's
// exclusive-or draws in the foreground).
int role_color(Role r);

// ---- the canvas, in pixels, set by whoever opens the target ----
extern Surface KD_MainWin;     // the main window
extern int font_width;         // widest character of the font
extern int font_height;        // ascent + descent
extern int font_ascent;
extern int main_win_width, main_win_height;  // pixels, borders included
extern void* member_gc;        // the display's context of the member drawn; nullptr elsewhere

// ---- targets ----
class PaintTarget {
 public:
  virtual ~PaintTarget() = default;
  virtual void text(Surface w, Role r, int x, int y, const char* text, int len) = 0;
  virtual void fill(Surface w, Role r, int x, int y, int width, int height) = 0;
  virtual void line(Surface w, Role r, int x1, int y1, int x2, int y2) = 0;
  virtual void rect(Surface w, Role r, int x, int y, int width, int height) = 0;
  virtual void polygon(Surface w, Role r, const PaintPoint* points, int n) = 0;
  virtual void flush() {}
};

struct DrawOp {
  enum class Kind { Text, Fill, Line, Rect, Polygon };
  Kind kind;
  Surface win;
  Role role;
  int x, y, w, h;                  // Line: x, y to w, h (the second point)
  std::string text;                // Text only
  std::vector<PaintPoint> points;  // Polygon only
};

// Keeps every call, for tests to look at what was drawn where.
class DrawRecorder : public PaintTarget {
 public:
  std::vector<DrawOp> ops;
  // The text operations in drawing order, for compact assertions.
  std::vector<const DrawOp*> texts() const;
  const DrawOp* find_text(const std::string& text) const;

  void text(Surface w, Role r, int x, int y, const char* text, int len) override;
  void fill(Surface w, Role r, int x, int y, int width, int height) override;
  void line(Surface w, Role r, int x1, int y1, int x2, int y2) override;
  void rect(Surface w, Role r, int x, int y, int width, int height) override;
  void polygon(Surface w, Role r, const PaintPoint* points, int n) override;
};

// An SVG picture of the main window: one element a call, the colours of the
// roles as the settings name them.
class SvgTarget : public PaintTarget {
 public:
  SvgTarget();  // of the canvas as it is set now
  std::string svg() const;  // the whole document

  void text(Surface w, Role r, int x, int y, const char* text, int len) override;
  void fill(Surface w, Role r, int x, int y, int width, int height) override;
  void line(Surface w, Role r, int x1, int y1, int x2, int y2) override;
  void rect(Surface w, Role r, int x, int y, int width, int height) override;
  void polygon(Surface w, Role r, const PaintPoint* points, int n) override;

 private:
  bool shown(Surface w) const { return w != 0 && w == KD_MainWin; }
  std::string colour(Role r) const;
  std::string body_;
  int width_, height_;
};

// "#rrggbb" of an X colour name (the common names, greyNN, #rgb and #rrggbb);
// false for a name it does not know.
bool color_rgb(const char* name, unsigned* rgb);
// The 0xrrggbb a role draws in for a picture: its setting, or where the
// name is unknown its entry's start colour, as the window does on a
// true-colour screen.
unsigned role_rgb(Role r);
// A drawn text as UTF-8: a well-formed UTF-8 sequence as it is, any other
// byte a Latin-1 letter, control characters '?' (a byte a cell kept).
std::string utf8_text(const char* text, int len);

// Installs the output target and the recorder (nullptr removes them); each
// returns the one it replaces.
PaintTarget* install_target(PaintTarget* t);
DrawRecorder* install_recorder(DrawRecorder* r);

void paint_text(Surface w, Role r, int x, int y, const char* text, int len);
void paint_text(Surface w, Role r, int x, int y, const char* text);
void paint_fill(Surface w, Role r, int x, int y, int width, int height);
void paint_line(Surface w, Role r, int x1, int y1, int x2, int y2);
void paint_rect(Surface w, Role r, int x, int y, int width, int height);
void paint_polygon(Surface w, Role r, const PaintPoint* points, int n);
void paint_flush();
