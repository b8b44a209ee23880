// The cairo target: pixels as the window draws them (lines and outlines
// through the centres of their pixels, no smoothing but the text's), text
// in the monospace face fontconfig finds, stretched to the cells the window
// gives it.
#include "paint/cairo/cairo_target.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cstdlib>

namespace {

// cairo and fontconfig keep the faces they found until they are told to
// let go: at exit, so that a leak checker sees nothing left.
void release_fonts() {
  cairo_debug_reset_static_data();
  FcFini();
}

cairo_status_t append(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

CairoTarget::CairoTarget(Format format) : format_(format) {
  static const bool released_at_exit = std::atexit(release_fonts) == 0;
  (void)released_at_exit;
  int w = main_win_width > 0 ? main_win_width : 1, h = main_win_height > 0 ? main_win_height : 1;
  surface_ = format == Format::Png ? cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h)
                                   : cairo_pdf_surface_create_for_stream(append, &pdf_, w, h);  // a point a pixel
  cr_ = cairo_create(surface_);
  cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
  cairo_set_line_width(cr_, 1);
  cairo_set_line_cap(cr_, CAIRO_LINE_CAP_SQUARE);
  cairo_select_font_face(cr_, "monospace", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr_, font_width * 5.0 / 3);  // a monospace glyph is 0.6 em wide
  colour(Role::GC0);
  cairo_paint(cr_);
}

CairoTarget::~CairoTarget() {
  if (cr_) cairo_destroy(cr_);
  if (surface_) cairo_surface_destroy(surface_);
}

bool CairoTarget::finish(std::string* bytes, std::string* error) {
  bytes->clear();
  cairo_status_t status = cairo_status(cr_);
  cairo_destroy(cr_);
  cr_ = nullptr;
  if (status == CAIRO_STATUS_SUCCESS && format_ == Format::Png)
    status = cairo_surface_write_to_png_stream(surface_, append, bytes);
  cairo_surface_finish(surface_);
  if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface_);
  if (format_ == Format::Pdf) bytes->swap(pdf_);
  if (status == CAIRO_STATUS_SUCCESS) return true;
  *error = cairo_status_to_string(status);
  bytes->clear();
  return false;
}

void CairoTarget::colour(Role r) {
  unsigned rgb = role_rgb(r);
  cairo_set_source_rgb(cr_, (rgb >> 16 & 255) / 255.0, (rgb >> 8 & 255) / 255.0, (rgb & 255) / 255.0);
}

void CairoTarget::text(Surface w, Role r, int x, int y, const char* text, int len) {
  if (!shown(w) || len <= 0) return;
  std::string t = utf8_text(text, len);
  cairo_text_extents_t e;
  cairo_text_extents(cr_, t.c_str(), &e);
  colour(r);
  cairo_save(cr_);
  cairo_set_antialias(cr_, CAIRO_ANTIALIAS_DEFAULT);
  cairo_translate(cr_, x, y);
  if (e.x_advance > 0) cairo_scale(cr_, len * font_width / e.x_advance, 1);
  cairo_move_to(cr_, 0, 0);
  cairo_show_text(cr_, t.c_str());
  cairo_restore(cr_);
}

void CairoTarget::fill(Surface w, Role r, int x, int y, int width, int height) {
  if (!shown(w) || width <= 0 || height <= 0) return;
  colour(r);
  cairo_rectangle(cr_, x, y, width, height);
  cairo_fill(cr_);
}

void CairoTarget::line(Surface w, Role r, int x1, int y1, int x2, int y2) {
  if (!shown(w)) return;
  colour(r);
  cairo_move_to(cr_, x1 + 0.5, y1 + 0.5);
  cairo_line_to(cr_, x2 + 0.5, y2 + 0.5);
  cairo_stroke(cr_);
}

void CairoTarget::rect(Surface w, Role r, int x, int y, int width, int height) {
  if (!shown(w) || width < 0 || height < 0) return;
  colour(r);
  cairo_rectangle(cr_, x + 0.5, y + 0.5, width, height);
  cairo_stroke(cr_);
}

void CairoTarget::polygon(Surface w, Role r, const PaintPoint* points, int n) {
  if (!shown(w) || n < 3) return;
  colour(r);
  cairo_move_to(cr_, points[0].x, points[0].y);
  for (int i = 1; i < n; ++i) cairo_line_to(cr_, points[i].x, points[i].y);
  cairo_close_path(cr_);
  cairo_fill(cr_);
}
