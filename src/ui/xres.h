// Owning holders for X resources: each releases its resource through the
// display's release call, and all are released before the display closes.
#pragma once

#include <X11/Xlib.h>

#include "ui/ui.h"

template <typename T, int (*Release)(Display*, T)>
class XOwned {
 public:
  XOwned() = default;
  ~XOwned() { reset(); }
  XOwned(const XOwned&) = delete;
  XOwned& operator=(const XOwned&) = delete;
  XOwned& operator=(T v) {
    reset();
    value_ = v;
    return *this;
  }
  void reset() {
    if (value_ && KD_Display) Release(KD_Display, value_);
    value_ = T{};
  }
  T get() const { return value_; }

 private:
  T value_{};
};

using XGc = XOwned<GC, XFreeGC>;
using XWindow = XOwned<Window, XDestroyWindow>;
using XFont = XOwned<XFontStruct*, XFreeFont>;
using XPixmap = XOwned<Pixmap, XFreePixmap>;
using XCursorRes = XOwned<Cursor, XFreeCursor>;
using XColormap = XOwned<Colormap, XFreeColormap>;
