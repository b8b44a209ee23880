// The configuration file ".kadmer": key = value lines read at start-up, and
// the check that moves the end dates to the newest day file.
#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "core/core.h"
#include "core/text.h"

namespace {

// Flag: on whatever the value; OnOff: off for "off", "0" or "no".
enum class Kind { Color, Text, Upper, Flag, OnOff, Int, Float, ClassWidth, Char, FirstChar, Group };

struct ConfigKey {
  const char* key;
  Kind kind;
  int color = 0;            // Color: entry of the colour table
  char* text = nullptr;     // Text: the field
  std::size_t size = 0;     //       and its size
  int* ivar = nullptr;      // Flag, Int
  float* fvar = nullptr;    // Float
  char* cvar = nullptr;     // Char, FirstChar
  bool saved = true;        // a setting of the dialogs, written back by a save
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
    {"threads", Kind::Int, 0, nullptr, 0, &threads},
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
    {"group", Kind::Group, 0, nullptr, 0, nullptr, nullptr, nullptr, false},
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
    case Kind::Upper:
      if (*value) copy_text(k.text, k.size, value);
      if (k.kind == Kind::Upper) upcase(k.text);
      break;
    case Kind::Flag: *k.ivar = 1; break;
    case Kind::OnOff:
      *k.ivar = std::strcmp(value, "off") != 0 && std::strcmp(value, "0") != 0 && std::strcmp(value, "no") != 0;
      break;
    case Kind::Int: scan_int(value, k.ivar); break;
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

namespace {

// Where the key and the value of a "key = value" line stand, without the
// blanks around the key and before the value; false for a line without '='.
bool split_setting(std::string_view line, std::string_view* key, std::size_t* value_at) {
  std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return false;
  std::size_t from = 0, to = eq;
  while (from < eq && is_blank(line[from])) ++from;
  while (to > from && is_blank(line[to - 1])) --to;
  *key = line.substr(from, to - from);
  *value_at = eq + 1;
  while (*value_at < line.size() && is_blank(line[*value_at])) ++*value_at;
  return true;
}

}  // namespace

bool apply_config_line(char* line, int mode) {
  std::string_view key;
  std::size_t value_at;
  if (!split_setting(line, &key, &value_at)) return false;
  char* value = line + value_at;
  for (const ConfigKey& k : config_keys) {
    if (key == k.key) {
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

static FILE* open_path(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "r");
  if (f) copy_text(config_read, path);
  return f;
}

static FILE* open_config() {
  if (config_file[0]) return open_path(config_file);
  if (FILE* f = open_path("./.kadmer")) return f;
  const char* home = std::getenv("HOME");
  return home ? open_path(std::string(home) + "/.kadmer") : nullptr;
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

// ---- writing the settings back ----

namespace {

std::string as_read[std::size(config_keys)];  // each saved key's value after the start-up

// A key's value as a line of the file gives it; "" for a switch that is off
// and a text that is empty, which no line can give.
std::string value_text(const ConfigKey& k) {
  char text[64];
  switch (k.kind) {
    case Kind::Color: return config_colors[k.color].name;
    case Kind::Text:
    case Kind::Upper: return k.text;
    case Kind::Flag: return *k.ivar ? "on" : "";
    case Kind::OnOff: return *k.ivar ? "on" : "off";
    case Kind::Int: std::snprintf(text, sizeof text, "%d", *k.ivar); return text;
    case Kind::Float:
    case Kind::ClassWidth: std::snprintf(text, sizeof text, "%.7g", static_cast<double>(*k.fvar)); return text;
    case Kind::Char:
    case Kind::FirstChar: return std::string(1, *k.cvar);
    case Kind::Group: return "";
  }
  return "";
}

int key_index(std::string_view key) {
  for (std::size_t i = 0; i < std::size(config_keys); ++i)
    if (key == config_keys[i].key) return static_cast<int>(i);
  return -1;
}

// The file's text with the changed keys written in: in place (a value
// that no line can give comments its lines out), else appended.
std::string rewritten(const std::string& old, const std::vector<bool>& changed) {
  std::vector<bool> placed(changed.size());
  std::string out;
  for (std::size_t at = 0; at < old.size();) {
    std::size_t end = old.find('\n', at);
    std::string line = old.substr(at, end == std::string::npos ? std::string::npos : end - at);
    at = end == std::string::npos ? old.size() : end + 1;
    std::string_view key;
    std::size_t value_at;
    int i = !line.empty() && line[0] != '#' && split_setting(line, &key, &value_at) ? key_index(key) : -1;
    if (i >= 0 && changed[i]) {
      std::string v = value_text(config_keys[i]);
      line = v.empty() ? "#" + line : line.substr(0, value_at) + v;
      placed[i] = true;
    }
    out += line;
    if (end != std::string::npos) out += '\n';
  }
  for (std::size_t i = 0; i < changed.size(); ++i) {
    std::string v = value_text(config_keys[i]);
    if (!changed[i] || placed[i] || v.empty()) continue;
    if (!out.empty() && out.back() != '\n') out += '\n';
    out += std::string(config_keys[i].key) + "=" + v + "\n";
  }
  return out;
}

bool read_whole(const std::string& path, std::string* text, std::string* error) {
  FILE* f = std::fopen(path.c_str(), "r");
  if (!f) {
    if (errno == ENOENT) return true;  // a new file
    *error = std::strerror(errno);
    return false;
  }
  char chunk[4096];
  for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) text->append(chunk, n);
  bool ok = !std::ferror(f);
  if (!ok) *error = std::strerror(errno);
  std::fclose(f);
  return ok;
}

}  // namespace

void remember_settings() {
  for (std::size_t i = 0; i < std::size(config_keys); ++i) as_read[i] = value_text(config_keys[i]);
}

int save_settings(std::string* path, std::string* error) {
  Trace t("save_settings");
  const char* home = std::getenv("HOME");
  *path = config_read[0] ? config_read : home ? std::string(home) + "/.kadmer" : "";
  if (path->empty()) return *error = "no settings file was read and HOME is not set", -1;
  std::vector<bool> changed(std::size(config_keys));
  int n = 0;
  for (std::size_t i = 0; i < changed.size(); ++i)
    n += changed[i] = config_keys[i].saved && value_text(config_keys[i]) != as_read[i];
  if (n == 0) return 0;
  std::string old;
  if (!read_whole(*path, &old, error) || !replace_file(*path, rewritten(old, changed), ".kadmer-save-", error)) return -1;
  remember_settings();
  t.set_result("rc=%d", n);
  return n;
}
