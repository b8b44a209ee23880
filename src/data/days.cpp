// The loaded history and the work days shown on the chart.
#include "data/data.h"

int num_days = 0;
int work_days = 0;
