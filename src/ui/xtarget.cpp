// The X target of the drawing layer: each call drawn into its window with
// the graphics context of its role.
#include <X11/Xlib.h>

#include <type_traits>

#include "paint/paint.h"
#include "ui/ui.h"

static_assert(std::is_same_v<Window, Surface>, "a surface is a window of the display");
static_assert(sizeof(XPoint) == sizeof(PaintPoint), "points are handed to the display as they are");

GC& gc_of(Role r) {
  static GC none = nullptr;
  static GC member = nullptr;
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
    case Role::Compare: return KD_GC_Compare;
    case Role::Member: return member = static_cast<GC>(member_gc);
    case Role::Count: break;
  }
  return none;
}

namespace {

class XTarget : public PaintTarget {
 public:
  void text(Surface w, Role r, int x, int y, const char* text, int len) override {
    if (live(w, r)) XDrawString(KD_Display, w, gc_of(r), x, y, text, len);
  }
  void fill(Surface w, Role r, int x, int y, int width, int height) override {
    if (live(w, r) && width > 0 && height > 0) XFillRectangle(KD_Display, w, gc_of(r), x, y, width, height);
  }
  void line(Surface w, Role r, int x1, int y1, int x2, int y2) override {
    if (live(w, r)) XDrawLine(KD_Display, w, gc_of(r), x1, y1, x2, y2);
  }
  void rect(Surface w, Role r, int x, int y, int width, int height) override {
    if (live(w, r) && width >= 0 && height >= 0) XDrawRectangle(KD_Display, w, gc_of(r), x, y, width, height);
  }
  void polygon(Surface w, Role r, const PaintPoint* points, int n) override {
    if (live(w, r) && n > 2)
      XFillPolygon(KD_Display, w, gc_of(r), reinterpret_cast<XPoint*>(const_cast<PaintPoint*>(points)), n, Convex,
                   CoordModeOrigin);
  }
  void flush() override {
    if (KD_Display) XFlush(KD_Display);
  }

 private:
  // X is only called when there is somewhere to draw.
  static bool live(Window w, Role r) { return KD_Display && w && gc_of(r); }
};

}  // namespace

void install_x_target() {
  static XTarget x;
  install_target(&x);
}
