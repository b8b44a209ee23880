// The loaded history and the work days shown on the chart.
#include "data/data.h"
#include "ui/ui.h"

std::vector<HistoryMember> stocklist;
std::vector<std::vector<WorkDay>> worklist;
int num_days = 0;
int work_days = 0;
int disp_days = 0;
int load = 0;
int curvol = 0;

void free_history() {
  for (HistoryMember& m : stocklist) free_member_gc(m.gc);
  stocklist.clear();
  worklist.clear();
}
