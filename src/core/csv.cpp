// The one writer of CSV text fields, for kadmer-scan's lists and groups and
// kadmer-dump's group members: RFC 4180 quoting and a guard against
// spreadsheet formulas.
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
