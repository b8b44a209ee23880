// The benchmark data: a whole generated market (about 9,000 securities and
// 500 trading days), a 30-year per-symbol file and a 10,000-company table,
// made once in the temporary folder.
#pragma once

#include <string>

std::string scratch();
void use_market();             // the generated market's tables and directories
std::string every_symbol_file();  // its per-symbol files, one for every security
const char* steady_stock(int n = 0);  // the n-th stock listed over the whole range
std::string thirty_years();    // a folder with the 30-year file "LONG"
void use_companies_10000();    // reads a 10,000-company table
