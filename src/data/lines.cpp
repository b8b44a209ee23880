#include <cstring>

#include "data/data.h"

LineRead read_text_line(FILE* f, char* buf, int size) {
  if (!std::fgets(buf, size, f)) return LineRead::End;
  bool nul = buf[0] == '\0';
  std::size_t n = std::strlen(buf);
  if (n > 0 && buf[n - 1] == '\n') {
    buf[n - 1] = '\0';
  } else if (!nul && n == static_cast<std::size_t>(size) - 1) {
    int c;
    while ((c = std::getc(f)) != EOF && c != '\n') {
    }
  }
  return nul ? LineRead::Nul : LineRead::Line;
}
