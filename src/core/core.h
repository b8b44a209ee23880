// Start-up and configuration: the program's settings, the trace log, the
// status line, the configuration file and the command line.
#pragma once

#include <climits>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

// ---- calendar: day numbers of dates with two-digit years ----
// Refused dates. Day number -1 is 1969-12-31, so day numbers use LONG_MIN;
// no day key is -1 (keys are multiples of 86400).
constexpr long NO_DAY = LONG_MIN;
constexpr time_t NO_KEY = -1;

// Two-digit years: 69..99 are 1969..1999, 00..68 are 2000..2068. Every
// comparison of file dates goes through the full year.
int full_year(int yy);
// Days in month m (1..12) of a full year y; 0 for a month out of range.
int days_in_month(int y, int m);
bool valid_date(int y, int m, int d);  // full year, month 1..12, day of month
// Days since 1970-01-01 of a valid date (full year).
long day_number(int y, int m, int d);
// Calendar date of a day number; weekday 0 Sunday .. 6 Saturday.
void civil_date(long days, int* y, int* m, int* d);
int weekday_of(long days);

// A YYMMDD integer (file names, history lines) as a day number; NO_DAY when
// it is no valid date.
long yymmdd_days(int yymmdd);
// MMDDYY integer of a day number, and the day number of one (NO_DAY if invalid).
int mmddyy_of(long days);
long mmddyy_days(int mmddyy);
// An MMDDYY integer as the screens write it: "12/04/26".
std::string mmddyy_text(int mmddyy);

// Float to integer without undefined behaviour: out-of-range values are
// clamped and NaN gives 0.
int clamp_int(double v);
int64_t clamp_volume(double v);

// ---- settings (start values set by their definitions and initial_vars) ----
extern int width;            // main window width in character cells
extern int height;           // main window height in text lines
extern int xpos, ypos;       // window position; negative counts from right/bottom
extern int graph_type;       // period of one chart step: 1 day .. 5 year
extern int graph_adv;        // days the left/right arrows move
// The screens draw_chart shows. The numbers are the ones traces print and
// the developer harness takes; Cleared draws nothing but the cleared window.
enum class View : int {
  Cleared = 0, Price = 1, Volume = 2, Rsi = 3, Group = 4, Macd = 5, Stoch = 6, Split = 7, Query = 8, Movement = 9,
  Value = 10, Groups = 12, Companies = 13, AdLine = 14, Market = 15, FirstMessage = 16, Watchlists = 17
};
extern View graphlook;       // screen shown by draw_chart
// The screens that chart loaded days on a date axis: one security's
// panels, a group, the split screen and the A/D line.
bool chart_view(View v);
bool list_view(View v);      // the query window's lists, the groups, companies and watchlists
extern int pricetype;        // bit set: 1 high, 2 low, 4 close
extern char quotelook;       // 'b' bars or 'd' dots
extern char laxis, raxis;    // axis labelling: 'n', 'p' or '%'
extern char format;          // price notation: 'd' decimal
extern int mvavgflag;        // moving average drawn
extern int mvavgtype;        // 0 none, 1 simple, 2 day, 3 volume
extern int mvavgdays;        // days of the moving average
extern int bollingerflag;    // Bollinger band drawn
extern float bolstd;         // band width in standard deviations
extern int stochdays;        // days of the stochastic oscillator
extern int fibflag;          // Fibonacci lines drawn
extern float fibhigh, fiblow;  // chart retracement levels
extern float fibtop, fibbot;   // bounds of the Fibonacci query
extern char fibpolar;        // direction of the Fibonacci query
extern int volflag;          // volume turnover shown
extern int extendday;        // days a load extrapolates
extern char broker;          // commission schedule
extern int querycount;       // depth of the ranked lists; 0 queries off
extern char querysmode;      // 'a' accumulate, 's' separate
extern float querylprice, queryhprice;  // price range a query takes
extern float distr_incr;     // class width of the distribution
extern int distr_incr_mod;   // derived from distr_incr
// The distribution's class width, within what its table can hold, and its
// labelling step.
void set_class_width(float w);
extern char distr_screen[16];  // distribution field, upper case
extern char groupmode;       // 't' together, 's' separate
extern char groupname[16];   // code or number of the loaded group
extern char symbolname[9];   // symbol of the loaded security
extern char comparename[16];  // what a security is compared with: a symbol or a group code; empty none
extern char comblist[6];     // panel letters of the split screen
extern char adln_disp[8], adln_depth[16];  // advance/decline fields
extern char marketdisp;      // market screen selector
extern int value_steps, macd_steps, rsi_steps;  // panel scale steps
extern int bw;               // border width of child windows
extern int indent_top, indent_side, indent_bot;  // chart margins
extern int zoom_x, zoom_y;   // -1: no zoom point chosen
extern int arrow_adv;        // paging of the up/down arrows
extern int gridstate, trackstate;  // grid drawn; pointer tracking
extern int fitshown;         // price and volume scales fit the days shown, not all loaded days
extern int printfd;          // -1: no print file open
extern int NUM_COLORS;       // colours allocated from the colour table
extern char daydir[1024], symboldir[1024], generaldir[1024];  // data directories
extern char printpath[1024]; // print file path
extern char screen_text[256];  // the query window's screen: a saved screen's name or a condition
extern char watchlist_name[64];  // the watchlist last opened, which Ctrl+W adds to
extern int queryedate, querysdate, querycdate;  // query dates, MMDDYY
extern int marketeday, marketsday;  // market screen dates, MMDDYY
extern int grpcnt;           // first pass: "group" lines; later members loaded
extern int syncflag;         // synchronous X protocol
extern int threads;          // threads that read day files: 0 every core, 1 the caller's alone

extern char genbuf[65536];   // shared line and label buffer

// Clock used by initial_vars; tests replace it to start on a chosen day.
extern time_t (*kd_clock)();

void initial_vars();
void reset_settings();  // every setting back to its start value

// ---- trace log and status line ----
extern int debuglvl;          // 0 none, 1 entry/exit lines, 2 also dumps
extern int stkind;            // nesting counter, counted whatever the level
extern char debugformat[256]; // "HH:MM:SS " stamp followed by the line format
extern char debuglog[512];    // the formatted trace line
extern time_t debugtime, lasttime;  // seconds of this and the previous line
extern int timsec, timmin;    // stamp seconds and minutes carried forward
extern char statusbuf[512];   // status messages are formatted here
extern char last_status[512]; // the last status message, shown or not
// Where status messages go besides last_status (the status window); the
// user interface installs it, the headless tools leave it empty.
extern void (*status_sink)(const char* module, int linenum, const char* msg);

void prepare_trace_stamp();
void debug(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// Level-2 dumps: formatted, unbuffered, without the stamp.
void dump(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void status(const char* module, int linenum, const char* msg);
// A data file a reader skipped, reported by name: shown as a status message,
// shown again instead of an empty one until the next load starts (so the end
// of the load does not wipe it), and handed to file_report_hook, through
// which the tools write it on standard error.
void file_report(const char* module, int linenum, const char* msg);
void forget_file_reports();
extern void (*file_report_hook)(const char* msg);

// Entry and exit lines of one routine. The exit line is written whichever
// way the routine returns; set_result adds the result to it ("rc=%d").
class Trace {
 public:
  explicit Trace(const char* name);
  Trace(const char* name, const char* argfmt, ...)
      __attribute__((format(printf, 3, 4)));
  ~Trace();
  void set_result(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
  Trace(const Trace&) = delete;
  Trace& operator=(const Trace&) = delete;

 private:
  const char* name_;
  char result_[160];
};

// ---- colour names: what the settings choose; the display allocates them ----
struct ColorEntry {
  char name[16];         // X colour name, at most 15 characters
  char label[12];        // label of the colour window
};
constexpr int COLOR_TABLE_SIZE = 22;
extern ColorEntry colors_vr[COLOR_TABLE_SIZE];  // normal video
extern ColorEntry colors_rv[COLOR_TABLE_SIZE];  // reverse video
extern int KD_ReverseVideo;                     // the reverse table is in use

// Colour entries by the name the configuration and resources use.
enum ColorIndex {
  COLOR_LOW, COLOR_HIGH, COLOR_CLOSE, COLOR_GRID, COLOR_GRAPH, COLOR_BORDER,
  COLOR_MVAVG, COLOR_BOL, COLOR_BACKGROUND, COLOR_FOREGROUND, COLOR_RANGE,
  COLOR_QUERYPOS, COLOR_QUERYNEG, COLOR_ADVANCE, COLOR_DECLINE, COLOR_ADVDEC,
  COLOR_UNCHANGED, COLOR_HIGHLIGHT, COLOR_COMPARE
};

// The table that colour settings go to: reverse video when an argument from
// the second on begins with "-rv".
ColorEntry* color_table_for_args(int argc, char** argv);
ColorEntry* current_color_table();  // by KD_ReverseVideo
void use_light_colors();  // a white background, dark text and lines, for paper
const char* default_color_name(int index);  // the start name of an entry of the current table
void reset_color_tables();  // every colour name back to its start value
void set_color_name(ColorEntry* table, int index, const char* name);

// ---- work on every core ----
// The workers a parallel step uses: `threads`, or every core when it is 0.
int worker_count();
// Runs work(0) .. work(n - 1) at once, one a worker (work(0) on the
// caller's thread), and returns when all have ended. The work must not
// trace, report status or touch what another worker touches.
void run_workers(int n, void (*work)(int worker, void* data), void* data);
template <typename Work>
void run_workers(int n, Work& work) {
  run_workers(n, [](int worker, void* data) { (*static_cast<Work*>(data))(worker); }, &work);
}

// ---- configuration file ----
extern char config_file[1024];  // read instead of ./.kadmer or ~/.kadmer when set
extern char config_read[1024];  // the file the first pass read; empty when none
void parse_config(int mode, int argc, char** argv);
// The second pass hands each group line here: the tables install it.
extern void (*config_group_line)(char* text);
// Moves the end dates to the newest stock day file when the default end
// date has none; runs at the end of the first configuration pass.
void check_day_files();
// Applies one "key=value" line as the configuration file does; returns
// false for a line that holds no '=' (the caller reports it).
bool apply_config_line(char* line, int mode);
// "%d" and "%f" as the settings read them; false leaves *out unchanged.
bool scan_int(const char* s, int* out);
bool scan_float(const char* s, float* out);
// The settings as the start-up left them: a save writes only what changed
// since (or since the last save).
void remember_settings();
// Writes the changed settings of the dialogs back to the file read (else
// ~/.kadmer): changed keys rewritten in place, switches turned off
// commented out, new keys appended, every other line kept; the file is
// replaced whole by a copy written beside it. Saves take turns. Returns the
// keys written (0: nothing changed, the file untouched), SAVE_READ_ONLY for
// a file without write permission, which stays as it is, or -1 with the
// reason in `error` and the file as it was. `path` receives the file's name.
constexpr int SAVE_READ_ONLY = -2;
int save_settings(std::string* path, std::string* error);

// ---- files ----
// A regular file opened for reading, or -1. It never waits: a FIFO without
// a writer would block the open. Missing: errno is ENOENT and `problem`
// untouched; anything else there, or a file that can not be read, is named
// with the reason in `problem`.
int open_regular(const char* path, std::string* problem);
// The folder a path lies in ("." for a bare name).
std::string folder_of(const std::string& path);
// The file a path names at last, through its symbolic links.
std::string link_target(std::string path);
// The whole name of a path (its links and dots resolved), or path itself.
std::string whole_path(const std::string& path);
// Writes text to .NAME<mark>XXXXXX beside the file the path names at last
// and renames it over that file (a link stays a link), then syncs the
// folder: the file is as it was or complete. False with the reason in
// `error`.
bool replace_file(const std::string& path, const std::string& text, const char* mark, std::string* error);

// ---- CSV ----
// Appends one text field of a CSV line, as every CSV output writes text: in
// quotes when it holds a comma, quote, CR or LF, with its quotes doubled;
// one apostrophe in front when it begins with = + - @ (a spreadsheet would
// take it for a formula) or with an apostrophe (so that a reader takes one
// leading apostrophe off any field and has the text back). Numbers are
// written as numbers, never through this.
void append_csv_text(std::string& out, std::string_view text);
// Appends one number of a CSV line, as every CSV output writes numbers: the
// shortest text that reads back as the same float (or double), never "-0",
// and without an exponent from 1 up. A sum of money, which a double adds up
// from float prices, carries no more digits than those prices: it is the
// shortest text within a float's precision of it.
void append_csv_number(std::string& out, float v);
void append_csv_number(std::string& out, double v);
void append_csv_money(std::string& out, double v);

// ---- the list flipped through ----
// The list shown last (a query list, a screen, a watchlist, a group's
// members, the company list), whose symbols Ctrl+N and Ctrl+P chart in turn.
struct FlipList {
  std::string name;  // as the title says it: "screen breakout", "percent list"
  std::vector<std::string> symbols;
  int at = -1;       // the place last charted from it, for a symbol listed twice
  bool query = false;  // rows of the query: their charts mark the query's days
};
extern FlipList flip_list;
// A list shown: it becomes the one flipped through (the place kept when it
// is the same list again).
void keep_flip_list(std::string name, std::vector<std::string> symbols, bool query = false);
// Where the charted symbol stands in the list, or -1.
int flip_position();

