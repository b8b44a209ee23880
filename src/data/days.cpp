// The loaded history and the work days shown on the chart.
#include "data/data.h"

std::vector<HistoryMember> stocklist;
std::vector<std::vector<WorkDay>> worklist;
int num_days = 0;
int work_days = 0;
int disp_days = 0;
int load = 0;
int curvol = 0;
LoadHooks load_hooks;

void free_history() {
  if (load_hooks.free_gc)
    for (HistoryMember& m : stocklist) load_hooks.free_gc(m.gc);
  stocklist.clear();
  worklist.clear();
}
