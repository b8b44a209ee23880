// The menu's "print": the list on display, or the database dialog when no
// print path is set.
#include "core/core.h"
#include "ui/ui.h"
#include "views/views.h"

void fn_print() {
  Trace t("fn_print");
  if (printpath[0] == '\0' || printpath[0] == ' ') fn_database();
  else do_print();
}
