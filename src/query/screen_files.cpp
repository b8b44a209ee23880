// The files of one's own screens and watchlists in generaldir: plain text,
// a line each, "NAME: ..." with # comments. A bad line is said with its
// line number and skipped; the rest of the file still counts.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <string>

#include "core/core.h"
#include "data/data.h"
#include "query/screen.h"

namespace {

std::string trimmed(std::string_view s) {
  std::size_t a = s.find_first_not_of(" \t\r"), b = s.find_last_not_of(" \t\r");
  return a == std::string_view::npos ? std::string() : std::string(s.substr(a, b - a + 1));
}

// The whole file, or empty when it is missing; a file that is there but
// can not be read is said.
std::string file_text(const std::string& path, std::vector<std::string>* said) {
  std::string problem, text;
  int fd = open_regular(path.c_str(), &problem);
  if (fd < 0) {
    if (!problem.empty()) said->push_back(problem);
    return text;
  }
  char buf[65536];
  for (ssize_t n; (n = read(fd, buf, sizeof buf)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      said->push_back(path + " can not be read: " + std::strerror(errno));
      break;
    }
    text.append(buf, static_cast<std::size_t>(n));
  }
  close(fd);
  return text;
}

// Each "NAME: REST" line of a file, with its number; comments and blank
// lines passed over, a line without a name said.
template <typename Each>
void each_entry(const std::string& path, const char* file, std::vector<std::string>* said, Each each) {
  std::string text = file_text(path, said);
  int number = 0;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = std::min(text.find('\n', at), text.size());
    std::string line = trimmed(std::string_view(text).substr(at, end - at));
    at = end + 1;
    ++number;
    if (line.empty() || line[0] == '#') continue;
    std::string where = std::string(file) + ":" + std::to_string(number) + ": ";
    std::size_t colon = line.find(':');
    std::string name = colon == std::string::npos ? "" : trimmed(std::string_view(line).substr(0, colon));
    if (colon == std::string::npos) said->push_back(where + "no ':' after a name");
    else if (name.empty()) said->push_back(where + "no name before ':'");
    else each(name, trimmed(std::string_view(line).substr(colon + 1)), number, where);
  }
}

// The later of two entries of one name counts.
template <typename Entry>
void keep(std::vector<Entry>& all, Entry e, const std::string& where, std::vector<std::string>* said) {
  auto same = std::find_if(all.begin(), all.end(), [&](const Entry& x) { return x.name == e.name; });
  if (same == all.end()) return all.push_back(std::move(e));
  said->push_back(where + "'" + e.name + "' again: this one counts, not line " + std::to_string(same->line));
  *same = std::move(e);
}

std::vector<std::string> words(const std::string& text) {
  std::vector<std::string> out;
  for (std::size_t at = 0; (at = text.find_first_not_of(" \t,", at)) != std::string::npos;) {
    std::size_t end = std::min(text.find_first_of(" \t,", at), text.size());
    out.push_back(text.substr(at, end - at));
    at = end;
  }
  return out;
}

}  // namespace

std::string screens_path() { return std::string(generaldir) + "/screens"; }
std::string watchlists_path() { return std::string(generaldir) + "/watchlists"; }

bool split_screen_sort(const std::string& text, std::string* where, std::string* sort) {
  std::size_t semi = text.find(';');
  *where = trimmed(std::string_view(text).substr(0, semi));
  sort->clear();
  if (semi == std::string::npos) return true;
  std::string rest = trimmed(std::string_view(text).substr(semi + 1));
  bool worded = rest.size() > 4 && rest.compare(0, 4, "sort") == 0 && (rest[4] == ' ' || rest[4] == '\t');
  if (worded) *sort = trimmed(std::string_view(rest).substr(4));
  return worded;
}

std::vector<SavedScreen> read_saved_screens(std::vector<std::string>* said) {
  std::vector<SavedScreen> all;
  each_entry(screens_path(), "screens", said, [&](const std::string& name, const std::string& rest, int line,
                                                 const std::string& where) {
    SavedScreen s{name, "", "", line};
    if (!split_screen_sort(rest, &s.where, &s.sort))
      return said->push_back(where + "'; sort' and an expression expected after the condition");
    if (s.where.empty()) return said->push_back(where + "no condition after '" + name + ":'");
    keep(all, std::move(s), where, said);
  });
  return all;
}

std::vector<Watchlist> read_watchlists(std::vector<std::string>* said) {
  std::vector<Watchlist> all;
  std::set<std::string> unknown;
  each_entry(watchlists_path(), "watchlists", said, [&](const std::string& name, const std::string& rest, int line,
                                                       const std::string& where) {
    Watchlist w{name, words(rest), line};
    for (const std::string& s : w.symbols)
      if (&find_co(s.c_str()) == &nocompany && unknown.insert(s).second)
        said->push_back(where + "'" + s + "' is no security of the company table (kept)");
    keep(all, std::move(w), where, said);
  });
  return all;
}

bool find_within(const std::string& name, Within* out, std::vector<std::string>* said) {
  for (const Watchlist& w : read_watchlists(said)) {
    if (w.name != name) continue;
    *out = Within{name, 0, w.symbols};
    std::sort(out->symbols.begin(), out->symbols.end());
    return true;
  }
  int g = name.size() < sizeof(GroupRec::code) ? group_of_text(name.c_str()) : 0;
  if (g == 0) return false;
  *out = Within{name, g, {}};
  return true;
}

bool save_watchlist(const Watchlist& w, std::string* error) {
  if (w.name.empty() || w.name.find_first_of(":\n\r#") != std::string::npos || trimmed(w.name) != w.name)
    return *error = "a watchlist's name is text without ':' or '#'", false;
  // Imports write generaldir too: the watchlists are replaced in their turn.
  std::string lock = std::string(generaldir) + "/.kadmer-import.lock";
  int fd = open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return *error = lock + ": " + std::strerror(errno), false;
  while (flock(fd, LOCK_EX) != 0 && errno == EINTR) {
  }
  std::vector<std::string> said;
  std::string path = watchlists_path(), text = file_text(path, &said), out, entry = w.name + ":";
  for (const std::string& s : w.symbols) entry += ' ' + s;
  bool placed = false;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = std::min(text.find('\n', at), text.size());
    std::string line = text.substr(at, end - at), kept = trimmed(line);
    at = end + 1;
    std::size_t colon = kept.find(':');
    bool same = !kept.empty() && kept[0] != '#' && colon != std::string::npos &&
                trimmed(std::string_view(kept).substr(0, colon)) == w.name;
    if (!same) out += line + '\n';
    else if (!placed) out += entry + (line.back() == '\r' ? "\r\n" : "\n"), placed = true;
  }
  if (!placed) out += entry + '\n';
  bool ok = said.empty() && replace_file(path, out, ".kadmer-watch", error);
  if (!said.empty()) *error = said.front();
  close(fd);
  return ok;
}
