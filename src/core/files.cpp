// Replacing a file whole: the settings' save and kadmer-import write a copy
// beside the file and rename it over, so a reader (or a crash) sees the
// file either as it was or complete.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/core.h"

std::string link_target(std::string path) {
  char to[4096];
  for (int hops = 0; hops < 40; ++hops) {
    ssize_t n = readlink(path.c_str(), to, sizeof to);
    if (n <= 0 || n == sizeof to) break;
    std::string next(to, static_cast<std::size_t>(n));
    path = next[0] == '/' ? next : path.substr(0, path.find_last_of('/') + 1) + next;
  }
  return path;
}

std::string whole_path(const std::string& path) {
  char real[PATH_MAX];
  return realpath(path.c_str(), real) ? real : path;
}

int open_regular(const char* path, std::string* problem) {
  int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat st;
  if (fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
  }
  if (fd >= 0) {
    close(fd);
    *problem = std::string(path) + " is not a regular file";
    errno = EINVAL;  // no ENOENT left over: it is there
  } else if (errno != ENOENT) {
    *problem = std::string(path) + " can not be read: " + std::strerror(errno);
  }
  return -1;
}

std::string folder_of(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// After a rename the folder's entry is on disk only once the folder is synced.
static bool sync_folder(const std::string& dir) {
  int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = fsync(fd) == 0 || errno == EINVAL;  // some file systems can not sync a folder
  close(fd);
  return ok;
}

bool replace_file(const std::string& path, const std::string& text, const char* mark, std::string* error) {
  std::string target = link_target(path), dir = folder_of(target);
  struct stat st;
  if (stat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return *error = "not a regular file", false;
  std::string temp = dir + "/." + target.substr(target.find_last_of('/') + 1) + mark + "XXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0) return *error = std::strerror(errno), false;
  mode_t umask_now = umask(022);
  umask(umask_now);
  fchmod(fd, stat(target.c_str(), &st) == 0 ? st.st_mode & 07777 : 0666 & ~umask_now);
  bool ok = true;
  for (std::size_t done = 0; ok && done < text.size();) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    done += n > 0 ? static_cast<std::size_t>(n) : 0;
  }
  ok = ok && fsync(fd) == 0;
  int err = errno;
  ok = close(fd) == 0 && ok;
  if (ok && std::rename(temp.c_str(), target.c_str()) == 0) {
    if (sync_folder(dir)) return true;
    return *error = std::strerror(errno), false;  // renamed, but maybe not yet for good
  }
  *error = std::strerror(ok ? errno : err);
  unlink(temp.c_str());
  return false;
}
