// kadmer-import's writing: the locks that make imports take turns on each
// folder they write to, and each changed file written whole beside itself
// and renamed over it.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/core.h"
#include "data/data.h"
#include "tools/kadmer-import-shared.h"

namespace importer {

namespace {

// Temporary files are named .NAME.kadmer-import-XXXXXX, so that the next
// import, holding the folder's lock, knows and removes those a killed one
// left. A folder this import has not locked may hold another import's live
// one: that folder is never cleared.
constexpr std::string_view temp_mark = ".kadmer-import-";

// A folder the import writes to, with its lock file, held until run_import
// returns. Databases may share a folder (a day folder, say), so each folder
// has a lock of its own, not only the company table's.
struct FolderLock {
  dev_t dev;
  ino_t ino;
  std::string dir;  // as the settings name it
  int fd;
};
std::vector<FolderLock> locks;

bool is_temp_name(std::string_view n) {
  std::size_t mark_at = n.size() - 6 - temp_mark.size();
  return n.size() > temp_mark.size() + 7 && n[0] == '.' && n.substr(mark_at, temp_mark.size()) == temp_mark;
}

void sweep(const std::string& dir) {
  DIR* d = opendir(dir.c_str());
  if (!d) return;
  while (const dirent* e = readdir(d))
    if (is_temp_name(e->d_name)) unlinkat(dirfd(d), e->d_name, 0);
  closedir(d);
}

void make_dir(const char* dir) {
  if (mkdir(dir, 0777) != 0 && errno != EEXIST) fail(3, std::string(dir) + ": " + std::strerror(errno));
}

// Waits for the lock of one folder, saying so when another import holds it
// for more than a moment.
void lock_folder(FolderLock* lock) {
  std::string path = lock->dir + "/.kadmer-import.lock";
  lock->fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (lock->fd < 0) fail(3, path + ": " + std::strerror(errno) + ": nothing written");
  locks.push_back(*lock);  // closed by unlock_database, however this ends
  for (int tries = 0; flock(lock->fd, LOCK_EX | LOCK_NB) != 0; ++tries) {
    if (errno != EWOULDBLOCK && errno != EINTR) fail(3, path + ": " + std::strerror(errno) + ": nothing written");
    if (tries == 50) std::fprintf(io.err, "kadmer-import: waiting for another import to finish (%s)\n", path.c_str());
    usleep(10000);
  }
}

}  // namespace

// Writes text to a temporary file beside the file at path (through its
// links, which stay links) and renames it over that.
bool write_whole(const std::string& path, const std::string& text) {
  std::string error;
  if (replace_file(path, text, temp_mark.data(), &error)) return true;
  complain(path, "can not write: " + error);
  return false;
}

// Locks every folder the import writes to: the company table's, and the
// history files' or the day files' when it writes them; and the day files'
// when there are any and it writes history files, which start with what the
// day files hold (a day import meanwhile would slip past a new one). In the order
// of their device and inode, so that two imports never each hold what the
// other waits for; a folder that two settings name (through a link, say) is
// one lock, which a second open of its file would wait for for ever. Then
// clears what a killed import left in them.
void lock_database() {
  std::vector<FolderLock> wanted;
  struct stat st;
  for (auto [dir, writes] : {std::pair{generaldir, true}, std::pair{symboldir, opts.symbol_files},
                             std::pair{daydir, opts.day_files}}) {
    bool reads = dir == daydir && opts.symbol_files && stat(dir, &st) == 0;
    if (!writes && !reads) continue;
    if (writes) make_dir(dir);
    if (stat(dir, &st) != 0) fail(3, std::string(dir) + ": " + std::strerror(errno) + ": nothing written");
    wanted.push_back({st.st_dev, st.st_ino, dir, -1});
  }
  auto key = [](const FolderLock& l) { return std::pair{l.dev, l.ino}; };
  std::stable_sort(wanted.begin(), wanted.end(), [&](const auto& a, const auto& b) { return key(a) < key(b); });
  wanted.erase(std::unique(wanted.begin(), wanted.end(), [&](const auto& a, const auto& b) { return key(a) == key(b); }),
               wanted.end());
  for (FolderLock& lock : wanted) lock_folder(&lock);
  for (const FolderLock& lock : locks) sweep(lock.dir);
}

void unlock_database() {
  for (const FolderLock& lock : locks) close(lock.fd);
  locks.clear();
}

}  // namespace importer
