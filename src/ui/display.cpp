// initial_graph: the display, colours, icon, font, main window, graphics
// contexts and arrow windows; close_graph releases them again.
#include <X11/Xutil.h>
#include <X11/cursorfont.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "views/views.h"
#include "core/core.h"
#include "data/data.h"
#include "ui/dialogs.h"
#include "ui/ui.h"
#include "ui/xres.h"

Display* KD_Display;
int KD_Screen;
Window KD_RootWin;
Colormap KD_ColorMap;
Visual* KD_Visual;
int KD_Depth;
Pixmap KD_Icon;
XFontStruct* KD_Font;
int screen_width, screen_height;
int KD_BorderWidth = 1;
int KD_StartupIconic = 1;
char KD_DisplayName[256];
char KD_FontName[1024] = "fixed";
char KD_IconFile[1024];
Window KD_ArrowLeft, KD_ArrowRight, KD_ArrowUp, KD_ArrowDown;

GC KD_GC0, KD_GC1, KD_XOR;
GC KD_GC_Bol, KD_GC_Low, KD_GC_High, KD_GC_Grid, KD_GC_Graph, KD_GC_Close,
    KD_GC_Highlight, KD_GC_Range, KD_GC_Mvavg, KD_GC_Border, KD_GC_Qpos,
    KD_GC_Qneg, KD_GC_Adv, KD_GC_Dec, KD_GC_Dif, KD_GC_Unc, KD_GC_Compare;

long event_mask_window = ButtonPressMask | ButtonReleaseMask | EnterWindowMask |
                         LeaveWindowMask | ExposureMask | StructureNotifyMask |
                         OwnerGrabButtonMask;
long event_mask_tracking = event_mask_window | PointerMotionMask;
long event_mask_field = KeyPressMask | EnterWindowMask | LeaveWindowMask;

long main_window_mask() { return (trackstate == 1 ? event_mask_tracking : event_mask_window) | KeyPressMask; }

namespace {

// Everything initial_graph creates, released by close_graph.
struct Resources {
  std::array<XGc, 20> gcs;
  XFont font;
  XPixmap icon;
  XCursorRes cursor;
  XCursorRes crosshair;
  XWindow main_window;
  XColormap private_colormap;
};
Resources* res = nullptr;

// The built-in icon: a framed chart of rising price bars.
void make_icon_bits(unsigned char* bits) {
  std::memset(bits, 0, 64 * 8);
  auto set = [&](int x, int y) { bits[y * 8 + x / 8] |= static_cast<unsigned char>(1 << (x % 8)); };
  for (int i = 0; i < 64; ++i) { set(i, 0); set(i, 63); set(0, i); set(63, i); }
  for (int bar = 0; bar < 9; ++bar) {
    int x = 6 + bar * 6, mid = 48 - bar * 4 - (bar % 3) * 3;
    for (int y = mid - 7; y <= mid + 7; ++y) set(x, y);
    set(x + 1, mid); set(x + 2, mid);
  }
}

void load_icon() {
  if (KD_IconFile[0] == '\0') {
    unsigned char bits[64 * 8];
    make_icon_bits(bits);
    KD_Icon = XCreateBitmapFromData(KD_Display, KD_RootWin, reinterpret_cast<char*>(bits), 64, 64);
    return;
  }
  unsigned int w, h;
  int xh, yh;
  switch (XReadBitmapFile(KD_Display, KD_RootWin, KD_IconFile, &w, &h, &KD_Icon, &xh, &yh)) {
    case BitmapSuccess: return;
    case BitmapOpenFailed: XError("BitmapOpenFailed");
    case BitmapFileInvalid: XError("BitmapFileInvalid");
    case BitmapNoMemory: XError("BitmapNoMemory");
    default: XError("Unknown Bitmap error");
  }
}

void load_font() {
  KD_Font = XLoadQueryFont(KD_Display, KD_FontName);
  if (!KD_Font) XError("XLoadQueryFont failed");
  font_ascent = KD_Font->ascent;
  font_width = KD_Font->max_bounds.width > 0 ? KD_Font->max_bounds.width : 1;
  font_height = KD_Font->ascent + KD_Font->descent > 0 ? KD_Font->ascent + KD_Font->descent : 1;
}

// Window sizes the server can take: at least one cell, at most 32767 pixels.
void bound_window_size() {
  if (width < 1) width = 1;
  if (height < 1) height = 1;
  if (KD_BorderWidth < 0 || KD_BorderWidth > 100) KD_BorderWidth = 1;
  if (width > (32000 - 2 * KD_BorderWidth) / font_width) width = (32000 - 2 * KD_BorderWidth) / font_width;
  if (height > (32000 - 2 * KD_BorderWidth) / font_height) height = (32000 - 2 * KD_BorderWidth) / font_height;
}

void create_main_window() {
  XSetWindowAttributes attr;
  attr.background_pixel = KD_BgColor;
  attr.border_pixel = KD_BdColor;
  attr.colormap = KD_ColorMap;
  KD_MainWin = XCreateWindow(KD_Display, KD_RootWin, xpos, ypos, main_win_width, main_win_height,
                             KD_BorderWidth, KD_Depth, InputOutput, KD_Visual,
                             CWBackPixel | CWBorderPixel | CWColormap, &attr);
  if (!KD_MainWin) XError("XCreateWindow failed");
  res->main_window = KD_MainWin;
  if (KD_ColorMap != DefaultColormap(KD_Display, KD_Screen)) res->private_colormap = KD_ColorMap;
}

void set_hints() {
  XWMHints wm{};
  wm.flags = InputHint | StateHint | IconPixmapHint;
  wm.input = True;
  wm.initial_state = KD_StartupIconic;
  wm.icon_pixmap = KD_Icon;
  XSizeHints size{};
  size.flags = USSize | PPosition;
  size.x = 0;
  size.y = 0;
  size.width = main_win_width;
  size.height = main_win_height;
  char title[] = "kadmer Vers 1.0";
  char icon_name[] = "kadmer";
  XSetStandardProperties(KD_Display, KD_MainWin, title, icon_name, KD_Icon, nullptr, 0, &size);
  XSetWMHints(KD_Display, KD_MainWin, &wm);
}

GC make_gc(unsigned long fg, unsigned long bg, bool font) {
  XGCValues v;
  v.foreground = fg;
  v.background = bg;
  unsigned long mask = GCForeground | GCBackground;
  if (font) {
    v.font = KD_Font->fid;
    mask |= GCFont;
  }
  return XCreateGC(KD_Display, KD_MainWin, mask, &v);
}

void monochrome_lines(GC gc, int style) {
  XSetLineAttributes(KD_Display, gc, 1, style, CapRound, JoinRound);
}

void create_gcs() {
  unsigned long bg = KD_BgColor, fg = KD_FgColor;
  struct GcSetup { GC* gc; unsigned long fg; bool font; };
  const GcSetup setups[] = {
      {&KD_GC0, bg, true}, {&KD_GC1, fg, true}, {&KD_XOR, 0, true},
      {&KD_GC_Bol, KD_BolColor, false}, {&KD_GC_Low, KD_LowColor, false},
      {&KD_GC_High, KD_HighColor, false}, {&KD_GC_Grid, KD_GridColor, false},
      {&KD_GC_Graph, KD_GraphColor, true}, {&KD_GC_Close, KD_CloseColor, false},
      {&KD_GC_Highlight, KD_HighlightColor, true}, {&KD_GC_Range, KD_RangeColor, false},
      {&KD_GC_Mvavg, KD_MvavgColor, false}, {&KD_GC_Border, KD_BdColor, false},
      {&KD_GC_Qpos, KD_QueryPosColor, true}, {&KD_GC_Qneg, KD_QueryNegColor, true},
      {&KD_GC_Adv, KD_AdvColor, false}, {&KD_GC_Dec, KD_DecColor, false},
      {&KD_GC_Dif, KD_DifColor, false}, {&KD_GC_Unc, KD_UncColor, false},
      {&KD_GC_Compare, KD_CompareColor, false},
  };
  for (std::size_t i = 0; i < std::size(setups); ++i) {
    *setups[i].gc = make_gc(setups[i].fg, bg, setups[i].font);
    res->gcs[i] = *setups[i].gc;
  }
  XSetBackground(KD_Display, KD_GC0, fg);
  // Foreground XOR background turns the background into the foreground and
  // back, on any visual and in reverse video.
  XSetForeground(KD_Display, KD_XOR, fg ^ bg);
  XSetFunction(KD_Display, KD_XOR, GXxor);
  if (is_monochrome()) {
    for (GC gc : {KD_GC_Adv, KD_GC_Dec, KD_GC_Unc, KD_GC_Compare}) monochrome_lines(gc, LineSolid);
    monochrome_lines(KD_GC_Dif, LineOnOffDash);
  }
}

void set_monochrome_colors() {
  unsigned long white = WhitePixel(KD_Display, KD_Screen), black = BlackPixel(KD_Display, KD_Screen);
  KD_BgColor = KD_ReverseVideo ? black : white;
  KD_FgColor = KD_ReverseVideo ? white : black;
  for (int i = 0; i < NUM_COLORS; ++i)
    if (i != COLOR_BACKGROUND) color_pixel(i) = KD_FgColor;
}

void create_arrows() {
  int w = 2 * font_width, h = font_height;
  KD_ArrowLeft = create_child(KD_MainWin, xlt_indent - 6 * font_width, ylb_indent + font_height - bw, w, h);
  KD_ArrowRight = create_child(KD_MainWin, xrt_indent + font_width, yrb_indent + font_height - bw, w, h);
  KD_ArrowUp = create_child(KD_MainWin, 0, main_win_height - font_height - bw, w, h);
  KD_ArrowDown = create_child(KD_MainWin, main_win_width - 2 * font_width - bw,
                              main_win_height - font_height - bw, w, h);
  for (Window a : {KD_ArrowLeft, KD_ArrowRight, KD_ArrowUp, KD_ArrowDown})
    XSelectInput(KD_Display, a, event_mask_window);
}

// A window that vanished while we still talked to it is harmless; the rest
// are reported by name and the program goes on.
int x_error_handler(Display* d, XErrorEvent* e) {
  if (e->error_code == BadWindow) return 0;
  char text[128];
  XGetErrorText(d, e->error_code, text, sizeof text);
  std::fprintf(stderr, "kadmer: X error: %s (request %d)\n", text, e->request_code);
  return 0;
}

}  // namespace

Window create_child(Window parent, int x, int y, int w, int h) {
  return XCreateSimpleWindow(KD_Display, parent, x, y, w > 0 ? w : 1, h > 0 ? h : 1, bw,
                             KD_BdColor, KD_BgColor);
}

// Below the menu bar and the heading lines of the main window, at its left
// edge, where a dialog hides no menu title and no message; pushed back onto
// the screen as far as it fits. The position is the program's, for a window
// manager to keep.
Window create_dialog(int width, int height) {
  int x = 0, y = 0;
  Window child;
  if (KD_MainWin && XTranslateCoordinates(KD_Display, KD_MainWin, KD_RootWin, 0, heading_bottom(), &x, &y, &child)) {
    x = std::clamp(x, 0, std::max(0, screen_width - width - 2 * bw));
    y = std::clamp(y, 0, std::max(0, screen_height - height - 2 * bw));
  }
  Window w = create_child(KD_RootWin, x, y, width, height);
  XSizeHints hints{};
  hints.flags = PPosition;
  hints.x = x, hints.y = y;
  XSetWMNormalHints(KD_Display, w, &hints);
  return w;
}

Window create_status_window() {
  if (!KD_Display) return 0;
  Window w = create_child(KD_RootWin, 0, 0, main_win_width, 2 * font_height);
  XMapRaised(KD_Display, w);
  return w;
}

void install_load_hooks() {
  install_market_windows();
  next_request = [] { return KD_Display ? NextRequest(KD_Display) : 0UL; };
  load_hooks = {create_member_gc, free_member_gc, [] { set_arrow_leftright(3); }, days_that_fit};
}

void* create_member_gc() {
  if (!KD_Display || !KD_MainWin) return nullptr;
  XGCValues v;
  v.foreground = KD_CloseColor;
  v.background = KD_BgColor;
  return XCreateGC(KD_Display, KD_MainWin, GCForeground | GCBackground, &v);
}

void free_member_gc(void* gc) {
  if (gc && KD_Display) XFreeGC(KD_Display, static_cast<GC>(gc));
}

void set_cursor(unsigned int shape) {
  if (!KD_Display || !res) return;
  XDefineCursor(KD_Display, KD_MainWin, shape == XC_crosshair ? res->crosshair.get() : res->cursor.get());
}

void initial_graph() {
  Trace t("initial_graph");
  KD_Display = XOpenDisplay(KD_DisplayName[0] ? KD_DisplayName : nullptr);
  if (!KD_Display) XError("XOpenDisplay failed");
  install_x_target();
  install_status_window();
  if (syncflag) XSynchronize(KD_Display, True);
  XSetErrorHandler(x_error_handler);
  res = new Resources;
  KD_Screen = DefaultScreen(KD_Display);
  KD_RootWin = RootWindow(KD_Display, KD_Screen);
  KD_ColorMap = DefaultColormap(KD_Display, KD_Screen);
  KD_Visual = DefaultVisual(KD_Display, KD_Screen);
  KD_Depth = DefaultDepth(KD_Display, KD_Screen);
  screen_width = DisplayWidth(KD_Display, KD_Screen);
  screen_height = DisplayHeight(KD_Display, KD_Screen);
  if (is_monochrome()) set_monochrome_colors();
  else initialize_colors();
  load_icon();
  res->icon = KD_Icon;
  load_font();
  res->font = KD_Font;
  bound_window_size();
  main_win_width = width * font_width + 2 * KD_BorderWidth;
  main_win_height = height * font_height + 2 * KD_BorderWidth;
  calculate_globals();
  if (xpos < 0) xpos = screen_width + xpos - main_win_width;
  if (ypos < 0) ypos = screen_height + ypos - main_win_height;
  create_main_window();
  set_hints();
  create_gcs();
  res->cursor = XCreateFontCursor(KD_Display, XC_center_ptr);
  res->crosshair = XCreateFontCursor(KD_Display, XC_crosshair);
  XDefineCursor(KD_Display, KD_MainWin, res->cursor.get());
  initialize_menu();
  install_load_hooks();
  XSelectInput(KD_Display, KD_MainWin, main_window_mask());
  XMapRaised(KD_Display, KD_MainWin);
  for (auto& m : menu)
    if (m[0].window) {
      XSelectInput(KD_Display, m[0].window, event_mask_window);
      XMapRaised(KD_Display, m[0].window);
    }
  create_arrows();
  XFlush(KD_Display);
}

void close_graph() {
  if (!KD_Display) return;
  if (KD_ColorWin) XDestroyWindow(KD_Display, KD_ColorWin);
  if (KD_StatusWin) XDestroyWindow(KD_Display, KD_StatusWin);
  KD_ColorWin = KD_StatusWin = 0;
  free_history();  // member contexts go before the display
  for (auto& m : menu)
    for (MenuEntry& e : m) e.window = 0;  // children of the main window
  forget_dialogs();
  active_menu = -1;
  KD_InputWin = 0;
  delete res;  // frees GCs, font, icon, cursor, the main window and its children
  res = nullptr;
  XCloseDisplay(KD_Display);
  KD_Display = nullptr;
  KD_MainWin = 0;
  KD_ArrowLeft = KD_ArrowRight = KD_ArrowUp = KD_ArrowDown = 0;
  for (Role r = Role::GC0; r != Role::Count; r = static_cast<Role>(static_cast<int>(r) + 1))
    gc_of(r) = nullptr;
  member_gc = nullptr;  // it belonged to a freed member
}
