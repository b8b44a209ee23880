// The options of a chart and of a query, as the headless tools that load
// or screen (kadmer-dump, kadmer-scan, kadmer-plot) take them, and how they
// set the program's state.
#pragma once

#include <cfloat>
#include <climits>
#include <cstring>
#include <string>

#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "query/query.h"
#include "tools/tool_args.h"

namespace tool {

// ---- a chart ----
struct ChartArgs {
  int mvavg_type = -1, mvavg_days = -1, stoch_days = -1, period = -1, extend = -1;  // -1: the settings'
  int first[3] = {}, last[3] = {};  // year, month, day; 0: not given
  int split_date = 0;
  float split_ratio = 0;
};

// Takes one chart option and its value; false when `a` is none.
inline bool chart_arg(const std::string& a, const char* v, ChartArgs* c) {
  if (a == "--mvavg-type") c->mvavg_type = int_arg(v, 0, 3, "--mvavg-type is 0..3");
  else if (a == "--mvavg-days") c->mvavg_days = int_arg(v, 0, 100000, "--mvavg-days is a count");
  else if (a == "--stoch-days") c->stoch_days = int_arg(v, 0, 100000, "--stoch-days is a count");
  else if (a == "--period") c->period = int_arg(v, 1, 5, "--period is 1..5");
  else if (a == "--extend") c->extend = int_arg(v, 0, 10000, "--extend is a count");
  else if (a == "--first") date_arg(v, c->first);
  else if (a == "--last") date_arg(v, c->last);
  else if (a == "--split-date") {
    int ymd[3];
    date_arg(v, ymd);
    c->split_date = ymd[0] % 100 * 10000 + ymd[1] * 100 + ymd[2];
  } else if (a == "--split-ratio") {
    if (!scan_float(v, &c->split_ratio) || c->split_ratio <= 0) usage("--split-ratio is a positive number");
  } else {
    return false;
  }
  return true;
}

// A reversed window is a mistake on the command line: shown, it would be an
// empty table that looks like a security without data.
inline void check_chart(const ChartArgs& c) {
  if ((c.split_date != 0) != (c.split_ratio != 0)) usage("a split needs both its date and its ratio");
  if (c.first[0] && c.last[0] &&
      day_number(c.first[0], c.first[1], c.first[2]) > day_number(c.last[0], c.last[1], c.last[2]))
    usage("the first date lies after the last date");
}

inline void apply_chart(const ChartArgs& c) {
  if (c.mvavg_type >= 0) mvavgtype = c.mvavg_type;
  if (c.mvavg_days >= 0) mvavgdays = c.mvavg_days;
  if (c.stoch_days >= 0) stochdays = c.stoch_days;
  if (c.period >= 0) graph_type = c.period;
  if (c.extend >= 0) extendday = c.extend;
  adjust_date = c.split_date;
  adjust_ratio = c.split_ratio;
}

// The shown window from --first and --last; without --first it starts at
// the first loaded day (`whole`) or where the load put it.
inline void set_window(const ChartArgs& c, bool whole) {
  if (c.first[0]) KD_csy = c.first[0] % 100, KD_csm = c.first[1], KD_csd = c.first[2];
  else if (whole) KD_csy = KD_sy, KD_csm = KD_sm, KD_csd = KD_sd;
  if (c.last[0]) KD_cey = c.last[0] % 100, KD_cem = c.last[1], KD_ced = c.last[2];
}

// ---- a query ----
struct QueryArgs {
  int start[3] = {}, end[3] = {}, compare[3] = {};
  ListView look = ListView::Price;
  int count = 0;  // 0: every row (as many as fit on a screen)
  float low = 0, high = FLT_MAX;
  char mode = 's';
  std::string distr = "A";
};

inline int mmddyy(const int* ymd) { return ymd[1] * 10000 + ymd[2] * 100 + ymd[0] % 100; }

inline float price_arg(const char* text, const char* what) {
  float v;
  if (!scan_float(text, &v) || v < 0) usage(what);
  return v;
}

// Takes one query option and its value (the list under `list_option`);
// false when `a` is none.
inline bool query_arg(const std::string& a, const char* v, QueryArgs* q, const char* list_option) {
  if (a == "--start") date_arg(v, q->start);
  else if (a == "--end") date_arg(v, q->end);
  else if (a == "--compare") date_arg(v, q->compare);
  else if (a == list_option) {
    q->look = query_look_of(v);
    if (q->look == ListView::Unset) usage((std::string("no list ") + v).c_str());
  } else if (a == "--count") q->count = int_arg(v, 1, INT_MAX, "--count is a positive number");
  else if (a == "--low") q->low = price_arg(v, "--low is a price");
  else if (a == "--high") q->high = price_arg(v, "--high is a price");
  else if (a == "--mode" && (std::strcmp(v, "a") == 0 || std::strcmp(v, "s") == 0)) q->mode = v[0];
  else if (a == "--distr" && v[0]) q->distr = whole_text(v, sizeof distr_screen, "the group");
  else return false;
  return true;
}

// A range needs both its dates, in order.
inline void check_range(const QueryArgs& q, const char* what) {
  if (!q.start[0] || !q.end[0]) usage((std::string(what) + " needs --start and --end").c_str());
  if (day_number(q.start[0], q.start[1], q.start[2]) > day_number(q.end[0], q.end[1], q.end[2]))
    usage("the start date lies after the end date");
}

inline void apply_query(const QueryArgs& q) {
  querysdate = mmddyy(q.start);
  queryedate = querycdate = mmddyy(q.end);
  if (q.compare[0]) querycdate = mmddyy(q.compare);
  querylook = q.look;
  querycount = q.count > 0 ? q.count : INT_MAX;
  querylprice = q.low;
  queryhprice = q.high;
  querysmode = q.mode;
  copy_text(distr_screen, q.distr);
  upcase(distr_screen);
}

}  // namespace tool
