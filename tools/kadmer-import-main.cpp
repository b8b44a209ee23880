// kadmer-import: price histories from CSV files into the database. The
// import itself is the library of tools/kadmer-import*.cpp, which its fuzz
// target calls too.
#include <csignal>

#include "tools/kadmer-import.h"

int main(int argc, char** argv) {
  std::signal(SIGXFSZ, SIG_IGN);  // a file too large is a failed write, reported like any other
  return run_import(argc, argv);
}
