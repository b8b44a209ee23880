// The two query screens that are not lists of securities, as text: the
// groups by their change, and the printed group totals and distribution.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "core/core.h"
#include "data/data.h"
#include "query/query.h"
#include "query/reading.h"

const char* const group_header = " grp# name               value  %chg";

// The groups by their change, highest first. A view: the group table keeps
// its order, since the rest of the program finds a group by its number.
std::vector<int> group_order() {
  std::vector<int> order;
  for (int g = 0; g <= num_groups && g < static_cast<int>(groups.size()); ++g) order.push_back(g);
  std::stable_sort(order.begin(), order.end(), [](int a, int b) { return groups[a].qchange > groups[b].qchange; });
  return order;
}

std::string group_line(const GroupRec& g) {
  char line[128];
  std::snprintf(line, sizeof line, "%4d %-15.15s %9.3f %5.1f", g.num, g.name, g.qendsum, g.qchange);
  return line;
}

void print_query_groups() {
  int lines = 1;  // the header
  for (int k = 0; k <= num_groups && k < static_cast<int>(groups.size()); ++k)
    lines += groups[k].qchange != 0 && !std::isnan(groups[k].qchange);
  print_will_write(lines);
  query_reading::start_print_writer([](int fd) { return write_query_groups(fd); });
}

bool write_query_groups(int fd, bool csv, int limit) {
  if (!querygroupsloaded) return false;
  std::string out = csv ? "number,name,code,startsum,startcount,endsum,endcount,pct\n" : std::string(group_header) + "\n";
  int taken = 0;
  for (int k : group_order()) {
    const GroupRec& g = groups[static_cast<std::size_t>(k)];
    if (g.qchange == 0 || std::isnan(g.qchange)) continue;
    if (limit > 0 && taken++ >= limit) break;
    if (!csv) {
      out += group_line(g) + "\n";
      continue;
    }
    out += std::to_string(g.num) + ',';
    append_csv_text(out, g.name);
    out += ',';
    append_csv_text(out, g.code);
    out += ',', append_csv_money(out, g.qstartsum);
    out += ',', out += std::to_string(g.qstartcnt);
    out += ',', append_csv_money(out, g.qendsum);
    out += ',', out += std::to_string(g.qendcnt);
    out += ',', append_csv_number(out, g.qchange), out += '\n';
  }
  return query_reading::write_all(fd, out);
}

bool write_query_distr(int fd, bool csv, int limit) {
  if (!querydistrloaded) return false;
  std::string out = csv ? "limit,count\n" : "";
  int taken = 0;
  for (const DistrSlot& s : distr) {
    if (csv && s.cnt == 0) continue;
    if (limit > 0 && taken++ >= limit) break;
    if (!csv) {
      char line[64];
      std::snprintf(line, sizeof line, "%g %d\n", s.limit, s.cnt);
      out += line;
      continue;
    }
    append_csv_number(out, s.limit);
    out += ',', out += std::to_string(s.cnt), out += '\n';
  }
  return query_reading::write_all(fd, out);
}
