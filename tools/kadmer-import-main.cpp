// kadmer-import: price histories from CSV files into the database. The
// import itself is the library of tools/kadmer-import*.cpp, which its fuzz
// target calls too.
#include "tools/kadmer-import.h"

int main(int argc, char** argv) { return run_import(argc, argv); }
