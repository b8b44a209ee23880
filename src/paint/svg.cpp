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

// The length of the well-formed UTF-8 sequence at s (of n bytes) and its
// character; 0 when the bytes there are none (overlong, a surrogate, beyond
// U+10FFFF, cut short).
int utf8_sequence(const unsigned char* s, int n, unsigned* ch) {
  unsigned c = s[0];
  if (c < 0x80) return *ch = c, 1;
  int len = c >= 0xc2 && c <= 0xdf ? 2 : c >= 0xe0 && c <= 0xef ? 3 : c >= 0xf0 && c <= 0xf4 ? 4 : 0;
  if (len == 0 || len > n) return 0;
  unsigned low = c == 0xe0 ? 0xa0 : c == 0xf0 ? 0x90 : 0x80, high = c == 0xed ? 0x9f : c == 0xf4 ? 0x8f : 0xbf;
  if (s[1] < low || s[1] > high) return 0;
  unsigned v = c & (0x7fu >> len);
  for (int i = 1; i < len; ++i) {
    if ((s[i] & 0xc0) != 0x80) return 0;
    v = v << 6 | (s[i] & 0x3f);
  }
  return *ch = v, len;
}

// Text as XML 1.0 takes it in an element or a quoted attribute: the
// characters XML forbids beyond the controls (U+FFFE, U+FFFF) are '?' too.
std::string xml_text(const char* text, int len) {
  std::string out;
  const std::string utf8 = utf8_text(text, len);
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    char c = utf8[i];
    if (c == '&') out += "&amp;";
    else if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else if (c == '"') out += "&quot;";
    else if (utf8.compare(i, 3, "\xef\xbf\xbe") == 0 || utf8.compare(i, 3, "\xef\xbf\xbf") == 0) out += '?', i += 2;
    else out += c;
  }
  return out;
}

std::string hex(unsigned rgb) {
  char text[8];
  std::snprintf(text, sizeof text, "#%06x", rgb & 0xffffff);
  return text;
}

}  // namespace

// Read a sequence at a time, not a text at a time: names are cut at their
// field's size in bytes, which can split a sequence, and one drawn line
// joins texts of several files, so one stray byte must not turn the good
// letters around it into Latin-1 pairs.
std::string utf8_text(const char* text, int len) {
  std::string out;
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  for (int i = 0; i < len;) {
    unsigned ch;
    int n = utf8_sequence(s + i, len - i, &ch);
    if (n == 0) ch = s[i], n = 1;
    if (ch < 0x20 || (ch >= 0x7f && ch < 0xa0)) out += '?';
    else if (ch >= 0x80 && n == 1) out += static_cast<char>(0xc0 | ch >> 6), out += static_cast<char>(0x80 | (ch & 0x3f));
    else out.append(text + i, static_cast<std::size_t>(n));
    i += n;
  }
  return out;
}

unsigned role_rgb(Role r) {
  int i = role_color(r);
  unsigned rgb;
  if (color_rgb(current_color_table()[i].name, &rgb) || color_rgb(default_color_name(i), &rgb)) return rgb;
  return i == COLOR_BACKGROUND ? 0x000000 : 0xffffff;
}

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

// Always "#rrggbb": no text of the settings reaches an attribute.
std::string SvgTarget::colour(Role r) const { return hex(role_rgb(r)); }

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
  // textLength spans the cells the window gives the text, a byte a cell,
  // however many letters its bytes make in UTF-8.
  char head[256];
  std::snprintf(head, sizeof head,
                "<text x=\"%d\" y=\"%d\" fill=\"%s\" font-family=\"monospace\" font-size=\"%d\" textLength=\"%d\" "
                "lengthAdjust=\"spacingAndGlyphs\" xml:space=\"preserve\">",
                x, y, colour(r).c_str(), (font_width * 5 + 1) / 3, len * font_width);  // a monospace glyph is 0.6 em wide
  body_ += head;
  body_ += xml_text(text, len);
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
