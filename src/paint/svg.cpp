// The SVG target: the main window as a picture, one element a drawing call,
// text in a monospace font stretched to the character cells.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/core.h"
#include "paint/paint.h"

namespace {

struct Named {
  const char* name;
  unsigned rgb;
};

// The X names a settings file commonly uses, lower case without blanks.
const Named names[] = {
    {"black", 0x000000},       {"white", 0xffffff},        {"red", 0xff0000},          {"green", 0x00ff00},
    {"blue", 0x0000ff},        {"yellow", 0xffff00},       {"cyan", 0x00ffff},         {"magenta", 0xff00ff},
    {"orange", 0xffa500},      {"gray", 0xbebebe},         {"grey", 0xbebebe},         {"darkgray", 0xa9a9a9},
    {"darkgrey", 0xa9a9a9},    {"lightgray", 0xd3d3d3},    {"lightgrey", 0xd3d3d3},    {"dimgray", 0x696969},
    {"dimgrey", 0x696969},     {"darkgreen", 0x006400},    {"forestgreen", 0x228b22},  {"limegreen", 0x32cd32},
    {"seagreen", 0x2e8b57},    {"darkred", 0x8b0000},      {"darkblue", 0x00008b},     {"navy", 0x000080},
    {"navyblue", 0x000080},    {"skyblue", 0x87ceeb},      {"lightblue", 0xadd8e6},    {"steelblue", 0x4682b4},
    {"royalblue", 0x4169e1},   {"darkcyan", 0x008b8b},     {"darkmagenta", 0x8b008b},  {"purple", 0xa020f0},
    {"violet", 0xee82ee},      {"pink", 0xffc0cb},         {"hotpink", 0xff69b4},      {"brown", 0xa52a2a},
    {"gold", 0xffd700},        {"goldenrod", 0xdaa520},    {"khaki", 0xf0e68c},        {"maroon", 0xb03060},
    {"orangered", 0xff4500},   {"darkorange", 0xff8c00},   {"salmon", 0xfa8072},       {"tomato", 0xff6347},
    {"coral", 0xff7f50},       {"turquoise", 0x40e0d0},    {"wheat", 0xf5deb3},        {"tan", 0xd2b48c},
    {"beige", 0xf5f5dc},       {"ivory", 0xfffff0},        {"lightyellow", 0xffffe0},  {"olivedrab", 0x6b8e23},
    {"chartreuse", 0x7fff00},  {"springgreen", 0x00ff7f},  {"lawngreen", 0x7cfc00},   {"aquamarine", 0x7fffd4},
};

bool hex_digits(const char* s, std::size_t n, unsigned* out) {
  unsigned v = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (!std::isxdigit(static_cast<unsigned char>(s[i]))) return false;
    v = v * 16 + static_cast<unsigned>(std::isdigit(static_cast<unsigned char>(s[i])) ? s[i] - '0'
                                                                                  : std::tolower(s[i]) - 'a' + 10);
  }
  *out = v;
  return true;
}

std::string escaped(const char* text, int len) {
  std::string out;
  for (int i = 0; i < len; ++i) {
    char c = text[i];
    if (c == '&') out += "&amp;";
    else if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else if (c == '"') out += "&quot;";
    else out += static_cast<unsigned char>(c) < 32 || c == 127 ? '?' : c;
  }
  return out;
}

std::string hex(unsigned rgb) {
  char text[8];
  std::snprintf(text, sizeof text, "#%06x", rgb & 0xffffff);
  return text;
}

}  // namespace

bool color_rgb(const char* name, unsigned* rgb) {
  std::string key;
  for (const char* p = name; *p; ++p)
    if (*p != ' ') key += static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
  if (!key.empty() && key[0] == '#') {
    unsigned v;
    if (key.size() == 7 && hex_digits(key.c_str() + 1, 6, &v)) return *rgb = v, true;
    if (key.size() == 4 && hex_digits(key.c_str() + 1, 3, &v))
      return *rgb = (v >> 8 & 15) * 0x110000 + (v >> 4 & 15) * 0x1100 + (v & 15) * 0x11, true;
    return false;
  }
  for (const char* grey : {"grey", "gray"})  // grey0 .. grey100: percent of white
    if (key.size() > 4 && key.compare(0, 4, grey) == 0 && key.find_first_not_of("0123456789", 4) == std::string::npos) {
      int percent = std::atoi(key.c_str() + 4);
      if (percent > 100) return false;
      unsigned v = static_cast<unsigned>((percent * 255 + 50) / 100);
      return *rgb = v * 0x010101, true;
    }
  for (const Named& n : names)
    if (key == n.name) return *rgb = n.rgb, true;
  return false;
}

SvgTarget::SvgTarget() : width_(main_win_width), height_(main_win_height) {}

// A name the table does not know falls back to its entry's start colour, as
// the window does on a true-colour screen.
std::string SvgTarget::colour(Role r) const {
  int i = role_color(r);
  unsigned rgb;
  if (color_rgb(current_color_table()[i].name, &rgb) || color_rgb(default_color_name(i), &rgb)) return hex(rgb);
  return hex(i == COLOR_BACKGROUND ? 0x000000 : 0xffffff);
}

std::string SvgTarget::svg() const {
  char head[512];
  std::snprintf(head, sizeof head,
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" viewBox=\"0 0 %d %d\">\n"
                "<rect x=\"0\" y=\"0\" width=\"%d\" height=\"%d\" fill=\"%s\"/>\n",
                width_, height_, width_, height_, width_, height_, colour(Role::GC0).c_str());
  std::string out = head;  // appended piece by piece: GCC 12 misreads a chain of + here
  out += body_;
  out += "</svg>\n";
  return out;
}

void SvgTarget::text(Surface w, Role r, int x, int y, const char* text, int len) {
  if (!shown(w)) return;
  char head[256];
  std::snprintf(head, sizeof head,
                "<text x=\"%d\" y=\"%d\" fill=\"%s\" font-family=\"monospace\" font-size=\"%d\" textLength=\"%d\" "
                "lengthAdjust=\"spacingAndGlyphs\" xml:space=\"preserve\">",
                x, y, colour(r).c_str(), (font_width * 5 + 1) / 3, len * font_width);  // a monospace glyph is 0.6 em wide
  body_ += head;
  body_ += escaped(text, len);
  body_ += "</text>\n";
}

void SvgTarget::fill(Surface w, Role r, int x, int y, int width, int height) {
  if (!shown(w)) return;
  char e[160];
  std::snprintf(e, sizeof e, "<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\" fill=\"%s\"/>\n", x, y,
                width > 0 ? width : 0, height > 0 ? height : 0, colour(r).c_str());
  body_ += e;
}

// X draws a line or an outline through the centres of its pixels.
void SvgTarget::line(Surface w, Role r, int x1, int y1, int x2, int y2) {
  if (!shown(w)) return;
  char e[200];
  std::snprintf(e, sizeof e,
                "<line x1=\"%g\" y1=\"%g\" x2=\"%g\" y2=\"%g\" stroke=\"%s\" stroke-linecap=\"square\"/>\n",
                x1 + 0.5, y1 + 0.5, x2 + 0.5, y2 + 0.5, colour(r).c_str());
  body_ += e;
}

void SvgTarget::rect(Surface w, Role r, int x, int y, int width, int height) {
  if (!shown(w)) return;
  char e[200];
  std::snprintf(e, sizeof e, "<rect x=\"%g\" y=\"%g\" width=\"%d\" height=\"%d\" fill=\"none\" stroke=\"%s\"/>\n",
                x + 0.5, y + 0.5, width > 0 ? width : 0, height > 0 ? height : 0, colour(r).c_str());
  body_ += e;
}

void SvgTarget::polygon(Surface w, Role r, const PaintPoint* points, int n) {
  if (!shown(w)) return;
  body_ += "<polygon points=\"";
  for (int i = 0; i < n; ++i) {
    char point[32];
    std::snprintf(point, sizeof point, "%s%d,%d", i ? " " : "", points[i].x, points[i].y);
    body_ += point;
  }
  body_ += "\" fill=\"";
  body_ += colour(r);
  body_ += "\"/>\n";
}
