// Running a screen over the query table: which rows it finds, their order,
// and the text or CSV a print and kadmer-scan write of them.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/core.h"
#include "data/data.h"
#include "query/reading.h"
#include "query/screen.h"

const Within* query_within;

bool Within::holds(const QueryRec& r) const {
  if (name.empty()) return true;
  if (group > 0) return in_group(find_co(r.symbol), group);
  return std::binary_search(symbols.begin(), symbols.end(), std::string(r.symbol));
}

const char* Screening::no_average() const {
  for (const ScreenProgram* p : {&where, &sort})
    for (int m : p->named)
      if (query_measures[m].history && std::strcmp(query_measures[m].name, "fibstate") != 0) return no_average_reason();
  return nullptr;
}

bool read_screen_pair(std::string_view where, std::string_view sort, Screening* s, std::string* error) {
  Screening out;
  out.ascending = s->ascending;
  out.name = s->name;
  if (!read_screen(where, &out.where, error)) return false;
  bool no_sort = sort.find_first_not_of(" \t\r\n") == std::string_view::npos;
  if (!read_screen(no_sort ? "pct" : sort, &out.sort, error)) {
    *error = "sort: " + error->substr(error->find(' ') + 1);  // "screen: x" said of the sort
    return false;
  }
  *s = std::move(out);
  return true;
}

std::vector<ScreenRow> run_screen(const Screening& s) {
  std::vector<ScreenRow> rows;
  for (int i = 0; i < querynum; ++i) {
    const QueryRec& r = qs[static_cast<std::size_t>(i)];
    if (!query_in_range(r) || query_is_index(r) || (query_within && !query_within->holds(r))) continue;
    if (!screen_holds(s.where, r)) continue;
    double key = screen_value(s.sort, r);
    if (std::isnan(key)) continue;  // nothing to place it by
    rows.push_back({r, key});
  }
  bool up = s.ascending;
  std::stable_sort(rows.begin(), rows.end(), [up](const ScreenRow& a, const ScreenRow& b) {
    if (a.key != b.key) return up ? a.key < b.key : a.key > b.key;
    return std::strcmp(a.rec.symbol, b.rec.symbol) < 0;
  });
  return rows;
}

std::string screen_sort_title(const Screening& s) {
  std::size_t a = s.sort.text.find_first_not_of(" \t\r\n"), b = s.sort.text.find_last_not_of(" \t\r\n");
  std::string title = a == std::string::npos ? "" : s.sort.text.substr(a, b - a + 1);
  std::replace_if(title.begin(), title.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
  return title;  // one line of the header
}

std::vector<int> screen_columns(const Screening& s) {
  std::vector<int> shown;
  std::string sort = screen_sort_title(s);
  for (int m : s.where.named) {
    const char* name = query_measures[m].name;
    if (std::strcmp(name, "close") != 0 && std::strcmp(name, "pct") != 0 && sort != name) shown.push_back(m);
  }
  return shown;
}

namespace {

void cell(std::string& out, double v, QueryMeasure::Form form, int width) {
  char text[64];
  if (form == QueryMeasure::Form::Count) std::snprintf(text, sizeof text, " %*ld", width, static_cast<long>(v));
  else std::snprintf(text, sizeof text, " %*.2f", width, v);
  out += text;
}

int width_of(const std::string& title) { return std::max(9, static_cast<int>(title.size())); }

}  // namespace

std::string screen_header(const Screening& s) {
  std::string sort_title = screen_sort_title(s);
  char text[128];
  std::snprintf(text, sizeof text, "%-8s %9s %9s", "symbol", "close", "pct");
  std::string out = text;
  out += ' ' + std::string(static_cast<std::size_t>(width_of(sort_title)) - sort_title.size(), ' ') + sort_title;
  for (int m : screen_columns(s)) {
    std::string title = query_measures[m].name;
    out += ' ' + std::string(static_cast<std::size_t>(width_of(title)) - title.size(), ' ') + title;
  }
  return out;
}

std::string screen_line(const Screening& s, const ScreenRow& row) {
  const QueryRec& r = row.rec;
  char text[128];
  std::snprintf(text, sizeof text, "%-8s %9.2f %9.2f", r.symbol, r.close, r.pct);
  std::string out = text;
  cell(out, row.key, QueryMeasure::Form::Float, width_of(screen_sort_title(s)));
  for (int m : screen_columns(s)) cell(out, query_measures[m].get(r), query_measures[m].form, width_of(query_measures[m].name));
  return out;
}

bool write_screen(const Screening& s, const std::vector<ScreenRow>& rows, int fd, bool csv, int limit) {
  std::size_t n = limit > 0 ? std::min(rows.size(), static_cast<std::size_t>(limit)) : rows.size();
  std::string out;
  if (csv) {
    out = query_csv_header();
    for (std::size_t i = 0; i < n; ++i) append_query_csv_row(out, rows[i].rec);
    return query_reading::write_all(fd, out);
  }
  out = screen_header(s) + '\n';
  for (std::size_t i = 0; i < n; ++i) {
    out += screen_line(s, rows[i]) + '\n';
    if (out.size() >= (1 << 16)) {
      if (!query_reading::write_all(fd, out)) return false;
      out.clear();
    }
  }
  return query_reading::write_all(fd, out);
}

Screening shown_screen;
std::vector<ScreenRow> screen_rows;

bool read_typed_screen(const char* text, Screening* s, std::string* error) {
  std::string typed = text;
  typed.erase(0, typed.find_first_not_of(" \t"));
  typed.erase(typed.find_last_not_of(" \t") + 1);
  std::vector<std::string> said;
  for (const SavedScreen& saved : read_saved_screens(&said)) {
    if (saved.name != typed) continue;
    s->name = saved.name;
    if (read_screen_pair(saved.where, saved.sort, s, error)) return true;
    *error = "screens:" + std::to_string(saved.line) + ": " + *error;
    return false;
  }
  s->name.clear();
  std::string where, sort;
  if (!split_screen_sort(typed, &where, &sort)) return *error = "screen: '; sort' and an expression expected", false;
  return read_screen_pair(where, sort, s, error);
}
