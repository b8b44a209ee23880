// Writing the settings back (Ctrl+S): the keys the dialogs changed go into
// the file that was read, every other line and comment as it stood.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/config_keys.h"
#include "core/core.h"

using namespace config;

std::string config::value_text(const ConfigKey& k) {
  char text[64];
  switch (k.kind) {
    case Kind::Color: return config_colors[k.color].name;
    case Kind::Text:
    case Kind::Upper: return k.text;
    case Kind::Flag: return *k.ivar ? "on" : "";
    case Kind::OnOff: return *k.ivar ? "on" : "off";
    case Kind::Int:
    case Kind::Threads: std::snprintf(text, sizeof text, "%d", *k.ivar); return text;
    case Kind::Float:
    case Kind::ClassWidth:  // the fewest digits that read back as the same float
      for (int digits = 6; digits <= 9; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(*k.fvar));
        if (std::strtof(text, nullptr) == *k.fvar) break;
      }
      return text;
    case Kind::Char:
    case Kind::FirstChar: return std::string(1, *k.cvar);
    case Kind::Group: return "";
  }
  return "";
}

int config::key_index(std::string_view key) {
  for (std::size_t i = 0; i < key_count; ++i)
    if (key == config_keys[i].key) return static_cast<int>(i);
  return -1;
}

std::string config::rewritten(const std::string& old, const std::vector<bool>& changed) {
  std::vector<bool> placed(changed.size());
  std::string out;
  bool crlf = false;  // new lines end as the file's first one does
  for (std::size_t at = 0; at < old.size();) {
    std::size_t end = old.find('\n', at);
    std::string line = old.substr(at, end == std::string::npos ? std::string::npos : end - at);
    at = end == std::string::npos ? old.size() : end + 1;
    bool cr = end != std::string::npos && !line.empty() && line.back() == '\r';
    if (cr) line.pop_back();
    if (out.empty() && end != std::string::npos) crlf = cr;
    // The key as the reader sees the line: up to a NUL, within its buffer.
    std::string_view seen = std::string_view(line).substr(0, std::min(line.find('\0'), sizeof genbuf - 1));
    Setting set;
    int i = !seen.empty() && seen[0] != '#' && split_setting(seen, &set) ? key_index(set.key) : -1;
    if (i >= 0 && changed[i]) {
      std::string v = value_text(config_keys[i]);
      line = v.empty() ? "#" + line : line.substr(0, set.value_at) + v + line.substr(set.value_end);
      placed[i] = true;
    }
    out += line;
    if (cr) out += '\r';
    if (end != std::string::npos) out += '\n';
  }
  for (std::size_t i = 0; i < changed.size(); ++i) {
    std::string v = value_text(config_keys[i]);
    if (!changed[i] || placed[i] || v.empty()) continue;
    // A last line without its newline gets one; a bare CR there is half of it.
    if (!out.empty() && out.back() != '\n') out += out.back() == '\r' || !crlf ? "\n" : "\r\n";
    out += std::string(config_keys[i].key) + "=" + v + (crlf ? "\r\n" : "\n");
  }
  return out;
}

namespace {

std::vector<std::string> as_read;  // each key's value after the start-up (or the last save)

bool read_whole(const std::string& path, std::string* text, std::string* error) {
  int fd = open_regular(path.c_str(), error);
  if (fd < 0) return errno == ENOENT;  // a new file; else `error` says why
  char chunk[4096];
  ssize_t n;
  while ((n = read(fd, chunk, sizeof chunk)) > 0 || (n < 0 && errno == EINTR))
    if (n > 0) text->append(chunk, static_cast<std::size_t>(n));
  if (n < 0) *error = std::strerror(errno);
  close(fd);
  return n == 0;
}

// Whether the file may not be written: no write permission for the user
// (root and the owner could still rename over it; a file made read-only
// is meant to stay as it is).
bool read_only(const std::string& target) {
  struct stat st;
  if (stat(target.c_str(), &st) != 0) return false;  // a new file
  if ((st.st_mode & 0222) == 0) return true;
  return access(target.c_str(), W_OK) != 0 && errno == EACCES;
}

// Saves take turns on the folder of the file (two windows saving at once
// would each write back what it read, and one of the changes would be
// lost). Released when the descriptor closes.
int lock_folder(const std::string& dir, std::string* error) {
  int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return *error = std::strerror(errno), -1;
  for (int tries = 0; flock(fd, LOCK_EX | LOCK_NB) != 0; ++tries) {
    if ((errno != EWOULDBLOCK && errno != EINTR) || tries == 500) {
      *error = errno == EWOULDBLOCK ? "another save holds its folder" : std::strerror(errno);
      close(fd);
      return -1;
    }
    usleep(10000);
  }
  return fd;
}

}  // namespace

void remember_settings() {
  as_read.resize(key_count);
  for (std::size_t i = 0; i < key_count; ++i) as_read[i] = value_text(config_keys[i]);
}

int save_settings(std::string* path, std::string* error) {
  Trace t("save_settings");
  const char* home = std::getenv("HOME");
  *path = config_read[0] ? config_read : home ? std::string(home) + "/.kadmer" : "";
  if (path->empty()) return *error = "no settings file was read and HOME is not set", -1;
  std::vector<bool> changed(key_count);
  as_read.resize(key_count);
  int n = 0;
  for (std::size_t i = 0; i < key_count; ++i)
    n += changed[i] = config_keys[i].saved && value_text(config_keys[i]) != as_read[i];
  if (n == 0) return 0;
  std::string target = link_target(*path), old;
  if (read_only(target)) return SAVE_READ_ONLY;
  int lock = lock_folder(folder_of(target), error);
  if (lock < 0) return -1;
  bool ok = read_whole(target, &old, error) && replace_file(target, rewritten(old, changed), ".kadmer-save-", error);
  close(lock);
  if (!ok) return -1;
  remember_settings();
  t.set_result("rc=%d", n);
  return n;
}
