// Reading the data files: opening them without waiting on what is no file,
// and lines of any length.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/core.h"
#include "data/data.h"

namespace {

// The file descriptor of a regular file, or -1. O_NONBLOCK: opening a FIFO
// without a writer (or some devices) would otherwise wait for ever.
int open_regular(const char* path) {
  int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  char text[sizeof statusbuf];
  struct stat st;
  if (fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
  }
  if (fd >= 0) {
    close(fd);
    errno = EINVAL;  // no ENOENT left over: it is there
    std::snprintf(text, sizeof text, "%s is not a regular file", path);
  } else if (errno == ENOENT) {
    return -1;
  } else {
    std::snprintf(text, sizeof text, "%s can not be read: %s", path, std::strerror(errno));
  }
  file_report("load", __LINE__, text);
  return -1;
}

}  // namespace

FILE* open_data(const char* path) {
  int fd = open_regular(path);
  FILE* f = fd < 0 ? nullptr : fdopen(fd, "r");
  if (fd >= 0 && !f) close(fd);
  return f;
}

bool data_file_readable(const char* path) {
  int fd = open_regular(path);
  if (fd >= 0) close(fd);
  return fd >= 0;
}

LineRead read_text_line(FILE* f, char* buf, int size) {
  // fgets ends the text at the last byte it stores: whether the buffer was
  // filled shows there, not in strlen, which a NUL in the line cuts short.
  buf[size - 1] = 'x';
  if (!std::fgets(buf, size, f)) return LineRead::End;
  bool nul = buf[0] == '\0', full = buf[size - 1] == '\0' && buf[size - 2] != '\n';
  std::size_t n = std::strlen(buf);
  if (n > 0 && buf[n - 1] == '\n') buf[n - 1] = '\0';
  if (full)
    for (int c; (c = std::getc(f)) != EOF && c != '\n';) {
    }
  return nul ? LineRead::Nul : LineRead::Line;
}
