// The company and group tables, read once at start-up, and the groups of the
// configuration file.
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "core/core.h"
#include "core/text.h"
#include "data/data.h"

std::vector<GroupRec> groups;
int num_groups;
std::vector<CompanyRec> companys;
int num_companys;
CompanyRec nocompany;
int maxgrpcnt;
std::vector<int> grplist;

// Group numbers above this are refused: the table is indexed by number.
constexpr int max_group_number = 100000;

uint32_t symbol_key(const char* symbol) {
  uint32_t k = 0;
  for (const char* c = symbol; *c; ++c)
    k = k * 45 + static_cast<uint32_t>(static_cast<int>(static_cast<signed char>(*c)) - '.');
  return k;
}

int comp_sort(const CompanyRec& a, const CompanyRec& b) {
  return a.key < b.key ? -1 : a.key > b.key ? 1 : 0;
}

// A table file of the general directory, or nullptr.
static FILE* open_general(const char* name) {
  char path[1100];
  std::snprintf(path, sizeof path, "%s/%s", generaldir, name);
  return open_data(path);
}

// The number before the first ':' of a groups line, or 0 when it is none.
static int group_number(const char* line) {
  if (!std::isdigit(static_cast<unsigned char>(line[0]))) return 0;
  long n = std::strtol(line, nullptr, 10);
  return n >= 1 && n <= max_group_number ? static_cast<int>(n) : 0;
}

static void read_group_line(char* line) {
  char* c1 = std::strchr(line, ':');
  int n = group_number(line);
  if (!c1 || n == 0) return;
  char* c2 = std::strchr(c1 + 1, ':');
  if (!c2) return;
  GroupRec& g = groups[n];
  g = GroupRec{};
  g.num = n;
  copy_text(g.name, std::string_view(c1 + 1, c2 - c1 - 1));
  char* c3 = std::strchr(c2 + 1, ':');
  if (c3) {
    copy_text(g.code, std::string_view(c2 + 1, c3 - c2 - 1));
    upcase(g.code);
  }
}

void initial_groups() {
  Trace t("initial_groups");
  num_groups = 0;
  groups.clear();
  FILE* f = open_general("groups");
  if (!f) return;
  char line[256];
  while (read_text_line(f, line, sizeof line) == LineRead::Line)
    if (line[0] != '#' && std::strchr(line, ':')) num_groups = std::max(num_groups, group_number(line));
  groups.assign(num_groups + 1, GroupRec{});
  std::rewind(f);
  while (read_text_line(f, line, sizeof line) == LineRead::Line)
    if (line[0] != '#') read_group_line(line);
  std::fclose(f);
  if (debuglvl >= 2)
    for (int i = 1; i <= num_groups; ++i)
      if (groups[i].num) dump("\tnum=%4d name=%s\n", groups[i].num, groups[i].name);
}

// The next ':'-ended field from *p; false when the ':' is missing.
static bool next_field(char** p, std::string_view* field) {
  char* colon = std::strchr(*p, ':');
  if (!colon) return false;
  *field = std::string_view(*p, colon - *p);
  *p = colon + 1;
  return true;
}

// The lowest group in use whose code begins with `code`.
static int group_of_code(std::string code) {
  for (char& c : code) c = upper_char(c);
  for (int n = 1; n <= num_groups; ++n)
    if (groups[n].num && std::strncmp(groups[n].code, code.c_str(), code.size()) == 0) return n;
  return 0;
}

// Up to five codes fill the five slots; further codes are ignored. An empty
// code (",," or a trailing ',') is no code: as a prefix of every code it
// would join the lowest group.
static void join_groups(CompanyRec& c, std::string_view list) {
  if (list.empty() || list[0] == ' ') return;
  std::size_t slot = 0, start = 0;
  while (slot < 5) {
    std::size_t comma = list.find(',', start);
    std::string code(list.substr(start, comma == std::string_view::npos ? list.npos : comma - start));
    if (!code.empty()) {
      int g = group_of_code(code);
      if (g) {
        c.group[slot] = g;
        ++groups[g].count;
      }
      ++slot;
    }
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
}

static int leading_int(std::string_view s) { return std::atoi(std::string(s).c_str()); }

static bool read_shares(CompanyRec& c, std::string_view field) {
  std::size_t dash = field.find('-');
  if (dash == std::string_view::npos) return false;
  std::string date(field.substr(0, dash));
  int y, m, d;
  if (date.size() >= 6 && std::sscanf(date.c_str(), "%02d%02d%02d", &y, &m, &d) == 3) {
    time_t key = day_key(full_year(y), m, d);
    if (key != NO_KEY) c.sharestime = key;
  }
  c.dateshares = leading_int(date);
  c.shares = leading_int(field.substr(dash + 1));
  return true;
}

// Parses one companys line; false drops it.
static bool parse_company(char* line, CompanyRec& c) {
  c = CompanyRec{};
  c.type = c.market = ' ';
  char* p = line;
  std::string_view f[6];
  for (auto& field : f)
    if (!next_field(&p, &field)) return false;
  copy_text(c.symbol, f[0]);
  c.key = symbol_key(c.symbol);
  copy_text(c.name, f[1]);
  if (!f[2].empty()) c.type = f[2][0];
  if (!f[3].empty()) c.market = f[3][0];
  join_groups(c, f[4]);
  return read_shares(c, f[5]);
}

static void dump_companys() {
  for (int i = 0; i < num_companys; ++i) {
    const CompanyRec& c = companys[i];
    dump("\tindex=%5d symbol=%6.6s name=%s\n", i, c.symbol, c.name);
    dump("\t  type=%c market=%c %d-%d ", c.type, c.market, c.dateshares, c.shares);
    for (int g = 0; g < 5; ++g) dump("[%d]=%d ", g, c.group[g]);
    dump("\n");
  }
}

void initial_companys() {
  Trace t("initial_companys");
  num_companys = 0;
  companys.clear();
  if (FILE* f = open_general("companys")) {
    struct stat st;  // room for the shortest lines, so the table is not copied as it grows
    if (fstat(fileno(f), &st) == 0 && st.st_size > 0) companys.reserve(static_cast<std::size_t>(st.st_size) / 16 + 1);
    CompanyRec c;
    while (read_text_line(f, genbuf, sizeof genbuf) == LineRead::Line)
      if (genbuf[0] != '#' && parse_company(genbuf, c)) companys.push_back(c);
    std::fclose(f);
  }
  // By key, a symbol's lines together in file order: its first line counts.
  std::stable_sort(companys.begin(), companys.end(), [](const CompanyRec& a, const CompanyRec& b) {
    int by_key = comp_sort(a, b);
    return by_key != 0 ? by_key < 0 : std::strcmp(a.symbol, b.symbol) < 0;
  });
  auto again = [](const CompanyRec& a, const CompanyRec& b) { return std::strcmp(a.symbol, b.symbol) == 0; };
  for (std::size_t i = 1; i < companys.size(); ++i)
    if (again(companys[i - 1], companys[i]))
      for (int g : companys[i].group)
        if (g > 0) --groups[static_cast<std::size_t>(g)].count;
  companys.erase(std::unique(companys.begin(), companys.end(), again), companys.end());
  num_companys = static_cast<int>(companys.size());
  if (grpcnt > 0) {
    config_group_line = create_group;
    parse_config(1, 0, nullptr);
    grpcnt = 0;
  }
  maxgrpcnt = 0;
  for (int n = 1; n <= num_groups; ++n) maxgrpcnt = std::max(maxgrpcnt, groups[n].count);
  grplist.assign(maxgrpcnt, 0);
  if (debuglvl >= 2) dump_companys();
}

CompanyRec& find_co(const char* symbol) {
  Trace t("find_co", "symbol=%s", symbol);
  uint32_t key = symbol_key(symbol);
  int low = 0, high = num_companys - 1;
  while (low <= high) {
    int mid = low + (high - low) / 2;
    uint32_t k = companys[mid].key;
    if (k == key) {  // keys collide from six characters on: the text decides
      while (mid > 0 && companys[mid - 1].key == key) --mid;
      for (; mid < num_companys && companys[mid].key == key; ++mid)
        if (std::strncmp(companys[mid].symbol, symbol, sizeof companys[mid].symbol - 1) == 0) return companys[mid];
      break;
    }
    if (k > key) high = mid - 1;
    else low = mid + 1;
  }
  copy_text(nocompany.symbol, symbol);
  return nocompany;
}

int find_grpnum(const char* code) {
  Trace t("find_grpnum", "code=%s", code);
  for (int n = 0; n <= num_groups && n < static_cast<int>(groups.size()); ++n)
    if (std::strcmp(groups[n].code, code) == 0) return n;
  return -1;
}

int group_of_text(const char* text) {
  int g = std::isdigit(static_cast<unsigned char>(text[0])) ? std::atoi(text) : find_grpnum(text);
  return g > 0 && g <= num_groups && g < static_cast<int>(groups.size()) && groups[g].num ? g : 0;
}

bool in_group(const CompanyRec& c, int g) {
  for (int slot : c.group) {
    if (slot == 0) break;
    if (slot == g) return true;
  }
  return false;
}

// Enters group g in the company's list, once.
static void add_member(CompanyRec& c, int g) {
  for (int& slot : c.group) {
    if (slot == g) return;
    if (slot == 0) {
      slot = g;
      ++groups[g].count;
      return;
    }
  }
}

void create_group(char* text) {
  Trace t("create_group", "text=%s", text);
  int slot = 0;
  for (int n = 1; n <= num_groups && !slot; ++n)
    if (groups[n].num == 0) slot = n;
  if (!slot) {
    status("load", __LINE__, "create_group: group space full\n");
    return;
  }
  if (!std::strchr(text, ' ')) {
    std::snprintf(statusbuf, sizeof statusbuf, "create_group: invalid group (%s)\n", text);
    status("load", __LINE__, statusbuf);
    return;
  }
  char* save = nullptr;
  char* word = strtok_r(text, " ", &save);
  if (!word) return;
  GroupRec& g = groups[slot];
  g.num = slot;
  copy_text(g.name, word);
  copy_text(g.code, word);
  upcase(g.code);
  while ((word = strtok_r(nullptr, " ", &save))) {
    CompanyRec& c = find_co(word);
    if (&c != &nocompany) add_member(c, slot);  // unknown symbols stay outside every group
  }
}
