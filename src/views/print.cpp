// Printing the list on display: "stdout", "stderr" or a file, written by a
// child process while the program goes on.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/core.h"
#include "query/query.h"
#include "views/views.h"

namespace {

bool no_destination() { return printpath[0] == '\0' || printpath[0] == ' '; }

// The distribution and the count lists print nothing, so they are not
// redrawn either.
bool prints_nothing() {
  return graphlook == View::Query && querylook >= ListView::Distribution && querylook <= ListView::HighCount;
}

}  // namespace

void do_print() {
  Trace t("do_print");
  reap_print_children();
  if (no_destination()) return;
  if (prints_nothing()) {
    status("print", __LINE__, "print: the distribution and the count lists are not printed");
    return;
  }
  int fd;
  if (std::strcmp(printpath, "stdout") == 0) {
    fd = 1;
  } else if (std::strcmp(printpath, "stderr") == 0) {
    fd = 2;
  } else {
    // Written from its start and cut there: an earlier, longer print leaves no tail.
    fd = open(printpath, O_RDWR | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) {
      std::snprintf(statusbuf, sizeof statusbuf, "do_print: open %s errno=%d", printpath, errno);
      status("print", __LINE__, statusbuf);
      return;
    }
  }
  printfd = fd;
  printflag = 1;
  int writers = print_writers;
  draw_chart();
  printflag = 0;
  printfd = -1;
  if (fd > 2) close(fd);
  if (print_writers == writers) status("print", __LINE__, "print: nothing written, the screen shows no query list");
}
