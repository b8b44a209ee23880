// Reading the data files: opening them without waiting on what is no file,
// lines of any length, and whole day files.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/core.h"
#include "data/data.h"

namespace {

// open_regular, its report made (file_report) or left in `problem`.
int open_reported(const char* path, std::string* problem = nullptr) {
  std::string why;
  int fd = open_regular(path, &why);
  if (fd < 0 && !why.empty()) {
    if (problem) *problem = why;
    else file_report("load", __LINE__, why.c_str());
  }
  return fd;
}

}  // namespace

FILE* open_data(const char* path) {
  int fd = open_reported(path);
  FILE* f = fd < 0 ? nullptr : fdopen(fd, "r");
  if (fd >= 0 && !f) close(fd);
  return f;
}

bool data_file_readable(const char* path) {
  int fd = open_reported(path);
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

bool DayText::open(const char* path, std::string* problem) {
  int fd = open_reported(path, problem);
  if (fd < 0) return false;
  struct stat st;
  std::size_t size = fstat(fd, &st) == 0 && st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0;
  constexpr std::size_t pad = 16;  // a newline and NULs after the text
  text_.resize(size + 1 + pad);    // one byte more: a file that grew since its size was taken is read on
  std::size_t n = 0;
  for (ssize_t got; (got = read(fd, text_.data() + n, text_.size() - pad - n)) > 0 || (got < 0 && errno == EINTR);) {
    if (got > 0) n += static_cast<std::size_t>(got);
    if (n == text_.size() - pad) text_.resize(2 * text_.size());
  }
  close(fd);
  std::memset(text_.data() + n, 0, pad);
  text_[n] = '\n';
  size_ = n;
  at_ = 0;
  nul_ = std::memchr(text_.data(), '\0', n) != nullptr;
  return true;
}

bool DayText::next(std::string_view* line) {
  if (at_ >= size_ || text_[at_] == '\0') return false;
  const char* start = text_.data() + at_;
  std::size_t length = static_cast<std::size_t>(static_cast<const char*>(std::memchr(start, '\n', size_ + 1 - at_)) - start);
  at_ += length + 1;
  if (nul_)
    if (const void* nul = std::memchr(start, '\0', length)) length = static_cast<std::size_t>(static_cast<const char*>(nul) - start);
  *line = std::string_view(start, length);
  return true;
}
