// kadmer-import as a routine: its main runs it once, the fuzz target again
// and again in one process, with the days it wrote handed back.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "data/history.h"

struct ImportWritten {  // a day added or replaced in a file
  std::string symbol;
  long day;           // day number
  history::Quote q;   // as the loaders read its line
  std::string path;   // the history or day file
};

struct ImportIo {
  std::FILE* out = stdout;  // the summary line
  std::FILE* err = stderr;  // what was refused, and why
  std::vector<ImportWritten>* written = nullptr;
};

// The whole import of argv (as the command line gives it); its exit status.
int run_import(int argc, char** argv, const ImportIo& io = {});
