// Market data: day keys and prices, the company and group tables, the
// loaded histories and the work days the charts are drawn from.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "core/core.h"
#include "indicators/indicators.h"

// ---- dates, day keys and prices ----
// Day key of a date: its days since 1970-01-01 times 86400, whatever the time
// zone. tm_year counts from 1900; two-digit years below 69 are 20xx. An
// impossible date gives NO_KEY.
time_t timelocal(struct tm* t) noexcept;  // replaces the C library's own
time_t day_key(int y, int m, int d);          // full year; NO_KEY if impossible
time_t yymmdd_key(int yymmdd);                // NO_KEY if impossible
int weekday_of_key(time_t key);               // 0 Sunday .. 6 Saturday
void date_of_key(time_t key, int* y, int* m, int* d);  // full year
extern time_t whatday;                        // the last timelocal result

// First, last and shown window dates: day, month 1..12, two-digit year.
extern int KD_sd, KD_sm, KD_sy, KD_ed, KD_em, KD_ey;
extern int KD_csd, KD_csm, KD_csy, KD_ced, KD_cem, KD_cey;
extern int zoomlvl;  // zooms into the shown window and scale since a load set them
// Whether the shown window has both its dates. No date is a day and month
// of 0; a year of 0 is 2000.
inline bool shown_dates_set() { return KD_csd && KD_csm && KD_ced && KD_cem; }
extern int queryvdate;  // MMDDYY of the first shown day

extern const char* const fstr[32];  // fractions in 32nds
// Writes price as 8 characters and a NUL into buf (at least 9 bytes).
void makefrac(char* buf, double price, char layout);
int set_day(int value);
void calc_price();
// The price and volume scale from a bottom and a top price (0 at the
// bottom when it lies above the top: nothing had a low).
void set_scale(float bottom, float top);

extern int price_steps, org_price_steps, volume_steps, org_volume_steps;
extern float price_bottom, org_price_bottom, price_incr, org_price_incr;
extern float volume_incr;
extern int64_t volume_high; // largest daily volume
extern float price_highv;   // largest close x volume

// ---- company and group tables ----
struct GroupRec {
  int32_t num;          // group number, equal to its index; 0 a free slot
  int32_t count;        // companies in the group
  char code[17];        // upper case, at most 16 characters
  char name[73];        // at most 72 characters
  double qstartsum, qendsum;      // group query totals: closes in the start and end files
  int32_t qstartcnt, qendcnt;     // members found in each
  float qchange;                  // percent change of the group
  int64_t qvolume;                // members' volume (a whole market passes 32 bits)
  int32_t qcol, qrow;             // screen cell of the groups list
  int32_t ad_seen, ad_adv, ad_dec, ad_unc;  // advance/decline counters
};

struct CompanyRec {
  char type;            // 'S' stock, 'M' fund, 'I' index, ' ' none
  char market;          // 'N', 'A', 'O', 'S'; '1' or '2' for an index
  char symbol[9];       // at most 8 characters
  uint32_t key;         // symbol key
  char name[41];        // at most 40 characters
  time_t sharestime;    // day key of the share count date
  int32_t dateshares;   // YYMMDD of the share count
  int32_t shares;       // thousands
  int32_t group[5];     // group numbers; the first 0 ends the list
};

extern std::vector<GroupRec> groups;       // num_groups + 1 records
extern int num_groups;
extern std::vector<CompanyRec> companys;   // sorted by key
extern int num_companys;
extern CompanyRec nocompany;               // what find_co returns for an unknown symbol
extern int maxgrpcnt;                      // largest group count
extern std::vector<int> grplist;           // members of the group being loaded

uint32_t symbol_key(const char* symbol);
int comp_sort(const CompanyRec& a, const CompanyRec& b);  // <0, 0, >0 by key
void initial_groups();
void initial_companys();
CompanyRec& find_co(const char* symbol);
int find_grpnum(const char* code);
// The group a text names, by number or by code; 0 when there is none.
int group_of_text(const char* text);
bool in_group(const CompanyRec& c, int g);  // a member of group g
void create_group(char* text);

// ---- loaded history ----

// One member of the loaded history. days[0] is the header day; the member's
// close-dot context and symbol sit beside it.
struct HistoryMember {
  void* gc = nullptr;   // the display's context of its close dots; nullptr without a display
  char symbol[16] = {};
  std::vector<StockDay> days;
  bool counts = false;  // days hold counts (the advance/decline line): a period sums them
};

extern std::vector<HistoryMember> stocklist;       // one entry per member
extern std::vector<std::vector<WorkDay>> worklist; // work entries per member
extern int num_days;   // one more than the loaded days (1: empty history)
extern int work_days;  // work entries built by fill_work
extern int disp_days;  // days read from the files, or days shown
extern int load;       // 0 nothing, 1 a security, 2 a group, 3 advance/decline
extern int curvol;     // shares of the loaded company, thousands

// Frees every member (and their contexts): nothing is loaded afterwards.
void free_history();

// Window work the loaders leave to the user interface, which installs these
// when it opens the display; the headless tools install none.
struct LoadHooks {
  void* (*member_gc)();      // a new member's close-dot context
  void (*free_gc)(void*);    // releases one
  void (*load_failed)();     // a failed load hides the left and right arrows
  int (*days_that_fit)();    // days the window shows at first
};
extern LoadHooks load_hooks;

// ---- loading ----
extern int use_seek_hint;  // day-file loads start where the previous day matched
int loadstock();
int load_sym_stock();
int load_day_stock();
// The group named in groupname, in groupmode; 0 on success.
int loadgroup();
int load_sym_group(int group, int members);
int load_day_group(int group, int members);

// ---- the comparison ----
// Loads the closes of `comparename` (a security, or a group's index) with
// the chart's loaders, keeping what the security's load does not set
// again; loadstock calls it first. Nothing when the name is empty.
void load_compare();
void forget_compare();          // a group's chart compares with nothing
std::string compare_shown();    // what the work days are compared with; "" none
std::string compare_problem();  // "XYZ: no data" when the comparison did not load; "" otherwise
// Each of the first n work days gets the comparison's last close of its days.
void set_compare_closes(std::vector<WorkDay>& work, int n);

// ---- work days ----
extern int adjust_date;        // YYMMDD of a split, 0 none
extern float adjust_ratio;     // split ratio, 0 none
extern float stockbuyprice;    // purchase price of the stock dialog
extern int stockbuyavol;       // purchase volume
void fill_work();
void forget_split();  // a new history: the split adjustment may apply again

// ---- reading text files ----
enum class LineRead { End, Nul, Line };
// Reads one line into buf without its newline; the rest of a line longer
// than the buffer is dropped, and a NUL ends what is kept of it. Nul: the
// line's first byte is NUL, where the readers of the tables and histories stop.
LineRead read_text_line(FILE* f, char* buf, int size);
// A data file opened for reading, or nullptr. Only a regular file is opened,
// and never with a wait (a FIFO, a device); anything else standing there,
// and a file that can not be read, is reported by name (file_report). A
// missing file is not reported: errno is ENOENT, and the caller knows what
// that means.
FILE* open_data(const char* path);
bool data_file_readable(const char* path);  // whether open_data would open it

// The largest data file read: no day file, history or table of a real
// market comes near it; a larger one is named and skipped.
constexpr long long MAX_DATA_FILE = 4LL << 30;

// A day file read in pieces of whole lines through one buffer of a fixed
// size, which the next file reuses: memory does not grow with the file.
// Lines are views into it, valid until the next piece. A line longer than
// the buffer keeps its first DAY_PIECE bytes; the rest is skipped. Only
// what open_data opens is read.
constexpr std::size_t DAY_PIECE = 1 << 20;
class DayText {
 public:
  // False: missing, or reported by name; a worker of a parallel step
  // leaves the report in `problem` for the caller to make in its place.
  bool open(const char* path, std::string* problem = nullptr);
  DayText() = default;
  DayText(const DayText&) = delete;
  DayText& operator=(const DayText&) = delete;
  ~DayText();
  // The next line without its newline, cut at a NUL in it; false at the
  // end of the file or at a line whose first byte is NUL.
  bool next(std::string_view* line);
  // The next piece of whole lines, for readers that walk it themselves
  // when it holds no NUL (then no line starts or is cut at one). A newline
  // ends its last line, and at least eight bytes of the buffer follow it: a
  // scanner can run to a line's end unchecked. next() goes on from the
  // start of the piece.
  bool piece(std::string_view* text);
  bool has_nul() const { return nul_; }  // the piece holds a NUL somewhere
  // About how many lines the file holds, from the piece read.
  std::size_t lines_estimate() const;

 private:
  bool load();  // the piece after the one taken
  int fd_ = -1;
  std::vector<char> buf_;
  std::size_t filled_ = 0, taken_ = 0, at_ = 0;  // bytes in the buffer, of the piece, read by next()
  std::size_t size_ = 0;  // the file's size when it was opened
  bool eof_ = false, skip_ = false, nul_ = false, ended_ = false, fresh_ = false;
};
