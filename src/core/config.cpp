// The configuration file ".kadmer": key = value lines read at start-up, and
// the check that moves the end dates to the newest day file.
#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/core.h"
#include "core/text.h"

namespace {

enum class Kind { Color, Text, Flag, Int, Float, Char, FirstChar, Group };

struct ConfigKey {
  const char* key;
  Kind kind;
  int color = 0;            // Color: entry of the colour table
  char* text = nullptr;     // Text: the field
  std::size_t size = 0;     //       and its size
  int* ivar = nullptr;      // Flag, Int
  float* fvar = nullptr;    // Float
  char* cvar = nullptr;     // Char, FirstChar
};

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
    {"printpath", Kind::Text, 0, printpath, sizeof printpath},
    {"generaldir", Kind::Text, 0, generaldir, sizeof generaldir},
    {"symboldir", Kind::Text, 0, symboldir, sizeof symboldir},
    {"daydir", Kind::Text, 0, daydir, sizeof daydir},
    {"mvavg", Kind::Flag, 0, nullptr, 0, &mvavgflag},
    {"fib", Kind::Flag, 0, nullptr, 0, &fibflag},
    {"broker", Kind::FirstChar, 0, nullptr, 0, nullptr, nullptr, &broker},
    {"volturnover", Kind::Flag, 0, nullptr, 0, &volflag},
    {"bollinger", Kind::Flag, 0, nullptr, 0, &bollingerflag},
    {"extendday", Kind::Int, 0, nullptr, 0, &extendday},
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
    {"xpos", Kind::Int, 0, nullptr, 0, &xpos},
    {"ypos", Kind::Int, 0, nullptr, 0, &ypos},
    {"width", Kind::Int, 0, nullptr, 0, &width},
    {"height", Kind::Int, 0, nullptr, 0, &height},
    {"graphadv", Kind::Int, 0, nullptr, 0, &graph_adv},
    {"threads", Kind::Int, 0, nullptr, 0, &threads},
    {"raxis", Kind::Char, 0, nullptr, 0, nullptr, nullptr, &raxis},
    {"laxis", Kind::Char, 0, nullptr, 0, nullptr, nullptr, &laxis},
    {"format", Kind::Char, 0, nullptr, 0, nullptr, nullptr, &format},
    {"track", Kind::Flag, 0, nullptr, 0, &trackstate},
    {"grid", Kind::Flag, 0, nullptr, 0, &gridstate},
    {"group", Kind::Group},
};

ColorEntry* config_colors = colors_vr;  // chosen by the first pass

}  // namespace

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

static void apply_key(const ConfigKey& k, char* value, int mode) {
  switch (k.kind) {
    case Kind::Color:
      if (*value) set_color_name(config_colors, k.color, value);
      break;
    case Kind::Text:
      if (*value) copy_text(k.text, k.size, value);
      break;
    case Kind::Flag: *k.ivar = 1; break;
    case Kind::Int: scan_int(value, k.ivar); break;
    case Kind::Float: scan_float(value, k.fvar); break;
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

bool apply_config_line(char* line, int mode) {
  char* eq = std::strchr(line, '=');
  if (!eq) return false;
  char* end = eq;
  while (end > line && is_blank(end[-1])) --end;
  *end = '\0';
  char* key = line;
  while (is_blank(*key)) ++key;
  char* value = eq + 1;
  while (is_blank(*value)) ++value;
  for (const ConfigKey& k : config_keys) {
    if (std::strcmp(key, k.key) == 0) {
      // The second pass only creates the groups: everything else was set
      // by the first, and the command line may have changed it since.
      if (mode == 0 || k.kind == Kind::Group) apply_key(k, value, mode);
      break;
    }
  }
  return true;
}

char config_file[1024];
void (*config_group_line)(char* text);

static FILE* open_config() {
  if (config_file[0]) return std::fopen(config_file, "r");
  FILE* f = std::fopen("./.kadmer", "r");
  if (f) return f;
  const char* home = std::getenv("HOME");
  if (!home) return nullptr;
  std::string path = std::string(home) + "/.kadmer";
  return std::fopen(path.c_str(), "r");
}

// Reads one physical line of any length into genbuf, cut at the buffer's
// size. Only a real newline is removed: an unterminated last line keeps its
// last character.
static bool read_config_line(FILE* f) {
  std::size_t n = 0;
  int c;
  bool any = false;
  while ((c = std::getc(f)) != EOF) {
    any = true;
    if (c == '\n') break;
    if (n < sizeof genbuf - 1) genbuf[n++] = static_cast<char>(c);
  }
  genbuf[n] = '\0';
  return any;
}

void parse_config(int mode, int argc, char** argv) {
  Trace t("parse_config", "mode=%d argc=%d", mode, argc);
  if (mode == 0) config_colors = color_table_for_args(argc, argv);
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
