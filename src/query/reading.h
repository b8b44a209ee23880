// What the query's steps share in reading day files (a whole file in
// memory, its quote lines, the file of a day, the start-file search) and in
// writing printed lists.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "core/core.h"
#include "data/data.h"
#include "query/query.h"

namespace query_reading {

inline void say(int line, const char* fmt, const char* text = "") {
  std::snprintf(statusbuf, sizeof statusbuf, fmt, text);
  status("query", line, statusbuf);
}

// A line of a day file: symbol, then high, low, close and volume.
struct DayLine {
  std::string_view symbol;
  float high, low, close;
  double volume;
};

enum class Parse { Quote, Comment, NoComma, Bad };

// The quote of a line's first four numbers: high, low, close, volume.
inline void take_quote(const double* v, DayLine* d) {
  d->close = static_cast<float>(v[2]);
  d->high = v[0] == 0 ? d->close : static_cast<float>(v[0]);  // a missing high or low is the close
  d->low = v[1] == 0 ? d->close : static_cast<float>(v[1]);
  d->volume = v[3];
}

inline Parse parse_line(std::string_view line, DayLine* d) {
  if (!line.empty() && line[0] == '#') return Parse::Comment;
  std::size_t comma = line.find(',');
  if (comma == std::string_view::npos) return Parse::NoComma;
  d->symbol = line.substr(0, std::min(comma, sizeof(QueryRec::symbol) - 1));
  Numbers n;
  if (d->symbol.empty() || !scan_numbers(line.substr(comma + 1), &n) || n.count < 4) return Parse::Bad;
  take_quote(n.v, d);
  return Parse::Quote;
}

// The quote line at p (the text up to `end` is followed by a newline), read
// the quick way when it has the plain shape of a day file's line: blanks,
// digits and one point a number. Careful: any other shape, which parse_line
// reads by the same rules. *next: where the next line starts.
enum class Quick { Quote, Comment, NoComma, Bad, Careful };
Quick quick_line(const char* p, const char* end, DayLine* d, const char** next);

// Every quote line of a day file, as parse_line reads each, handed to
// each(DayLine); `start`: a line without a comma ends the file (a start
// file, the A/D line's files).
template <typename Each>
void each_quote(DayText& file, bool start, Each each) {
  DayLine d;
  for (std::string_view text; file.piece(&text);) {
    if (file.has_nul()) {  // lines are cut at their NUL: the careful way, to the file's end
      std::string_view line;
      for (Parse p; file.next(&line);) {
        if ((p = parse_line(line, &d)) == Parse::NoComma && start) return;
        if (p == Parse::Quote) each(d);
      }
      return;
    }
    const char *p = text.data(), *end = p + text.size();
    while (p < end) {
      const char* next;
      Quick q = quick_line(p, end, &d, &next);
      if (q == Quick::Careful) {
        const char* eol = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p) + 1));
        Parse parsed = parse_line(std::string_view(p, static_cast<std::size_t>(eol - p)), &d);
        q = parsed == Parse::Quote ? Quick::Quote : parsed == Parse::NoComma ? Quick::NoComma : Quick::Bad;
        next = eol + 1;
      }
      if (q == Quick::NoComma && start) return;
      if (q == Quick::Quote) each(d);
      p = next;
    }
  }
}

// The "s" day file of a day number.
inline void day_path(char* out, std::size_t n, long day) {
  int y, m, d;
  civil_date(day, &y, &m, &d);
  std::snprintf(out, n, "%s/s%02d%02d%02d", daydir, y % 100, m, d);
}

// The last stock day file strictly before `first`, at most 30 days back;
// its day, with its path in out, or NO_DAY.
inline long find_start_file(long first, char* out, std::size_t n) {
  for (long day = first - 1; day >= first - 30; --day) {
    day_path(out, n, day);
    if (data_file_readable(out)) return day;
  }
  return NO_DAY;
}

inline bool write_all(int fd, const std::string& text) {
  for (std::size_t done = 0; done < text.size();) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// A print: a copy of the program writes the list to printfd and ends, so
// that the window goes on answering; it is collected when it has ended.
template <typename Write>
void start_print_writer(Write write_list) {
  pid_t pid = fork();
  if (pid == 0) {
    debuglvl = 0;  // no trace lines among the printed ones
    errno = 0;
    bool ok = write_list(printfd);
    _exit(ok ? 0 : errno > 0 && errno < 256 ? errno : 255);
  }
  if (pid > 0) print_started(pid, printpath);
}

}  // namespace query_reading
