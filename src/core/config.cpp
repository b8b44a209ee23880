// The configuration file ".kadmer": key = value lines read at start-up, and
// the check that moves the end dates to the newest day file.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "core/config_keys.h"
#include "core/core.h"
#include "core/text.h"

namespace config {

// Tested in this order; the first key that matches wins.
const ConfigKey config_keys[] = {
    // key          kind             target
    {"background", Kind::Color, COLOR_BACKGROUND},
    {"foreground", Kind::Color, COLOR_FOREGROUND},
    {"bordercolor", Kind::Color, COLOR_BORDER},
    {"graphcolor", Kind::Color, COLOR_GRAPH},
    {"closecolor", Kind::Color, COLOR_CLOSE},
    {"rangecolor", Kind::Color, COLOR_RANGE},
    {"mvavgcolor", Kind::Color, COLOR_MVAVG},
    {"gridcolor", Kind::Color, COLOR_GRID},
    {"highcolor", Kind::Color, COLOR_HIGH},
    {"lowcolor", Kind::Color, COLOR_LOW},
    {"bolcolor", Kind::Color, COLOR_BOL},
    {"advcolor", Kind::Color, COLOR_ADVANCE},
    {"deccolor", Kind::Color, COLOR_DECLINE},
    {"difcolor", Kind::Color, COLOR_ADVDEC},
    {"unccolor", Kind::Color, COLOR_UNCHANGED},
    {"hlccolor", Kind::Color, COLOR_HIGHLIGHT},
    {"cmpcolor", Kind::Color, COLOR_COMPARE},
    {"printpath", Kind::Text, 0, printpath, sizeof printpath},
    {"generaldir", Kind::Text, 0, generaldir, sizeof generaldir},
    {"symboldir", Kind::Text, 0, symboldir, sizeof symboldir},
    {"daydir", Kind::Text, 0, daydir, sizeof daydir},
    {"mvavg", Kind::Flag, 0, nullptr, 0, &mvavgflag},
    {"fib", Kind::Flag, 0, nullptr, 0, &fibflag},
    {"broker", Kind::FirstChar, 0, nullptr, 0, nullptr, nullptr, &broker, false},
    {"volturnover", Kind::Flag, 0, nullptr, 0, &volflag},
    {"bollinger", Kind::Flag, 0, nullptr, 0, &bollingerflag},
    {"extendday", Kind::Int, 0, nullptr, 0, &extendday, nullptr, nullptr, false},
    {"fibtop", Kind::Float, 0, nullptr, 0, nullptr, &fibtop},
    {"fibbot", Kind::Float, 0, nullptr, 0, nullptr, &fibbot},
    {"fibpolar", Kind::Char, 0, nullptr, 0, nullptr, nullptr, &fibpolar},
    {"fibhigh", Kind::Float, 0, nullptr, 0, nullptr, &fibhigh},
    {"fiblow", Kind::Float, 0, nullptr, 0, nullptr, &fiblow},
    {"stdev", Kind::Float, 0, nullptr, 0, nullptr, &bolstd},
    {"mvavgtype", Kind::Int, 0, nullptr, 0, &mvavgtype},
    {"mvavgdays", Kind::Int, 0, nullptr, 0, &mvavgdays},
    {"stochdays", Kind::Int, 0, nullptr, 0, &stochdays},
    {"graphtype", Kind::Int, 0, nullptr, 0, &graph_type},
    {"xpos", Kind::Int, 0, nullptr, 0, &xpos, nullptr, nullptr, false},
    {"ypos", Kind::Int, 0, nullptr, 0, &ypos, nullptr, nullptr, false},
    {"width", Kind::Int, 0, nullptr, 0, &width, nullptr, nullptr, false},
    {"height", Kind::Int, 0, nullptr, 0, &height, nullptr, nullptr, false},
    {"graphadv", Kind::Int, 0, nullptr, 0, &graph_adv},
    {"threads", Kind::Threads, 0, nullptr, 0, &threads},
    {"raxis", Kind::Char, 0, nullptr, 0, nullptr, nullptr, &raxis},
    {"laxis", Kind::Char, 0, nullptr, 0, nullptr, nullptr, &laxis},
    {"format", Kind::Char, 0, nullptr, 0, nullptr, nullptr, &format, false},
    {"track", Kind::Flag, 0, nullptr, 0, &trackstate},
    {"grid", Kind::Flag, 0, nullptr, 0, &gridstate},
    {"fitshown", Kind::OnOff, 0, nullptr, 0, &fitshown},
    {"querycount", Kind::Int, 0, nullptr, 0, &querycount},
    {"querylow", Kind::Float, 0, nullptr, 0, nullptr, &querylprice},
    {"queryhigh", Kind::Float, 0, nullptr, 0, nullptr, &queryhprice},
    {"querymode", Kind::Char, 0, nullptr, 0, nullptr, nullptr, &querysmode},
    {"querydistr", Kind::Upper, 0, distr_screen, sizeof distr_screen},
    {"queryclass", Kind::ClassWidth, 0, nullptr, 0, nullptr, &distr_incr},
    {"screen", Kind::Text, 0, screen_text, sizeof screen_text},
    {"compare", Kind::Text, 0, comparename, sizeof comparename},
    {"watchlist", Kind::Text, 0, watchlist_name, sizeof watchlist_name},
    {"group", Kind::Group, 0, nullptr, 0, nullptr, nullptr, nullptr, false},
};

const std::size_t key_count = std::size(config_keys);
ColorEntry* config_colors = colors_vr;  // chosen by the first pass

}  // namespace config

using namespace config;

// "%d": an optional sign and digits after blanks; false when nothing scans or
// the number does not fit an int.
bool scan_int(const char* s, int* out) {
  char* end;
  errno = 0;
  long v = std::strtol(s, &end, 10);
  if (end == s || errno == ERANGE || v < -2147483647L - 1 || v > 2147483647L) return false;
  *out = static_cast<int>(v);
  return true;
}

// "%f": false when nothing scans or the value is not finite.
bool scan_float(const char* s, float* out) {
  char* end;
  float v = std::strtof(s, &end);
  if (end == s || !std::isfinite(v)) return false;
  *out = v;
  return true;
}

// A count of threads from 0 (every core) to 64; anything else is said,
// with the count used instead.
static void take_threads(const ConfigKey& k, const char* value, int mode) {
  int n;
  bool scanned = scan_int(value, &n);
  int used = !scanned || n < 0 ? 0 : std::min(n, 64);
  if (mode == 0 && (!scanned || used != n))
    std::fprintf(stderr, "kadmer: line %s=%s is invalid: %s=%d%s is used\n", k.key, value, k.key, used,
                 used == 0 ? " (every core)" : "");
  *k.ivar = used;
}

static void apply_key(const ConfigKey& k, char* value, int mode) {
  switch (k.kind) {
    case Kind::Color:
      if (*value) set_color_name(config_colors, k.color, value);
      break;
    case Kind::Text:
    case Kind::Upper:
      if (*value) copy_text(k.text, k.size, value);
      if (k.kind == Kind::Upper) upcase(k.text);
      break;
    case Kind::Flag: *k.ivar = 1; break;
    case Kind::OnOff:
      *k.ivar = std::strcmp(value, "off") != 0 && std::strcmp(value, "0") != 0 && std::strcmp(value, "no") != 0;
      break;
    case Kind::Int: scan_int(value, k.ivar); break;
    case Kind::Threads: take_threads(k, value, mode); break;
    case Kind::Float: scan_float(value, k.fvar); break;
    case Kind::ClassWidth: {
      float w;
      if (scan_float(value, &w) && w > 0) set_class_width(w);
      break;
    }
    case Kind::Char:
    case Kind::FirstChar:
      if (*value) *k.cvar = value[0];
      break;
    case Kind::Group:
      if (mode == 0) ++grpcnt;
      else if (config_group_line) config_group_line(value);
      break;
  }
}

bool config::split_setting(std::string_view line, Setting* s) {
  std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return false;
  std::size_t from = 0, to = eq;
  while (from < eq && is_blank(line[from])) ++from;
  while (to > from && is_blank(line[to - 1])) --to;
  s->key = line.substr(from, to - from);
  s->value_at = eq + 1;
  while (s->value_at < line.size() && is_blank(line[s->value_at])) ++s->value_at;
  s->value_end = line.size();
  for (std::size_t i = s->value_at; i + 1 < line.size(); ++i)
    if (is_blank(line[i]) && line[i + 1] == '#') {
      for (s->value_end = i; s->value_end > s->value_at && is_blank(line[s->value_end - 1]);) --s->value_end;
      break;
    }
  return true;
}

bool apply_config_line(char* line, int mode) {
  Setting set;
  if (!split_setting(line, &set)) return false;
  char* value = line + set.value_at;
  line[set.value_end] = '\0';  // a trailing comment is no part of the value
  for (std::size_t i = 0; i < key_count; ++i) {
    const ConfigKey& k = config_keys[i];
    if (set.key == k.key) {
      // The second pass only creates the groups: everything else was set
      // by the first, and the command line may have changed it since.
      if (mode == 0 || k.kind == Kind::Group) apply_key(k, value, mode);
      break;
    }
  }
  return true;
}

char config_file[1024];
char config_read[1024];
void (*config_group_line)(char* text);

// Only a regular file is read, and its open never waits (a FIFO there
// would hang every tool); anything else is named and passed over.
static FILE* open_path(const std::string& path) {
  std::string problem;
  int fd = open_regular(path.c_str(), &problem);
  FILE* f = fd < 0 ? nullptr : fdopen(fd, "r");
  if (f) copy_text(config_read, path);
  else if (fd >= 0) close(fd);
  if (!problem.empty()) std::fprintf(stderr, "kadmer: %s: settings not read\n", problem.c_str());
  return f;
}

static FILE* open_config() {
  if (config_file[0]) return open_path(config_file);
  if (FILE* f = open_path("./.kadmer")) return f;
  const char* home = std::getenv("HOME");
  return home ? open_path(std::string(home) + "/.kadmer") : nullptr;
}

// Reads one physical line of any length into genbuf, cut at the buffer's
// size. Only a real line end is removed (a newline, or the CR and newline
// of a file written elsewhere): an unterminated last line keeps its last
// character.
static bool read_config_line(FILE* f) {
  std::size_t n = 0;
  int c;
  bool any = false, cut = false;
  while ((c = std::getc(f)) != EOF) {
    any = true;
    if (c == '\n') break;
    if (n < sizeof genbuf - 1) genbuf[n++] = static_cast<char>(c);
    else cut = true;
  }
  if (!cut && n > 0 && genbuf[n - 1] == '\r') --n;  // the last line's too: a save would end it
  genbuf[n] = '\0';
  return any;
}

void parse_config(int mode, int argc, char** argv) {
  Trace t("parse_config", "mode=%d argc=%d", mode, argc);
  if (mode == 0) config_colors = color_table_for_args(argc, argv), config_read[0] = '\0';
  FILE* f = open_config();
  if (f) {
    while (read_config_line(f)) {
      if (genbuf[0] == '#') continue;
      if (!apply_config_line(genbuf, mode) && mode == 0)
        std::fprintf(stderr, "kadmer: line %s is invalid\n", genbuf);
    }
    std::fclose(f);
  }
  if (mode == 0) check_day_files();
}

// The stock day file name "sYYMMDD" as a day number, or NO_DAY.
static long stock_file_day(const char* name) {
  if (std::strlen(name) != 7 || name[0] != 's') return NO_DAY;
  for (int i = 1; i < 7; ++i)
    if (name[i] < '0' || name[i] > '9') return NO_DAY;
  return yymmdd_days(std::atoi(name + 1));
}

void check_day_files() {
  Trace t("check_day_files");
  long end = mmddyy_days(queryedate);
  if (end != NO_DAY) {
    int y, m, d;
    civil_date(end, &y, &m, &d);
    char path[1100];
    std::snprintf(path, sizeof path, "%s/s%02d%02d%02d", daydir, y % 100, m, d);
    struct stat st;
    if (stat(path, &st) == 0) return;
  }
  DIR* dir = opendir(daydir);
  if (!dir) return;
  long newest = NO_DAY, second = NO_DAY;
  while (struct dirent* e = readdir(dir)) {
    long day = stock_file_day(e->d_name);
    if (day > newest) {
      second = newest;
      newest = day;
    } else if (day > second) {
      second = day;
    }
  }
  closedir(dir);
  if (newest == NO_DAY) return;
  queryedate = querysdate = querycdate = marketeday = mmddyy_of(newest);
  marketsday = mmddyy_of(second != NO_DAY ? second : newest);
}

