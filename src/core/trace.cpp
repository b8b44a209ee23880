// The trace log on standard output, and the status messages handed to
// whoever shows them.
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/core.h"
#include "core/text.h"

int debuglvl = 0;
int stkind = 0;
char debugformat[256];
char debuglog[512];
time_t debugtime = 0, lasttime = 0;
int timsec = 0, timmin = 0;
char statusbuf[512];
char last_status[512];
void (*status_sink)(const char* module, int linenum, const char* msg);
void (*file_report_hook)(const char* msg);
static char held_report[512];  // the last skipped file of the load under way

void prepare_trace_stamp() {
  std::memset(debugformat, ' ', 15);
  debugformat[2] = ':';
  debugformat[5] = ':';
  debugformat[15] = '\0';
}

static void put2(int at, int value) {
  debugformat[at] = static_cast<char>('0' + value / 10 % 10);
  debugformat[at + 1] = static_cast<char>('0' + value % 10);
}

static void stamp_from_local_time() {
  struct tm lt;
  localtime_r(&debugtime, &lt);
  timmin = lt.tm_min;
  timsec = lt.tm_sec;
  put2(0, lt.tm_hour);
  put2(3, timmin);
  put2(6, timsec);
}

// Advances the HH:MM:SS stamp by the seconds since the last line; the local
// time is read again only when the minutes pass the hour (and for the first
// line, or after a long pause, so the counters cannot overflow).
static void advance_stamp() {
  debugtime = time(nullptr);
  long diff = static_cast<long>(debugtime - lasttime);
  if (diff > 0) {
    if (diff >= 3600) {
      stamp_from_local_time();
    } else {
      timsec += static_cast<int>(diff);
      if (timsec < 60) {
        put2(6, timsec);
      } else {
        timmin += timsec / 60;
        timsec %= 60;
        if (timmin < 60) {
          put2(3, timmin);
          put2(6, timsec);
        } else {
          stamp_from_local_time();
        }
      }
    }
  }
  lasttime = debugtime;
}

static void write_all(const char* text, size_t len) {
  while (len > 0) {
    ssize_t n = write(1, text, len);
    if (n <= 0) return;
    text += n;
    len -= static_cast<size_t>(n);
  }
}

static void vdebug(const char* fmt, va_list ap) {
  if (debugformat[2] != ':') prepare_trace_stamp();  // tools that skip main's set-up
  advance_stamp();
  debugformat[9] = '\0';  // the stamp and its space stay; the format goes after them
  std::strncat(debugformat, fmt, sizeof debugformat - 10);
  int n = std::vsnprintf(debuglog, sizeof debuglog, debugformat, ap);
  if (n < 0) return;
  size_t len = static_cast<size_t>(n);
  if (len >= sizeof debuglog) {  // cut: keep the line a line
    len = sizeof debuglog - 1;
    debuglog[len - 1] = '\n';
  }
  write_all(debuglog, len);
}

void debug(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  vdebug(fmt, ap);
  va_end(ap);
}

void dump(const char* fmt, ...) {
  char line[1024];
  va_list ap;
  va_start(ap, fmt);
  int n = std::vsnprintf(line, sizeof line, fmt, ap);
  va_end(ap);
  if (n > 0) write_all(line, n < static_cast<int>(sizeof line) ? n : sizeof line - 1);
}

Trace::Trace(const char* name) : name_(name) {
  result_[0] = '\0';
  ++stkind;
  if (debuglvl >= 1) debug("%d-> %s()\n", stkind, name);
}

Trace::Trace(const char* name, const char* argfmt, ...) : name_(name) {
  result_[0] = '\0';
  ++stkind;
  if (debuglvl >= 1) {
    // The arguments are formatted here and passed on as text, never as format.
    char args[512];
    va_list ap;
    va_start(ap, argfmt);
    std::vsnprintf(args, sizeof args, argfmt, ap);
    va_end(ap);
    debug("%d-> %s(%s)\n", stkind, name, args);
  }
}

void Trace::set_result(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(result_, sizeof result_, fmt, ap);
  va_end(ap);
}

Trace::~Trace() {
  if (debuglvl >= 1) debug("%d<- %s(%s)\n", stkind, name_, result_);
  --stkind;
}

void status(const char* module, int linenum, const char* msg) {
  Trace t("status", "module=%s, linenum=%d, msg=%s", module, linenum, msg);
  if (msg != last_status) copy_text(last_status, msg);
  if (status_sink) status_sink(module, linenum, msg[0] ? msg : held_report);  // a skipped file stays in view
}

void file_report(const char* module, int linenum, const char* msg) {
  copy_text(held_report, msg);
  status(module, linenum, msg);
  if (file_report_hook) file_report_hook(msg);
}

void forget_file_reports() { held_report[0] = '\0'; }



