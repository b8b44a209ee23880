// kadmer-import's writing: the lock that makes imports take turns, and
// each changed file written whole beside itself and renamed over it.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <string_view>

#include "core/core.h"
#include "data/data.h"
#include "tools/kadmer-import-parts.h"

namespace importer {

namespace {

// Temporary files are named .NAME.kadmer-import-XXXXXX, so that the next
// import, holding the lock, knows and removes those a killed one left.
constexpr std::string_view temp_mark = ".kadmer-import-";
std::set<std::string> swept;  // directories cleared of them by this import
int lock_fd = -1;  // the lock file, held until run_import returns

bool is_temp_name(std::string_view n) {
  std::size_t mark_at = n.size() - 6 - temp_mark.size();
  return n.size() > temp_mark.size() + 7 && n[0] == '.' && n.substr(mark_at, temp_mark.size()) == temp_mark;
}

void sweep(const std::string& dir) {
  if (!swept.insert(dir).second) return;
  DIR* d = opendir(dir.c_str());
  if (!d) return;
  while (const dirent* e = readdir(d))
    if (is_temp_name(e->d_name)) unlinkat(dirfd(d), e->d_name, 0);
  closedir(d);
}

}  // namespace

// Writes text to a temporary file beside the file at path (through its
// links, which stay links) and renames it over that.
bool write_whole(const std::string& path, const std::string& text) {
  std::string target = link_target(path), error;
  std::size_t slash = target.find_last_of('/');
  sweep(slash == std::string::npos ? "." : target.substr(0, slash));
  if (replace_file(target, text, temp_mark.data(), &error)) return true;
  complain(path, "can not write: " + error);
  return false;
}

void make_dir(const char* dir) {
  if (mkdir(dir, 0777) != 0 && errno != EEXIST) fail(3, std::string(dir) + ": " + std::strerror(errno));
}

// Waits for the database, saying so when another import holds it for more
// than a moment; then clears what a killed import left.
void lock_database() {
  make_dir(generaldir);
  std::string path = std::string(generaldir) + "/.kadmer-import.lock";
  lock_fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (lock_fd < 0) fail(3, path + ": " + std::strerror(errno) + ": nothing written");
  for (int tries = 0; flock(lock_fd, LOCK_EX | LOCK_NB) != 0; ++tries) {
    if (errno != EWOULDBLOCK && errno != EINTR) fail(3, path + ": " + std::strerror(errno) + ": nothing written");
    if (tries == 50) std::fprintf(io.err, "kadmer-import: waiting for another import to finish (%s)\n", path.c_str());
    usleep(10000);
  }
  for (const char* dir : {generaldir, symboldir, daydir}) sweep(dir);
}

void unlock_database() {
  if (lock_fd >= 0) close(lock_fd);
  lock_fd = -1;
  swept.clear();
}

}  // namespace importer
