// The measures of a query row by name: the columns kadmer-scan's CSV
// writes, and what a screen may name. One table for both, so that a screen
// and the CSV never disagree on what a name means.
#include <string>
#include <string_view>

#include "core/core.h"
#include "query/screen.h"

namespace {

using Form = QueryMeasure::Form;

// A row without a close on the compare date has no compare figures.
bool compared(const QueryRec& r) { return r.cmpclose != 0; }
// The history step leaves the averages at 0 for a security without the
// days they need (or without volume for a volume-weighted one).
bool averaged(const QueryRec& r) { return r.mvavg != 0; }

#define FIELD(name, form, has, history) \
  {#name, form, [](const QueryRec& r) { return static_cast<double>(r.name); }, has, history}

}  // namespace

const QueryMeasure query_measures[] = {
    FIELD(firstclose, Form::Float, nullptr, false), FIELD(close, Form::Float, nullptr, false),
    FIELD(change, Form::Float, nullptr, false),     FIELD(pct, Form::Float, nullptr, false),
    FIELD(days, Form::Count, nullptr, false),       FIELD(lowcnt, Form::Count, nullptr, false),
    FIELD(lowmost, Form::Count, nullptr, false),    FIELD(lowlast, Form::Count, nullptr, false),
    FIELD(highcnt, Form::Count, nullptr, false),    FIELD(highmost, Form::Count, nullptr, false),
    FIELD(highlast, Form::Count, nullptr, false),   FIELD(volsum, Form::Double, nullptr, false),
    FIELD(value, Form::Money, nullptr, false),      FIELD(volat, Form::Float, nullptr, false),
    FIELD(gapchg, Form::Float, nullptr, false),     FIELD(gappct, Form::Float, nullptr, false),
    FIELD(topbot, Form::Float, nullptr, false),     FIELD(topbotpos, Form::Float, nullptr, false),
    FIELD(lowlow, Form::Float, nullptr, false),     FIELD(highhigh, Form::Float, nullptr, false),
    FIELD(lowclose, Form::Float, nullptr, false),   FIELD(highclose, Form::Float, nullptr, false),
    FIELD(prevclose, Form::Float, nullptr, false),  FIELD(cmpclose, Form::Float, compared, false),
    FIELD(cmppct, Form::Float, compared, false),    FIELD(mvavg, Form::Float, averaged, true),
    FIELD(mvapct, Form::Float, averaged, true),     FIELD(avgvol, Form::Float, averaged, true),
    FIELD(hivol, Form::Float, averaged, true),      FIELD(rsi, Form::Float, averaged, true),
    FIELD(bolwidth, Form::Float, averaged, true),   FIELD(bolpct, Form::Float, averaged, true),
    FIELD(fibstate, Form::Count, nullptr, true),
};
const int query_measure_count = sizeof query_measures / sizeof query_measures[0];

int query_measure_index(std::string_view name) {
  for (int i = 0; i < query_measure_count; ++i)
    if (name == query_measures[i].name) return i;
  return -1;
}

std::string query_csv_header() {
  std::string out = "symbol";
  for (const QueryMeasure& m : query_measures) out += ',', out += m.name;
  return out + '\n';
}

void append_query_csv_row(std::string& out, const QueryRec& r) {
  append_csv_text(out, r.symbol);
  for (const QueryMeasure& m : query_measures) {
    out += ',';
    double v = m.get(r);
    switch (m.form) {
      case Form::Float: append_csv_number(out, static_cast<float>(v)); break;
      case Form::Double: append_csv_number(out, v); break;
      case Form::Money: append_csv_money(out, v); break;
      case Form::Count: out += std::to_string(static_cast<long>(v)); break;
    }
  }
  out += '\n';
}
