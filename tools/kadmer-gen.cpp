// kadmer-gen: writes a deterministic market database for demos, tests and
// benchmarks: the companys and groups tables, day files of stocks (s), funds
// (f) and indexes (i), per-symbol history files for some securities, and a
// .kadmer that points at them.
//
// The securities have what real data has: splits, price gaps, market
// holidays, listings and delistings part-way, days missing for single
// securities, unchanged closes, funds with high = low = close, and indexes of
// both kinds ('1' and '2'), among them every code of the market summary.
// The demo profile (the bundled database) quotes in sixteenths; the real
// profile adds what a whole market brings to every screen: quotes in cents,
// penny stocks and stocks over $1,000, sectors of hundreds of members that
// are never complete on one day, halts, names longer than the table holds
// and a market-wide crash.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace {

struct Options {
  std::string out;
  int stocks = 60;
  int funds = 8;
  int days = 300;
  int end = 261204;        // YYMMDD of the last trading day
  int symbol_every = 3;    // every n-th security also gets a per-symbol file
  uint64_t seed = 1995;
  bool absolute = false;   // absolute paths in .kadmer
  bool real = false;       // the real profile
};

// splitmix64: the same numbers on every machine.
struct Rng {
  uint64_t s;
  uint64_t next() {
    uint64_t z = (s += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  double uniform() { return static_cast<double>(next() >> 11) / 9007199254740992.0; }
  int below(int n) { return n > 0 ? static_cast<int>(next() % static_cast<uint64_t>(n)) : 0; }
  bool chance(double p) { return uniform() < p; }
  double normal() {
    double u = uniform() + 1e-12, v = uniform();
    return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * v);
  }
};

// ---- calendar (two-digit years: 69..99 are 19xx, 00..68 are 20xx) ----
long day_number(int y, int m, int d) {
  long yy = y - (m <= 2);
  long era = (yy >= 0 ? yy : yy - 399) / 400;
  long yoe = yy - era * 400;
  long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

void civil(long days, int* y, int* m, int* d) {
  days += 719468;
  long era = (days >= 0 ? days : days - 146096) / 146097;
  long doe = days - era * 146097;
  long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  long mp = (5 * doy + 2) / 153;
  *d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *y = static_cast<int>(yoe + era * 400 + (*m <= 2));
}

int weekday(long days) { return static_cast<int>(((days + 4) % 7 + 7) % 7); }

int yymmdd(long days) {
  int y, m, d;
  civil(days, &y, &m, &d);
  return (y % 100) * 10000 + m * 100 + d;
}

// The n-th given weekday of a month (n = -1: the last).
long nth_weekday(int y, int m, int wd, int n) {
  if (n > 0) {
    long first = day_number(y, m, 1);
    return first + (wd - weekday(first) + 7) % 7 + 7 * (n - 1);
  }
  long last;
  if (m == 12) last = day_number(y, 12, 31);
  else last = day_number(y, m + 1, 1) - 1;
  return last - (weekday(last) - wd + 7) % 7;
}

bool holiday(long day) {
  int y, m, d;
  civil(day, &y, &m, &d);
  if ((m == 1 && d == 1) || (m == 7 && d == 4) || (m == 12 && d == 25)) return true;
  return day == nth_weekday(y, 1, 1, 3) || day == nth_weekday(y, 5, 1, -1) ||
         day == nth_weekday(y, 9, 1, 1) || day == nth_weekday(y, 11, 4, 4);
}

bool trading_day(long day) {
  int wd = weekday(day);
  return wd != 0 && wd != 6 && !holiday(day);
}

// ---- the securities ----
struct Security {
  std::string symbol, name;
  char type = 'S', market = 'N';
  std::vector<std::string> groups;
  int shares = 0, share_date = 0;
  double price = 0, vol = 0.02, drift = 0;
  int base_volume = 0;
  int first = 0, last = 0;   // listed from day index first to last
  int split = -1;            // day index of a 2:1 split
  int halt_first = 1, halt_last = 0;  // days of a trading halt
  bool symbol_file = false;
  std::string history;       // per-symbol file text
};

struct Group { int num; const char* name; const char* code; };
const Group groups[] = {
    {1, "Technology", "TECH"}, {2, "Drugs and Health Care", "DRUG"}, {3, "Banks", "BANK"},
    {4, "Oil and Gas", "OIL"}, {5, "Retail Stores", "RETAIL"}, {6, "Utilities", "UTIL"},
    {7, "Automobiles", "AUTO"}, {8, "Gold Mining", "GOLD"}, {9, "Airlines", "AIR"},
    {10, "Food and Beverage", "FOOD"}, {12, "Chemicals", "CHEM"}, {15, "Steel", "STEEL"},
    {20, "Telecommunications", "TELE"},
};

const char* const words[] = {"Alpha", "Beta", "Consolidated", "Delta", "Eastern", "Federal",
                             "General", "Harbor", "Imperial", "Jet", "Keystone", "Lakeside",
                             "Mutual", "National", "Orion", "Pacific", "Quantum", "Republic",
                             "Summit", "Texas", "United", "Vector", "Western", "Yankee"};
const char* const endings[] = {"Corp", "Inc", "Industries", "Holdings", "Group", "Co", "Systems"};

// The market summary codes: market '1' holds counts and volumes, '2' indexes.
struct IndexCode { const char* code; char market; double start; };
const IndexCode index_codes[] = {
    {"NADV", '1', 0}, {"NDCL", '1', 0}, {"NUNCH", '1', 0}, {"NUVL", '1', 0}, {"NDVL", '1', 0},
    {"NXVL", '1', 0}, {"NTVL", '1', 0}, {"DJ30", '2', 3800}, {"DJ15", '2', 210}, {"DJ20", '2', 1600},
    {"DJ65", '2', 1300}, {"NYA", '2', 260}, {"NYIF", '2', 220}, {"NYII", '2', 320}, {"NYIT", '2', 250},
    {"NTRIN", '1', 1}, {"NHB", '2', 12}, {"NTCK", '1', 0},
    {"QADV", '1', 0}, {"QDCL", '1', 0}, {"QUNCH", '1', 0}, {"QUVL", '1', 0}, {"QDVL", '1', 0},
    {"QXVL", '1', 0}, {"QTVL", '1', 0}, {"INDS", '2', 700}, {"QUTIL", '2', 180}, {"QTRAN", '2', 650},
    {"BANKQ", '2', 900}, {"INSR", '2', 800}, {"COMPQ", '2', 750}, {"IXA", '2', 110}, {"IXL", '2', 130},
    {"IXN", '2', 120}, {"IXS", '2', 140}, {"IXW", '2', 115}, {"NCMP", '2', 330}, {"NDX", '2', 560},
    {"QTCK", '1', 0}, {"QTRIN", '1', 1},
    {"IADV", '1', 0}, {"ADCL", '1', 0}, {"AUNCH", '1', 0}, {"AUVL", '1', 0}, {"ADVL", '1', 0},
    {"AXVL", '1', 0}, {"ATVL", '1', 0}, {"XAT", '2', 180}, {"XFR", '2', 90}, {"XMN", '2', 150},
    {"XNC", '2', 210}, {"XNE", '2', 170}, {"XPI", '2', 200}, {"XSA", '2', 160}, {"XSC", '2', 140},
    {"XSI", '2', 300}, {"XRI", '2', 280}, {"XOI", '2', 260}, {"XNR", '2', 150}, {"XHT", '2', 330},
    {"XHC", '2', 190}, {"XFN", '2', 240}, {"XCS", '2', 220}, {"XCP", '2', 250}, {"XCI", '2', 130},
    {"XAU", '2', 120}, {"ADR", '2', 310}, {"ATCK", '1', 0}, {"XII", '2', 420}, {"XLT", '2', 270},
    {"XMI", '2', 380}, {"SPX", '2', 470}, {"RUT", '2', 250},
};

std::string price_text(double p) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.4f", p);
  std::string s = buf;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s;
}

// Prices move in sixteenths, as quotes did.
double sixteenths(double p) { return std::max(1.0 / 16, std::round(p * 16) / 16); }

// Or in cents, and in hundredths of a cent below a dollar.
double cents(double p) {
  if (p < 1) return std::max(0.0001, std::round(p * 10000) / 10000);
  return std::round(p * 100) / 100;
}

using Quote = double (*)(double);

// A new symbol; when the short ones run out, a longer one.
std::string make_symbol(Rng& rng, std::set<std::string>& used, int length) {
  for (int tries = 0;; ++tries) {
    if (tries > 0 && tries % 40 == 0 && length < 7) ++length;
    std::string s;
    for (int i = 0; i < length; ++i) s += static_cast<char>('A' + rng.below(26));
    if (used.insert(s).second) return s;
  }
}

std::vector<Security> make_securities(const Options& o, Rng& rng, long first_day, long last_day) {
  std::vector<Security> out;
  std::set<std::string> used;
  for (const IndexCode& c : index_codes) used.insert(c.code);
  int total = o.stocks + o.funds;
  for (int i = 0; i < total; ++i) {
    Security s;
    bool fund = i >= o.stocks;
    int length = fund ? 5 : (i % 50 == 49 ? 6 + i % 2 : 1 + rng.below(4));
    s.symbol = make_symbol(rng, used, length);
    // Drawn in this order, which the bundled database was made with: a
    // compiler may evaluate the operands of one + chain in any order.
    const char* ending = fund ? "Fund" : endings[rng.below(7)];
    const char* second = words[rng.below(24)];
    const char* first = words[rng.below(24)];
    s.name = std::string(first) + " " + second + " " + ending;
    s.type = fund ? 'M' : 'S';
    s.market = fund ? 'O' : "NNNNAOOS"[rng.below(8)];
    if (!fund) {
      int n = 1 + rng.below(3);
      for (int g = 0; g < n; ++g) {
        std::string code = groups[rng.below(13)].code;
        if (rng.chance(0.1)) code = code.substr(0, 2);  // codes may be given by prefix
        s.groups.push_back(code);
      }
    }
    s.shares = 500 + rng.below(400000);
    s.share_date = yymmdd(first_day + rng.below(static_cast<int>(last_day - first_day + 1)));
    s.price = fund ? 8 + rng.uniform() * 20 : 2 + rng.uniform() * rng.uniform() * 150;
    s.vol = fund ? 0.004 : 0.01 + rng.uniform() * 0.03;
    s.drift = (rng.uniform() - 0.45) * 0.002;
    s.base_volume = fund ? 0 : 50 + rng.below(20000);
    s.first = 0;
    s.last = o.days - 1;
    if (!fund && i % 10 == 3) s.first = o.days / 4 + rng.below(o.days / 2 + 1);  // listed later
    if (!fund && i % 20 == 7) s.last = o.days / 2 + rng.below(o.days / 3 + 1);   // delisted
    if (!fund && i % 8 == 2) s.split = s.first + 5 + rng.below(std::max(1, s.last - s.first - 5));
    s.symbol_file = i % o.symbol_every == 0;
    out.push_back(s);
  }
  return out;
}

// ---- the real profile ----

// Sectors first, every stock in one of them; then industries, half the
// stocks in one more.
const Group sectors[] = {
    {1, "Technology", "TECH"}, {2, "Health Care", "HEALTH"}, {3, "Financials", "FIN"}, {4, "Energy", "ENERGY"},
    {5, "Consumer Discretionary", "CONDISC"}, {6, "Utilities", "UTIL"}, {7, "Industrials", "INDUST"},
    {8, "Materials", "MATER"}, {9, "Transportation", "TRANS"}, {10, "Consumer Staples", "STAPLES"},
    {11, "Real Estate", "REALTY"}, {12, "Communications", "COMM"}, {20, "Semiconductors", "SEMI"},
    {21, "Biotechnology", "BIOTECH"}, {22, "Regional Banks", "RBANK"}, {23, "Oil and Gas Drilling", "DRILL"},
    {24, "Gold Mining", "GOLD"}, {25, "Airlines", "AIR"}, {26, "Software", "SOFT"}, {27, "Restaurants", "REST"},
    {28, "Insurance", "INSUR"}, {29, "Steel", "STEEL"}, {30, "Railroads", "RAIL"}, {31, "Chemicals", "CHEM"},
};
constexpr int sector_count = 12;

// A name of `length` characters from the words (the table holds 40).
std::string long_name(Rng& rng, int length) {
  std::string name = words[rng.below(24)];
  while (static_cast<int>(name.size()) < length) name += ' ', name += words[rng.below(24)];
  name.resize(static_cast<std::size_t>(length));
  if (name.back() == ' ') name.back() = '.';
  return name;
}

// The demo's securities made a whole market's. Listings fall in the second
// half and delistings in the first, so that no day has a whole sector.
void make_real(const Options& o, Rng& rng, std::vector<Security>& secs) {
  const int industries = static_cast<int>(std::size(sectors)) - sector_count;
  for (std::size_t i = 0; i < secs.size(); ++i) {
    Security& s = secs[i];
    if (i % 25 == 4) s.name = long_name(rng, 40);
    else if (i % 25 == 9) s.name = long_name(rng, 41 + rng.below(20));  // cut by the table
    s.price = cents(s.price);
    if (s.type != 'S') continue;
    s.groups = {sectors[i % sector_count].code};
    if (rng.chance(0.5)) s.groups.push_back(sectors[sector_count + rng.below(industries)].code);
    if (i % 17 == 5) s.price = cents(0.05 + rng.uniform() * 0.9), s.base_volume *= 20;
    if (i % 61 == 11) s.price = cents(1000 + rng.uniform() * 3000), s.base_volume = 1 + s.base_volume / 50;
    s.first = 0, s.last = o.days - 1;
    if (i % 7 == 3) s.first = o.days / 2 + 1 + rng.below(o.days / 2 - 1);
    else if (i % 11 == 5) s.last = o.days / 8 + rng.below(o.days / 2 - o.days / 8);
    if (i % 13 == 6 && s.last - s.first > 12) {  // a halt of three to seven days, traded before and after
      s.halt_first = s.first + 2 + rng.below(s.last - s.first - 10);
      s.halt_last = s.halt_first + 2 + rng.below(5);
    }
  }
}

// The market's own move on a day: small and common to all, but three fifths
// in a crash of 16 % and 11 % on two days, and a rebound on the third.
double market_move(const Options& o, int day, Rng& rng) {
  double common = 0.006 * rng.normal();
  int crash = o.days * 3 / 5;
  if (o.days < 10 || day < crash || day > crash + 2) return common;
  return std::log(day == crash ? 0.84 : day == crash + 1 ? 0.89 : 1.04);
}

struct DayQuote { double high, low, close; int volume; };

// One day of one security; false when it did not trade that day. `move`:
// the market's own move that day, on top of the security's.
bool next_quote(Security& s, int day, Rng& rng, DayQuote* q, Quote quote, double move) {
  if (day < s.first || day > s.last || (day >= s.halt_first && day <= s.halt_last)) return false;
  if (day > s.first && s.type == 'S' && rng.chance(0.006)) return false;  // missing line
  double prev = s.price;
  if (day == s.split) prev = quote(prev / 2);
  double close = prev;
  bool gap = s.type == 'S' && rng.chance(0.012);
  if (gap) close = prev * (rng.chance(0.5) ? 1.12 : 0.89);
  else if (!rng.chance(0.04)) close = prev * std::exp(s.drift + s.vol * rng.normal());
  close = quote(close * std::exp(move));
  if (s.type == 'M') {
    *q = {close, close, close, 0};
  } else {
    double open = gap ? close : prev;
    double high = quote(std::max(open, close) * (1 + std::fabs(rng.normal()) * s.vol / 2));
    double low = quote(std::min(open, close) * (1 - std::fabs(rng.normal()) * s.vol / 2));
    int volume = static_cast<int>(s.base_volume * (0.3 + rng.uniform() * 1.7));
    if (day == s.split) volume *= 2;
    *q = {high, std::min(low, close), close, std::max(volume, 1)};
  }
  s.price = close;
  return true;
}

struct MarketCounts { int adv = 0, dec = 0, unc = 0; double upvol = 0, downvol = 0, uncvol = 0; };

char market_group(char m) { return m == 'N' ? 'N' : m == 'A' ? 'A' : 'Q'; }

// A file written whole, or the generator ends with the reason: a full disk
// must not leave a cut database that passes for a whole one. The buffer's
// failure may show only at the close.
void write_file(const std::string& path, const std::string& text) {
  FILE* f = std::fopen(path.c_str(), "w");
  bool ok = f && std::fwrite(text.data(), 1, text.size(), f) == text.size();
  int err = errno;
  if (f && std::fclose(f) != 0 && ok) ok = false, err = errno;
  if (ok) return;
  std::fprintf(stderr, "kadmer-gen: can not write %s: %s\n", path.c_str(), std::strerror(err));
  std::exit(1);
}

std::string day_path(const Options& o, char kind, long day) {
  char name[16];
  std::snprintf(name, sizeof name, "%c%06d", kind, yymmdd(day));
  return o.out + "/days/" + name;
}

std::string quote_text(const DayQuote& q) {
  return price_text(q.high) + ", " + price_text(q.low) + ", " + price_text(q.close) + ", " +
         std::to_string(q.volume);
}

// The index file of one day: the summary codes from the day's stocks, the
// indexes as random walks.
std::string index_lines(std::map<std::string, double>& level, const std::map<char, MarketCounts>& counts,
                        Rng& rng, double move) {
  std::vector<std::string> lines;
  for (const IndexCode& c : index_codes) {
    std::string code = c.code;
    char g = code[0] == 'N' ? 'N' : (code[0] == 'Q' ? 'Q' : 'A');
    const MarketCounts& m = counts.count(g) ? counts.at(g) : MarketCounts{};
    double v;
    std::string tail = code.substr(1);
    if (tail == "ADV" || code == "IADV") v = m.adv;
    else if (tail == "DCL") v = m.dec;
    else if (tail == "UNCH") v = m.unc;
    else if (tail == "UVL") v = m.upvol;
    else if (tail == "DVL") v = m.downvol;
    else if (tail == "XVL") v = m.uncvol;
    else if (tail == "TVL") v = m.upvol + m.downvol + m.uncvol;
    else if (tail == "TCK") v = rng.below(1001) - 500;
    else if (tail == "TRIN") v = std::round((0.5 + rng.uniform()) * 100) / 100;
    else v = level[code] = std::round(level[code] * std::exp(0.01 * rng.normal() + move) * 100) / 100;
    std::string n = price_text(v);
    std::string vol = c.market == '2' ? "0" : std::to_string(static_cast<int>(v));
    lines.push_back(std::string(1, c.market) + code + "," + n + ", " + n + ", " + n + ", " + vol);
  }
  // Sorted by the code after the market character, as the loader expects.
  std::sort(lines.begin(), lines.end(),
            [](const std::string& a, const std::string& b) { return a.compare(1, a.npos, b, 1, b.npos) < 0; });
  std::string text;
  for (const std::string& l : lines) text += l + "\n";
  return text;
}

void write_tables(const Options& o, const std::vector<Security>& secs) {
  std::string g = "# number:name:code:\n";
  for (const Group& gr : o.real ? std::span<const Group>(sectors) : std::span<const Group>(groups))
    g += std::to_string(gr.num) + ":" + gr.name + ":" + gr.code + ":\n";
  write_file(o.out + "/general/groups", g);
  std::string c = "# symbol:name:type:market:groups:YYMMDD-shares:\n";
  for (const Security& s : secs) {
    std::string gl;
    for (std::size_t i = 0; i < s.groups.size(); ++i) gl += (i ? "," : "") + s.groups[i];
    char date[8];
    std::snprintf(date, sizeof date, "%06d", s.share_date);
    c += s.symbol + ":" + s.name + ":" + s.type + ":" + s.market + ":" + gl + ":" + date + "-" +
         std::to_string(s.shares) + ":\n";
  }
  for (const IndexCode& ic : index_codes)
    c += std::string(ic.code) + ":" + ic.code + " index:I:" + ic.market + "::" +
         std::to_string(o.end) + "-0:\n";
  write_file(o.out + "/general/companys", c);
}

void write_config(const Options& o, const std::vector<Security>& secs) {
  std::string base = o.absolute ? o.out : ".";
  std::string k = "# kadmer settings for the generated database\n";
  k += "generaldir=" + base + "/general\nsymboldir=" + base + "/symbols\ndaydir=" + base + "/days\n";
  k += "mvavgtype=1\nmvavgdays=20\nstdev=2.0\nstochdays=14\n";
  // The colours a trader expects; the program's own defaults are plainer.
  k += "rangecolor=green\nclosecolor=red\nmvavgcolor=yellow\nbolcolor=cyan\nhighcolor=magenta\nlowcolor=orange\n"
       "gridcolor=grey40\nadvcolor=green\ndeccolor=red\nunccolor=yellow\ndifcolor=white\nmvavg=on\nbollinger=on\n";
  std::string picks = "group=PICKS";
  for (std::size_t i = 0; i < secs.size() && i < 12; i += 3) picks += " " + secs[i].symbol;
  k += picks + "\n";
  write_file(o.out + "/.kadmer", k);
}

void generate(const Options& o) {
  Rng rng{o.seed};
  int yy = o.end / 10000;
  long end_day = day_number(yy >= 69 ? 1900 + yy : 2000 + yy, o.end / 100 % 100, o.end % 100);
  std::vector<long> days;
  for (long d = end_day; static_cast<int>(days.size()) < o.days; --d)
    if (trading_day(d)) days.push_back(d);
  std::reverse(days.begin(), days.end());
  std::vector<Security> secs = make_securities(o, rng, days.front(), days.back());
  if (o.real) make_real(o, rng, secs);
  for (const char* dir : {"", "/general", "/symbols", "/days"}) mkdir((o.out + dir).c_str(), 0755);
  write_tables(o, secs);
  write_config(o, secs);

  std::vector<std::size_t> order(secs.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return secs[a].symbol < secs[b].symbol; });
  std::map<std::string, double> level;
  for (const IndexCode& c : index_codes) level[c.code] = c.start;

  for (int di = 0; di < o.days; ++di) {
    std::string stocks = "# stocks " + std::to_string(yymmdd(days[di])) + "\n", funds;
    std::map<char, MarketCounts> counts;
    double move = o.real ? market_move(o, di, rng) : 0;
    for (std::size_t i : order) {
      Security& s = secs[i];
      double before = s.price;
      DayQuote q;
      if (!next_quote(s, di, rng, &q, o.real ? cents : sixteenths, move)) continue;
      std::string line = s.symbol + "," + quote_text(q) + "\n";
      (s.type == 'M' ? funds : stocks) += line;
      if (s.symbol_file) {
        char date[8];
        std::snprintf(date, sizeof date, "%06d", yymmdd(days[di]));
        s.history += std::string(date) + ", " + quote_text(q) + "\n";
      }
      if (s.type != 'S') continue;
      MarketCounts& m = counts[market_group(s.market)];
      double mvol = q.volume * 100.0 / 1e6;
      if (q.close > before && di > s.first) { ++m.adv; m.upvol += mvol; }
      else if (q.close < before && di > s.first) { ++m.dec; m.downvol += mvol; }
      else { ++m.unc; m.uncvol += mvol; }
    }
    write_file(day_path(o, 's', days[di]), stocks);
    write_file(day_path(o, 'f', days[di]), funds);
    write_file(day_path(o, 'i', days[di]), index_lines(level, counts, rng, move));
  }
  for (const Security& s : secs)
    if (s.symbol_file && !s.history.empty()) write_file(o.out + "/symbols/" + s.symbol, s.history);
}

[[noreturn]] void usage() {
  std::fputs("usage: kadmer-gen --out DIR [--stocks N] [--funds N] [--days N] [--end YYMMDD]\n"
             "                  [--symbol-every N] [--seed N] [--absolute] [--profile demo|real]\n", stderr);
  std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGXFSZ, SIG_IGN);  // a file too large is a failed write, reported like any other
  Options o;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&]() -> long {
      if (i + 1 >= argc) usage();
      char* end;
      long v = std::strtol(argv[++i], &end, 10);
      if (*end || v < 0) usage();
      return v;
    };
    if (a == "--out" && i + 1 < argc) o.out = argv[++i];
    else if (a == "--stocks") o.stocks = static_cast<int>(value());
    else if (a == "--funds") o.funds = static_cast<int>(value());
    else if (a == "--days") o.days = static_cast<int>(value());
    else if (a == "--end") o.end = static_cast<int>(value());
    else if (a == "--symbol-every") o.symbol_every = static_cast<int>(value());
    else if (a == "--seed") o.seed = static_cast<uint64_t>(value());
    else if (a == "--absolute") o.absolute = true;
    else if (a == "--profile" && i + 1 < argc) {
      std::string profile = argv[++i];
      if (profile != "demo" && profile != "real") usage();
      o.real = profile == "real";
    }
    else usage();
  }
  int em = o.end / 100 % 100, ed = o.end % 100;
  if (o.out.empty() || o.days < 1 || o.symbol_every < 1 || em < 1 || em > 12 || ed < 1 || ed > 31) usage();
  generate(o);
  return 0;
}
