// The one writer of CSV fields, for kadmer-scan's lists and groups and
// kadmer-dump's rows: text with RFC 4180 quoting and a guard against
// spreadsheet formulas, numbers as short as they read back.
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

#include "core/core.h"

void append_csv_text(std::string& out, std::string_view text) {
  bool quoted = text.find_first_of(",\"\r\n") != std::string_view::npos;
  if (quoted) out += '"';
  if (!text.empty() && std::string_view("=+-@'").find(text[0]) != std::string_view::npos) out += '\'';
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  if (quoted) out += '"';
}

namespace {

// "1.5e+10" as "15000000000". The exponent stands for places only: it comes
// when they outnumber the digits, so the zeros added are never digits lost.
void append_plain(std::string& out, std::string_view text) {
  std::size_t e = text.find("e+");
  if (e == std::string_view::npos) {
    out += text;
    return;
  }
  int places = 0;
  std::from_chars(text.data() + e + 2, text.data() + text.size(), places);
  std::size_t digits = 0;
  for (char c : text.substr(0, e))
    if (c != '.') out += c, digits += c != '-';
  out.append(static_cast<std::size_t>(places) + 1 - digits, '0');
}

// Six significant digits and more, up to `most`, until the text reads back
// as v or within `near` of it (a NaN never does: it gets `most`).
template <typename T>
void append_shortest(std::string& out, T v, int most, T near = 0) {
  v += T(0);  // -0 becomes 0
  char text[64];
  char* end = text;
  for (int digits = 6; digits <= most; ++digits) {
    end = std::to_chars(text, text + sizeof text, v, std::chars_format::general, digits).ptr;
    T back{};
    if (std::from_chars(text, end, back).ptr == end && (back == v || std::fabs(back - v) <= near)) break;
  }
  append_plain(out, std::string_view(text, static_cast<std::size_t>(end - text)));
}

}  // namespace

void append_csv_number(std::string& out, float v) { append_shortest(out, v, 9); }
void append_csv_number(std::string& out, double v) { append_shortest(out, v, 17); }
// A float price lies within 2^-24 of its quote (relatively), a sum of such
// prices times whole volumes as near the sum of the quotes: what lies
// beyond is noise, no cent of the sum.
void append_csv_money(std::string& out, double v) { append_shortest(out, v, 17, std::fabs(v) * 0x1p-23); }
