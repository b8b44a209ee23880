// Reading the data files: opening them without waiting on what is no file,
// lines of any length, and whole day files.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/core.h"
#include "data/data.h"

namespace {

// open_regular, its report made (file_report) or left in `problem`; a
// file larger than any real one is refused too.
int open_reported(const char* path, std::string* problem = nullptr) {
  std::string why;
  int fd = open_regular(path, &why);
  struct stat st;
  if (fd >= 0 && fstat(fd, &st) == 0 && st.st_size > MAX_DATA_FILE) {
    close(fd);
    fd = -1;
    errno = EFBIG;
    why = std::string(path) + " is over 4 GiB, larger than any data file: skipped";
  }
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

DayText::~DayText() {
  if (fd_ >= 0) close(fd_);
}

bool DayText::open(const char* path, std::string* problem) {
  if (fd_ >= 0) close(fd_);
  filled_ = taken_ = at_ = size_ = 0;
  eof_ = skip_ = nul_ = ended_ = fresh_ = false;
  fd_ = open_reported(path, problem);
  if (fd_ < 0) return false;
  if (buf_.empty()) buf_.assign(DAY_PIECE + 16, '\0');  // room for a newline and a scanner's look ahead
  struct stat st;
  size_ = fstat(fd_, &st) == 0 ? static_cast<std::size_t>(st.st_size) : 0;
  fresh_ = load();
  return true;
}

std::size_t DayText::lines_estimate() const {
  std::size_t lines = static_cast<std::size_t>(std::count(buf_.data(), buf_.data() + taken_, '\n'));
  return size_ > taken_ && taken_ > 0 ? lines + lines * (size_ - taken_) / taken_ : lines;
}

bool DayText::load() {
  std::memmove(buf_.data(), buf_.data() + taken_, filled_ - taken_);  // the start of a line the last piece cut
  filled_ -= taken_;
  taken_ = at_ = 0;
  for (;;) {
    while (!eof_ && filled_ < DAY_PIECE) {
      ssize_t got = read(fd_, buf_.data() + filled_, DAY_PIECE - filled_);
      if (got > 0) filled_ += static_cast<std::size_t>(got);
      else if (got == 0 || errno != EINTR) eof_ = true;  // an error ends the file as its end would
    }
    if (eof_ && fd_ >= 0) close(fd_), fd_ = -1;  // no descriptor held once all is read
    if (!skip_) break;
    // The rest of a line longer than the buffer, up to its newline.
    const char* nl = static_cast<const char*>(std::memchr(buf_.data(), '\n', filled_));
    std::size_t drop = nl ? static_cast<std::size_t>(nl - buf_.data()) + 1 : filled_;
    std::memmove(buf_.data(), buf_.data() + drop, filled_ - drop);
    filled_ -= drop;
    skip_ = nl == nullptr;
    if (skip_ && eof_) break;
  }
  if (filled_ == 0) return false;
  const void* last = memrchr(buf_.data(), '\n', filled_);
  if (last) {
    taken_ = static_cast<std::size_t>(static_cast<const char*>(last) - buf_.data()) + 1;
  } else {  // the last line without its newline, or a line the buffer can not hold
    taken_ = filled_;
    skip_ = !eof_;
    buf_[taken_] = '\n';
  }
  nul_ = std::memchr(buf_.data(), '\0', taken_) != nullptr;
  return true;
}

bool DayText::piece(std::string_view* text) {
  if (ended_ || (!fresh_ && !load())) return ended_ = true, false;
  fresh_ = false;
  at_ = 0;
  *text = std::string_view(buf_.data(), taken_);
  return true;
}

bool DayText::next(std::string_view* line) {
  while (at_ >= taken_) {
    if (ended_ || !load()) return ended_ = true, false;
    fresh_ = false;
  }
  const char* start = buf_.data() + at_;
  if (*start == '\0') return ended_ = true, false;
  std::size_t length = static_cast<std::size_t>(static_cast<const char*>(std::memchr(start, '\n', taken_ + 1 - at_)) - start);
  at_ += length + 1;
  if (nul_)
    if (const void* nul = std::memchr(start, '\0', length)) length = static_cast<std::size_t>(static_cast<const char*>(nul) - start);
  *line = std::string_view(start, length);
  return true;
}
