// The market summary: the figures of two index day files, and the three
// layouts that show them (NYSE, OTC, AMEX) as tables.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "market/market.h"

std::vector<MarketEntry> mkt;
int marketnum;

namespace {

// The four numbers after the code: high, low, close, volume.
bool scan_four(const char* p, float* v) {
  for (int i = 0; i < 4; ++i) {
    char* end;
    double x = std::strtod(p, &end);
    if (end == p || !std::isfinite(x)) return false;
    v[i] = static_cast<float>(x);
    while (*end == ' ' || *end == '\t') ++end;
    if (i < 3 && *end++ != ',') return false;
    p = end;
  }
  return true;
}

// Reads the lines of an index file: `each` gets the code (after the
// market character) and the four numbers. A line without a comma ends it.
template <typename Each>
bool read_index_file(const char* path, Each each) {
  static DayText file;  // the program's one day-file reader; lines taken as the line buffer holds them
  if (!file.open(path)) return false;
  for (std::string_view line; file.next(&line);) {
    std::size_t n = std::min(line.size(), sizeof genbuf - 1);
    std::memcpy(genbuf, line.data(), n);
    genbuf[n] = '\0';
    if (genbuf[0] == '#') continue;
    char* comma = std::strchr(genbuf, ',');
    if (!comma) break;
    *comma = '\0';
    float v[4];
    if (genbuf[0] && scan_four(comma + 1, v)) each(genbuf + 1, v);
  }
  return true;
}

void index_path(char* out, std::size_t n, long day) {
  int y, m, d;
  civil_date(day, &y, &m, &d);
  std::snprintf(out, n, "%s/i%02d%02d%02d", daydir, y % 100, m, d);
}

void say(int line, const char* fmt, const char* text = "") {
  std::snprintf(statusbuf, sizeof statusbuf, fmt, text);
  status("market", line, statusbuf);
}

}  // namespace

void fill_market() {
  Trace t("fill_market");
  forget_file_reports();
  if (marketeday == 0 || marketsday == 0 || marketdisp == ' ') return;
  free_history();  // the summary replaces the loaded security
  num_days = work_days = 0;
  load = 0;
  std::memset(symbolname, 0, sizeof symbolname);
  long first = mmddyy_days(marketsday), last = mmddyy_days(marketeday);
  if (first == NO_DAY || last == NO_DAY) return;
  if (last < first) {
    say(__LINE__, "fill_market: start day before end day");
    return;
  }
  char path[1100];
  index_path(path, sizeof path, first);
  std::vector<MarketEntry> read;
  bool opened = read_index_file(path, [&](const char* code, const float* v) {
    MarketEntry e{};
    e.state = 1;
    copy_text(e.code, code);
    std::memcpy(e.start, v, sizeof e.start);
    read.push_back(e);
  });
  if (!opened) {
    say(__LINE__, "fill_market: can not access %s", path);
    return;
  }
  mkt = std::move(read);
  marketnum = static_cast<int>(mkt.size());
  say(__LINE__, "fill_work: reading %s", path);
  index_path(path, sizeof path, last);
  opened = read_index_file(path, [&](const char* code, const float* v) {
    for (MarketEntry& e : mkt)
      if (e.state == 1 && std::strcmp(e.code, code) == 0) {
        e.state = 2;
        std::memcpy(e.end, v, sizeof e.end);
        break;
      }
  });
  if (!opened) {
    say(__LINE__, "fill_work: end day is not valid");
    return;
  }
  status("market", __LINE__, "");
}

// ---- the layouts ----

namespace {

// The value format of a cell, which also places its values.
enum Shape { Count, Volume, Price };
struct ShapeOf {
  const char* format;
  int start, end;
};
const ShapeOf shapes[] = {{"%5.0f", 33, 42}, {"%7.3fM", 30, 39}, {"%7.2f", 31, 40}};

struct Cell {
  int row, column;
  const char* label;
  const char* code;
  int code_column, code_width;
  Shape shape;
  bool change = true;
};

// clang-format off
const LayoutLabel labs_nyse[LAYOUT_LABELS] = {{1, 5, "New York Stock Market"}, {12, 16, "Dow Jones"},
                                              {9, 22, "NYSE Indexes"}, {8, 30, "Miscellaneous"}};
const Cell lay_nyse[] = {
  // row col label               code     col w  shape
  {7, 7, "Advance Issues", "NADV", 23, 5, Count},      {8, 7, "Decline Issues", "NDCL", 23, 5, Count},
  {9, 5, "Unchanged Issues", "NUNCH", 23, 5, Count},   {11, 12, "Up Volume", "NUVL", 24, 4, Volume},
  {12, 10, "Down Volume", "NDVL", 24, 4, Volume},      {13, 5, "Unchanged Volume", "NXVL", 24, 4, Volume},
  {14, 9, "Total Volume", "NTVL", 24, 4, Volume},      {17, 10, "Industrials", "DJ30", 24, 4, Price},
  {18, 12, "Utilities", "DJ15", 24, 4, Price},         {19, 7, "Transportation", "DJ20", 24, 4, Price},
  {20, 12, "Composite", "DJ65", 24, 4, Price},         {23, 12, "Composite", "NYA", 23, 5, Price},
  {24, 12, "Financial", "NYIF", 23, 5, Price},         {25, 11, "Industrial", "NYII", 23, 5, Price},
  {26, 7, "Transportation", "NYIT", 23, 5, Price},     {27, 5, "Short Term Trade", "NTRIN", 23, 5, Price},
  {28, 17, "Beta", "NHB", 23, 5, Price},               {31, 17, "Tick", "NTCK", 24, 4, Price, false},
};
const LayoutLabel labs_otc[LAYOUT_LABELS] = {{2, 5, "National Market System"}, {10, 16, "OTC Indexes"},
                                             {0, 24, "Regional City Indexes"}, {8, 31, "Miscellaneous"}};
const Cell lay_otc[] = {
  {7, 7, "Advance Issues", "QADV", 23, 5, Count},      {8, 7, "Decline Issues", "QDCL", 23, 5, Count},
  {9, 5, "Unchanged Issues", "QUNCH", 23, 5, Count},   {11, 12, "Up Volume", "QUVL", 24, 4, Volume},
  {12, 10, "Down Volume", "QDVL", 24, 4, Volume},      {13, 5, "Unchanged Volume", "QXVL", 24, 4, Volume},
  {14, 9, "Total Volume", "QTVL", 24, 4, Volume},      {17, 10, "Industrials", "INDS", 23, 5, Price},
  {18, 12, "Utilities", "QUTIL", 23, 5, Price},        {19, 7, "Transportation", "QTRAN", 23, 5, Price},
  {20, 14, "Banking", "BANKQ", 23, 5, Price},          {21, 12, "Insurance", "INSR", 23, 5, Price},
  {22, 12, "Composite", "COMPQ", 23, 5, Price},        {25, 14, "Chicago", "IXA", 25, 3, Price},
  {26, 10, "Los Angeles", "IXL", 25, 3, Price},        {27, 13, "New York", "IXN", 25, 3, Price},
  {28, 8, "San Francisco", "IXS", 25, 3, Price},       {29, 8, "Washington DC", "IXW", 25, 3, Price},
  {32, 8, "Natl Mkt Comp", "NCMP", 23, 5, Price},      {33, 11, "Nasdaq 100", "NDX", 23, 5, Price},
  {34, 6, "Cumulative Tick", "QTCK", 23, 5, Price},    {35, 5, "Short Term Trade", "QTRIN", 23, 5, Price},
};
const LayoutLabel labs_amex[LAYOUT_LABELS] = {{2, 5, "American Stock Exchange"}, {0, 16, "Regional Area Indexes"},
                                              {7, 26, "Market Indexes"}, {8, 39, "Miscellaneous"}};
const Cell lay_amex[] = {
  {7, 7, "Advance Issues", "IADV", 23, 5, Count},      {8, 7, "Decline Issues", "ADCL", 23, 5, Count},
  {9, 5, "Unchanged Issues", "AUNCH", 23, 5, Count},   {11, 12, "Up Volume", "AUVL", 24, 4, Volume},
  {12, 10, "Down Volume", "ADVL", 24, 4, Volume},      {13, 5, "Unchanged Volume", "AXVL", 24, 4, Volume},
  {14, 9, "Total Volume", "ATVL", 24, 4, Volume},      {17, 13, "Atlantic", "XAT", 25, 3, Price},
  {18, 14, "Foreign", "XFR", 25, 3, Price},            {19, 13, "Mountain", "XMN", 25, 3, Price},
  {20, 8, "North Central", "XNC", 25, 3, Price},       {21, 12, "Northeast", "XNE", 25, 3, Price},
  {22, 14, "Pacific", "XPI", 25, 3, Price},            {23, 7, "South Atlantic", "XSA", 25, 3, Price},
  {24, 8, "South Central", "XSC", 25, 3, Price},       {27, 13, "Services", "XSI", 25, 3, Price},
  {28, 15, "Retail", "XRI", 25, 3, Price},             {29, 12, "Oil & Gas", "XOI", 25, 3, Price},
  {30, 4, "Natural Resources", "XNR", 25, 3, Price},   {31, 6, "High Technology", "XHT", 25, 3, Price},
  {32, 9, "Construction", "XHC", 25, 3, Price},        {33, 12, "Financial", "XFN", 25, 3, Price},
  {34, 7, "Consumer Goods", "XCS", 25, 3, Price},      {35, 8, "Capital Goods", "XCP", 25, 3, Price},
  {36, 2, "Computer Technology", "XCI", 25, 3, Price}, {37, 8, "Gold & Silver", "XAU", 25, 3, Price},
  {40, 12, "ADR Index", "ADR", 24, 4, Price},          {41, 17, "Tick", "ATCK", 24, 4, Price},
  {42, 10, "Insitutions", "XII", 24, 4, Price},        {43, 9, "Long Term 20", "XLT", 24, 4, Price},
  {44, 9, "Major Market", "XMI", 24, 4, Price},
};
// clang-format on

template <std::size_t N>
std::vector<LayoutCell> cells_of(const Cell (&table)[N]) {
  std::vector<LayoutCell> out;
  for (const Cell& c : table) {
    LayoutCell l{};
    l.column = c.column, l.row = c.row;
    copy_text(l.label, c.label);
    l.code_column = c.code_column, l.code_row = c.row - 1, l.code_width = c.code_width;
    copy_text(l.code, c.code);
    const ShapeOf& s = shapes[c.shape];
    l.start_column = s.start, l.end_column = s.end, l.start_row = l.end_row = c.row;
    copy_text(l.format, s.format);
    l.change_column = 49, l.change_row = c.row;
    copy_text(l.change_format, c.change ? "%5.1f" : "");
    out.push_back(l);
  }
  return out;
}

}  // namespace

Layout layout_of(char display) {
  switch (display) {
    case 'n': case 'N': return {labs_nyse, cells_of(lay_nyse)};
    case 'o': case 'O': return {labs_otc, cells_of(lay_otc)};
    case 'a': case 'A': return {labs_amex, cells_of(lay_amex)};
    default: return {nullptr, {}};
  }
}

namespace {

// A value in the cell's format, with fewer decimals when it would reach
// the next column: a blank always parts two values.
std::string fitted(const char* format, double v, int room) {
  char text[64], shorter[16];
  std::snprintf(text, sizeof text, format, v);
  const char* point = std::strchr(format, '.');
  int places = point ? std::atoi(point + 1) : 0;
  while (static_cast<int>(std::strlen(text)) > room && places > 0 && point) {
    std::snprintf(shorter, sizeof shorter, "%.*s.%d%s", static_cast<int>(point - format), format, --places,
                  point + 2);
    std::snprintf(text, sizeof text, shorter, v);
  }
  return text;
}

}  // namespace

CellText cell_text(const LayoutCell& c) {
  CellText t;
  const MarketEntry* e = nullptr;
  for (const MarketEntry& m : mkt)
    if (std::strcmp(m.code, c.code) == 0) {
      e = &m;
      break;
    }
  if (!e) return t;
  t.start = fitted(c.format, e->start[2], c.end_column - c.start_column - 1);
  if (e->state != 2) return t;  // not in the end file: no end value, no change
  char text[64];
  t.end = fitted(c.format, e->end[2], c.change_column - c.end_column - 1);
  if (c.change_format[0] && e->start[2] != 0) {
    std::snprintf(text, sizeof text, c.change_format, (e->end[2] - e->start[2]) / e->start[2] * 100);
    t.change = text;
  }
  return t;
}
