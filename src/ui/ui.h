// Windows and interaction: the display, colours and graphics contexts, the
// event handlers and (later) the menu and dialogs.
#pragma once

#include <X11/Xlib.h>

#include <ctime>

#include "core/core.h"
#include "paint/paint.h"
#include "query/query.h"
#include "views/views.h"

// ---- display ----
extern Display* KD_Display;
extern int KD_Screen;
extern Window KD_RootWin;
extern Colormap KD_ColorMap;   // default colormap, or the private one
extern Visual* KD_Visual;
extern int KD_Depth;
extern Pixmap KD_Icon;         // icon bitmap
extern XFontStruct* KD_Font;
extern int screen_width, screen_height;
extern int KD_BorderWidth;     // main window border
extern int KD_StartupIconic;   // 1 normal, 3 iconic
extern char KD_DisplayName[256];
extern char KD_FontName[1024];
extern char KD_IconFile[1024];
extern Window KD_ArrowLeft, KD_ArrowRight, KD_ArrowUp, KD_ArrowDown;

// ---- graphics contexts, one per drawing role ----
extern GC KD_GC0, KD_GC1, KD_XOR;
extern GC KD_GC_Bol, KD_GC_Low, KD_GC_High, KD_GC_Grid, KD_GC_Graph,
    KD_GC_Close, KD_GC_Highlight, KD_GC_Range, KD_GC_Mvavg, KD_GC_Border,
    KD_GC_Qpos, KD_GC_Qneg, KD_GC_Adv, KD_GC_Dec, KD_GC_Dif, KD_GC_Unc, KD_GC_Compare;

// ---- colours ----
extern unsigned long KD_LowColor, KD_HighColor, KD_CloseColor, KD_GridColor,
    KD_GraphColor, KD_BdColor, KD_MvavgColor, KD_BolColor, KD_BgColor,
    KD_FgColor, KD_RangeColor, KD_QueryPosColor, KD_QueryNegColor,
    KD_AdvColor, KD_DecColor, KD_DifColor, KD_UncColor, KD_HighlightColor, KD_CompareColor;

constexpr int COLOR_WIN_FIELDS = 17;
extern Window KD_ColorWin, KD_ColorWinSet[COLOR_WIN_FIELDS], KD_ColorWinDone;
unsigned long& color_pixel(int index);  // the allocated pixel of a colour entry

bool is_monochrome();
int initialize_colors();
long XMakeNamedColor(const char* name);
void Reset_Colors(int i);
void fn_colors();
void draw_colorwin();
void draw_colorwin_done(Role fgc, Role bgc);
void draw_color_win(int i);

// ---- command line, status window, fatal errors ----
void parse_args(int argc, char** argv);
[[noreturn]] void usage();
extern Window KD_StatusWin;   // the status window; 0 while closed
[[noreturn]] void XError(const char* msg);
void fn_trace();
void fn_status();
// Status messages go to the status window while it is open, and the
// failures among them to the message line.
void install_status_window();

// ---- the message line ----
std::string plain_words(const char* msg);  // a status text in the user's words; "" for none
void message_from_status(const char* msg);
void show_message(const std::string& text);  // on the message line only
void tell(const char* text);  // a message in plain words: the trace, the status window and the message line
void begin_action();          // the next action: the message line and the typed symbol are forgotten
// After a query was read: a reversed range, or one without day files, in words.
void explain_query();

// ---- drawing: the X target of the drawing layer ----
GC& gc_of(Role r);  // the graphics context global that plays role r
void install_x_target();

// ---- start-up and shutdown ----
extern long event_mask_window, event_mask_tracking, event_mask_field;
void initial_graph();
// Frees every X resource and closes the display (tests reopen it).
void close_graph();
Window create_child(Window parent, int x, int y, int w, int h);
Window create_dialog(int width, int height);  // a top-level dialog window, placed
Window create_status_window();
// The window work of the loaders (contexts, arrows, the days that fit).
void install_load_hooks();
// The context a loaded member's close dots are drawn with; 0 without a display.
void* create_member_gc();
void free_member_gc(void* gc);

// ---- events ----
extern XEvent KD_Event;
extern Window KD_InputWin;    // field being typed into, 0 when none
extern char key_buffer[256];  // the keys typed into that field
extern int key_index;         // characters in key_buffer
void keypress();
void buttonpress();
void buttonrelease();
void mousemove();
void enter();
void leave();
void expose();
void reconfigure();
void dispatch_event();  // hands KD_Event to its handler by type
// Waits for the next event into KD_Event; meanwhile collects finished print
// writers.
void next_event();
long main_window_mask();  // the main window's events: keys, and the pointer's moves while tracking

// ---- keys and the wheel in the main window ----
extern char typed_symbol[9];  // letters typed into the main window: a symbol to chart
void forget_typed_symbol();
// A key in the main window (no dialog field under the pointer).
void main_window_key(unsigned long keysym, const char* text, int n, unsigned int state);
void main_window_wheel(bool up);
bool close_colour_window();    // as its "done" does; false when it is not open
void toggle_fit();             // Ctrl+F: the scales fit the days shown, or all loaded days
void save_dialog_settings();   // Ctrl+S

// ---- menu bar ----
struct MenuEntry {
  int x, y;             // window position in the main window
  int text_x, text_y;   // label baseline start in the window
  int width, height;
  int updown;           // up/down arrows: 1 leave, 2 show after, 3 hide before
  int leftright;        // left/right arrows, the same
  int redraw;           // 1 clear before, 2 neither, 3 redraw after
  View graphlook;       // given to graphlook before the action; Cleared or Unset keeps it
  ListView querylook;   // given to querylook before the action; Cleared or Unset keeps it
  char label[24];       // empty: no entry
  void (*action)();
  Window window;
};
constexpr int MENUS = 7, MENU_ENTRIES = 20;
extern MenuEntry menu[MENUS][MENU_ENTRIES];
extern int active_menu;  // the menu whose items are shown, -1 none

void initialize_menu();
void draw_menu(Role fgc, Role bgc, Window w);
void set_arrow_updwn(int mode);
void set_arrow_leftright(int mode);
MenuEntry* menu_entry_of(Window w);  // the title or item of a window, or nullptr
void open_menu(int m);
void choose_item(Window w);          // runs the item released on; closes the menu
void set_switch_label(const char* format, bool on);  // "grid %s" and the like

// ---- menu actions ----
void fn_stock();
void fn_volume();
void fn_move();
void fn_gvalue();
void fn_rsi();
void fn_macd();
void fn_stoch();
void fn_group();
void fn_comb();
void fn_adln();
void fn_date();
void fn_price();
void fn_mvavg();
void fn_market();
void fn_adjust();
void fn_zoom();
void fn_unzoom();
void fn_mark();
void fn_unmark();
void fn_print();
void fn_grid();
void fn_track();
void fn_database();
[[noreturn]] void fn_quit();
void fn_arrowleft();
void fn_arrowright();
void fn_arrowup();
void fn_arrowdown();
void fn_firstpage();  // Home and End: the first and last page of a list,
void fn_lastpage();
void fn_firstdays();  // and the first and last loaded days of a chart
void fn_lastdays();
int page_rows();      // rows the up and down arrows move a list by
void clear_db_var();
void clear_stock_var();
void clear_group_var();  // closes the group dialog and forgets the group

// ---- market summary screen ----
void install_market_windows();
void wipeit(std::vector<LayoutCell>& cells);
void destroymarket();  // removes the code windows of the layout shown
bool market_cell_expose(Window w);
const char* market_code_of(Window w);  // the code of a cell's window, or nullptr
// The query commands: each opens the query window and shows its list.
void fast_query();
void slow_query();
void fn_groups();
void fn_distr();
void fn_hl();
// Charts a security chosen in a list or the summary.
void chart_chosen(const char* sym);
// Charts a security in the chart kind shown (the price chart after a list);
// `query_days`: the query's days marked on its date axis, as a list's row.
void chart_keeping_view(const char* sym, bool query_days = false);

// ---- screens, watchlists and flipping through lists ----
void fn_screen();          // the query menu's "screen": the Screen field's screen, or how to give one
void run_typed_screen();   // the Screen field run over the range; a bad one is said, the list stays
// The screen shown run again when the query window changed its range
// (`reload`: read the day files again) or its price range.
void rerun_screen(bool reload);
void open_screen_row(int row);  // a press on a row of the screen list charts it
void fn_watchlists();      // the configuration menu's "watchlists"
bool open_watch_entry(int column, int row);
void add_to_watchlist();   // Ctrl+W
void flip(int step);       // Ctrl+N (1) and Ctrl+P (-1)


// ---- zoom and mark ----
extern int zoom;                        // choosing a zoom rectangle
extern int z_x0, z_x1, z_y0, z_y1;      // the rectangle last drawn (z_x0 -1: none)
extern int Z_sd, Z_sm, Z_sy, Z_ed, Z_em, Z_ey;  // shown window before the last zoom
void complete_zoom();  // the rectangle chosen becomes the shown prices and days
void mark_day(int x);  // the first drawn day right of x gets the volume mark
void set_cursor(unsigned int shape);
