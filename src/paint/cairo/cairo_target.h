// PNG and PDF pictures of the main window, drawn by cairo: the same calls
// as the SVG picture, for kadmer-plot. Only the tools link it; the window
// stays on Xlib alone.
#pragma once

#include <string>

#include "paint/paint.h"

struct _cairo;
struct _cairo_surface;

class CairoTarget : public PaintTarget {
 public:
  enum class Format { Png, Pdf };
  explicit CairoTarget(Format format);  // of the canvas as it is set now
  ~CairoTarget() override;
  CairoTarget(const CairoTarget&) = delete;
  CairoTarget& operator=(const CairoTarget&) = delete;
  // The finished picture; false, with cairo's word for it, when it failed.
  bool finish(std::string* bytes, std::string* error);

  void text(Surface w, Role r, int x, int y, const char* text, int len) override;
  void fill(Surface w, Role r, int x, int y, int width, int height) override;
  void line(Surface w, Role r, int x1, int y1, int x2, int y2) override;
  void rect(Surface w, Role r, int x, int y, int width, int height) override;
  void polygon(Surface w, Role r, const PaintPoint* points, int n) override;

 private:
  bool shown(Surface w) const { return w != 0 && w == KD_MainWin && cr_; }
  void colour(Role r);
  Format format_;
  _cairo_surface* surface_ = nullptr;
  _cairo* cr_ = nullptr;
  std::string pdf_;  // a PDF's bytes as cairo writes them
};
