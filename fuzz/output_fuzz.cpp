// What kadmer writes for other programs, from names and symbols of any
// bytes: the query list's CSV rows and the groups' CSV must read back with a
// strict RFC 4180 reader into the same fields and texts (after one leading
// apostrophe of the formula guard comes off), and the SVG picture (texts
// drawn directly, the group and query lists drawn by the views, a fuzzed
// colour name) must parse as XML, with no settings' text in an attribute.
#include <expat.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/support.h"
#include "paint/paint.h"
#include "query/query.h"
#include "views/views.h"

namespace {

using Records = std::vector<std::vector<std::string>>;

// Strict RFC 4180, records ending in LF as the writers end them: a quote in
// an unquoted field, a CR outside quotes, anything but a comma or the end
// of the line after a closing quote, and a last record without its LF fail.
bool read_csv(const std::string& text, Records* records) {
  std::size_t i = 0, n = text.size();
  while (i < n) {
    std::vector<std::string> record;
    for (bool more = true; more;) {
      std::string field;
      if (text[i] == '"') {
        for (++i;; ++i) {
          if (i >= n) return false;
          if (text[i] == '"' && (i + 1 >= n || text[i + 1] != '"')) break;
          if (text[i] == '"') ++i;
          field += text[i];
        }
        ++i;
      } else {
        for (; i < n && text[i] != ',' && text[i] != '\n'; ++i) {
          if (text[i] == '"' || text[i] == '\r') return false;
          field += text[i];
        }
      }
      if (i >= n || (text[i] != ',' && text[i] != '\n')) return false;
      more = text[i++] == ',';
      record.push_back(field);
    }
    records->push_back(record);
  }
  return true;
}

// A text field as it was: a spreadsheet must not see a formula in it, and
// the guard's apostrophe comes off.
std::string text_of(const std::string& field) {
  if (!field.empty() && std::string_view("=+-@").find(field[0]) != std::string_view::npos) std::abort();
  return !field.empty() && field[0] == '\'' ? field.substr(1) : field;
}

std::string written(bool (*write)(int fd)) {
  static int fd = memfd_create("output_fuzz", 0);
  if (fd < 0 || ftruncate(fd, 0) != 0 || lseek(fd, 0, SEEK_SET) != 0 || !write(fd)) std::abort();
  std::string out(static_cast<std::size_t>(lseek(fd, 0, SEEK_CUR)), '\0');
  if (pread(fd, out.data(), out.size(), 0) != static_cast<ssize_t>(out.size())) std::abort();
  return out;
}

Records csv(bool (*write)(int fd), std::size_t fields) {
  Records r;
  if (!read_csv(written(write), &r)) std::abort();
  for (const auto& record : r)
    if (record.size() != fields) std::abort();
  return r;
}

// The printable ASCII of a text other than '?', which every control
// character becomes: it must come through the picture unchanged.
std::string ascii(const std::string& s) {
  std::string out;
  for (char c : s)
    if (c >= 0x20 && c < 0x7f && c != '?') out += c;
  return out;
}

struct Parsed {
  std::vector<std::string> texts;
  std::string text;
  bool in_text = false;
};

bool number_text(const char* v) { return *v && std::strspn(v, "0123456789.-+e ,") == std::strlen(v); }

void XMLCALL start(void* data, const XML_Char* name, const XML_Char** attributes) {
  auto* p = static_cast<Parsed*>(data);
  p->in_text = std::strcmp(name, "text") == 0;
  p->text.clear();
  for (const XML_Char** a = attributes; *a; a += 2) {
    const char *key = a[0], *v = a[1];
    bool colour = std::strcmp(key, "fill") == 0 || std::strcmp(key, "stroke") == 0;
    bool ok = colour ? std::strcmp(v, "none") == 0 || (std::strlen(v) == 7 && v[0] == '#' &&
                                                       std::strspn(v + 1, "0123456789abcdef") == 6)
              : std::strcmp(key, "xmlns") == 0          ? std::strcmp(v, "http://www.w3.org/2000/svg") == 0
              : std::strcmp(key, "font-family") == 0    ? std::strcmp(v, "monospace") == 0
              : std::strcmp(key, "lengthAdjust") == 0   ? std::strcmp(v, "spacingAndGlyphs") == 0
              : std::strcmp(key, "xml:space") == 0      ? std::strcmp(v, "preserve") == 0
                                                        : number_text(v);
    if (!ok) std::abort();
  }
}

void XMLCALL end(void* data, const XML_Char* name) {
  auto* p = static_cast<Parsed*>(data);
  if (std::strcmp(name, "text") == 0) p->texts.push_back(p->text);
  p->in_text = false;
}

void XMLCALL characters(void* data, const XML_Char* s, int len) {
  auto* p = static_cast<Parsed*>(data);
  if (p->in_text) p->text.append(s, static_cast<std::size_t>(len));
}

// The texts of a picture that must be well-formed XML.
std::vector<std::string> parsed(const std::string& svg) {
  Parsed p;
  XML_Parser parser = XML_ParserCreate(nullptr);
  XML_SetUserData(parser, &p);
  XML_SetElementHandler(parser, start, end);
  XML_SetCharacterDataHandler(parser, characters);
  bool ok = XML_Parse(parser, svg.data(), static_cast<int>(svg.size()), 1) == XML_STATUS_OK;
  if (!ok) std::fprintf(stderr, "output_fuzz: %s\n", XML_ErrorString(XML_GetErrorCode(parser)));
  XML_ParserFree(parser);
  if (!ok) std::abort();
  return p.texts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::fresh_settings();
  reset_color_tables();
  // Six symbols, two groups (name, code) and a colour name; NUL separates
  // them, as it ends them in the tables.
  std::vector<std::string> part = fuzz::parts(data, size, 11, 0);

  qs.assign(6, QueryRec{});
  for (int i = 0; i < 6; ++i) {
    QueryRec& r = qs[static_cast<std::size_t>(i)];
    copy_text(r.symbol, part[static_cast<std::size_t>(i)]);
    r.days = 2, r.firstclose = 10, r.close = i % 2 ? 9 : 11, r.change = r.close - 10, r.pct = r.change * 10;
  }
  querynum = 6, query_table_made = true, querylastsort = ListView::Unset, querylook = ListView::Percent;
  querylprice = 0, queryhprice = 1e9f;
  Records rows = csv([](int fd) { return write_query_csv(ListView::Percent, fd); }, 34);
  if (rows.size() != 7) std::abort();
  std::vector<std::string> want, got;
  for (int i = 0; i < 6; ++i) want.push_back(qs[static_cast<std::size_t>(i)].symbol);
  for (std::size_t k = 1; k < rows.size(); ++k) {
    got.push_back(text_of(rows[k][0]));
    if (rows[k][3] != (rows[k][4] == "10" ? "1" : "-1") || (rows[k][4] != "10" && rows[k][4] != "-10")) std::abort();
  }
  std::sort(want.begin(), want.end()), std::sort(got.begin(), got.end());
  if (want != got) std::abort();

  groups.assign(3, GroupRec{});
  num_groups = 2;
  for (int g = 1; g <= 2; ++g) {
    GroupRec& rec = groups[static_cast<std::size_t>(g)];
    rec.num = g, rec.count = 1, rec.qstartsum = 10, rec.qendsum = 10 + g, rec.qstartcnt = rec.qendcnt = 1;
    rec.qchange = static_cast<float>(g * 10);
    copy_text(rec.name, part[static_cast<std::size_t>(4 + 2 * g)]);
    copy_text(rec.code, part[static_cast<std::size_t>(5 + 2 * g)]);
  }
  querygroupsloaded = 1;
  Records totals = csv([](int fd) { return write_query_groups(fd, true); }, 8);
  if (totals.size() != 3) std::abort();
  for (std::size_t k = 1; k < totals.size(); ++k) {
    const GroupRec& g = groups[static_cast<std::size_t>(std::atoi(totals[k][0].c_str()))];
    if (g.num == 0 || text_of(totals[k][1]) != g.name || text_of(totals[k][2]) != g.code) std::abort();
  }

  set_color_name(current_color_table(), COLOR_GRAPH, part[10].c_str());
  font_width = 6, font_height = 13, font_ascent = 11;
  main_win_width = 100 * 6 + 2, main_win_height = 40 * 13 + 2;
  KD_MainWin = 1;
  calculate_globals();
  SvgTarget direct;
  std::vector<std::string> texts(part.begin(), part.end());
  texts.emplace_back(reinterpret_cast<const char*>(data), size);
  for (const std::string& t : texts) direct.text(KD_MainWin, Role::Graph, 0, 13, t.data(), static_cast<int>(t.size()));
  std::vector<std::string> back = parsed(direct.svg());
  if (back.size() != texts.size()) std::abort();
  for (std::size_t i = 0; i < texts.size(); ++i)
    if (ascii(back[i]) != ascii(texts[i])) std::abort();
  for (View look : {View::Groups, View::Query}) {
    graphlook = look;
    SvgTarget svg;
    install_target(&svg);
    draw_chart();
    install_target(nullptr);
    parsed(svg.svg());
  }
  KD_MainWin = 0;
  return 0;
}
