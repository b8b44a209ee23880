// The command line, applied through the X resource manager.
#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/core.h"
#include "core/text.h"
#include "ui/ui.h"

static char opt_on[] = "on";

// option       specifier          kind                 stored value
XrmOptionDescRec KD_OptionTable[22] = {
    {const_cast<char*>("-d"), const_cast<char*>(".display"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-display"), const_cast<char*>(".display"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-geometry"), const_cast<char*>(".geometry"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-sync"), const_cast<char*>("*sync"), XrmoptionNoArg, opt_on},
    {const_cast<char*>("-bg"), const_cast<char*>("*background"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-fg"), const_cast<char*>("*foreground"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-bc"), const_cast<char*>("*borderColor"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-cg"), const_cast<char*>("*GraphColor"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-cG"), const_cast<char*>("*GridColor"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-cr"), const_cast<char*>("*RangeColor"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-cm"), const_cast<char*>("*MvavgColor"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-cc"), const_cast<char*>("*CloseColor"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-qn"), const_cast<char*>("*QueryNegColor"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-qp"), const_cast<char*>("*QueryPosColor"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-bw"), const_cast<char*>("*borderWidth"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-fn"), const_cast<char*>("*font"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-rv"), const_cast<char*>("*rv"), XrmoptionNoArg, opt_on},
    {const_cast<char*>("-width"), const_cast<char*>("*width"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-height"), const_cast<char*>("*height"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-ib"), const_cast<char*>("*ib"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-t"), const_cast<char*>("*t"), XrmoptionSepArg, nullptr},
    {const_cast<char*>("-iconic"), const_cast<char*>("*iconic"), XrmoptionNoArg, opt_on},
};

XrmDatabase KD_CommandLineDatabase = nullptr;

void usage() {
  static const char* const lines[] = {
      "kadmer: [-d name] display\n",
      "\t[-display name] display\n",
      "\t[-t tracelvl]   debuging level\n",
      "\t[-bg color]     background color\n",
      "\t[-fg color]     foreground color\n",
      "\t[-bc color]     border color\n",
      "\t[-cg color]     graph color\n",
      "\t[-cG color]     grid color\n",
      "\t[-cm color]     moving avg color\n",
      "\t[-cr color]     hi-low-range color\n",
      "\t[-cc color]     close color\n",
      "\t[-bw width]     border width\n",
      "\t[-fn name]      font name\n",
      "\t[-sync]         force sync protocol\n",
      "\t[-rv]           reverse video\n",
      "\t[-ib file]      icon bitmap file\n",
      "\t[-iconic]       startup iconic\n",
      "\t[-width num]    width in chars\n",
      "\t[-height num]   height in chars\n",
  };
  for (const char* l : lines) std::fputs(l, stderr);
  std::exit(1);
}

// The value of resource name/class, or nullptr.
static const char* resource(const char* name, const char* cls) {
  char* type = nullptr;
  XrmValue value;
  if (!XrmGetResource(KD_CommandLineDatabase, name, cls, &type, &value) || !value.addr)
    return nullptr;
  return value.addr;
}

// WIDTHxHEIGHT with a signed position; parts that are missing stay as they are.
static void apply_geometry(const char* g) {
  int x = 0, y = 0;
  unsigned int w = 0, h = 0;
  int mask = XParseGeometry(g, &x, &y, &w, &h);
  if ((mask & WidthValue) && w <= 10000) width = static_cast<int>(w);
  if ((mask & HeightValue) && h <= 10000) height = static_cast<int>(h);
  if (mask & XValue) xpos = x;
  if (mask & YValue) ypos = y;
}

struct ColorResource {
  const char* name;
  const char* cls;
  int entry;
};

static const ColorResource color_resources[] = {
    {"kadmer.background", "Kadmer.Background", COLOR_BACKGROUND},
    {"kadmer.foreground", "Kadmer.Foreground", COLOR_FOREGROUND},
    {"kadmer.borderColor", "Kadmer.BorderColor", COLOR_BORDER},
    {"kadmer.graphColor", "Kadmer.GraphColor", COLOR_GRAPH},
    {"kadmer.bolColor", "Kadmer.BolColor", COLOR_BOL},
    {"kadmer.closeColor", "Kadmer.CloseColor", COLOR_CLOSE},
    {"kadmer.queryposColor", "Kadmer.QueryPosColor", COLOR_QUERYPOS},
    {"kadmer.querynegColor", "Kadmer.QueryNegColor", COLOR_QUERYNEG},
    {"kadmer.rangeColor", "Kadmer.RangeColor", COLOR_RANGE},
    {"kadmer.mvavgColor", "Kadmer.MvavgColor", COLOR_MVAVG},
    {"kadmer.gridColor", "Kadmer.GridColor", COLOR_GRID},
    {"kadmer.highColor", "Kadmer.HighColor", COLOR_HIGH},
    {"kadmer.lowColor", "Kadmer.LowColor", COLOR_LOW},
};

static void apply_resources(ColorEntry* table) {
  if (resource("kadmer.sync", "Kadmer.Sync")) syncflag = 1;
  const char* v = resource("kadmer.display", "Kadmer.Display");
  copy_text(KD_DisplayName, v ? v : "");
  for (const ColorResource& c : color_resources)
    if ((v = resource(c.name, c.cls)) && *v) set_color_name(table, c.entry, v);
  if ((v = resource("kadmer.width", "Kadmer.Width"))) scan_int(v, &width);
  if ((v = resource("kadmer.height", "Kadmer.Height"))) scan_int(v, &height);
  v = resource("kadmer.borderWidth", "Kadmer.BorderWidth");
  if (!v || !scan_int(v, &KD_BorderWidth)) KD_BorderWidth = 1;
  if ((v = resource("kadmer.geometry", "Kadmer.Geometry"))) apply_geometry(v);
  v = resource("kadmer.font", "Kadmer.Font");
  copy_text(KD_FontName, v ? v : "fixed");
  KD_ReverseVideo = resource("kadmer.rv", "Kadmer.Rv") ? 1 : 0;
  v = resource("kadmer.ib", "Kadmer.Ib");
  copy_text(KD_IconFile, v ? v : "");
  v = resource("kadmer.iconic", "Kadmer.Iconic");
  KD_StartupIconic = v && std::strcmp(v, "on") == 0 ? 3 : 1;
}

void parse_args(int argc, char** argv) {
  Trace t("parse_args", "argc=%d", argc);
  ColorEntry* table = color_table_for_args(argc, argv);
  KD_StartupIconic = 1;
  static char program_name[] = "kadmer";
  if (argc > 0) argv[0] = program_name;
  XrmInitialize();
  if (KD_CommandLineDatabase) XrmDestroyDatabase(KD_CommandLineDatabase);
  KD_CommandLineDatabase = nullptr;
  int count = argc;
  XrmParseCommand(&KD_CommandLineDatabase, KD_OptionTable, 22, "kadmer", &count, argv);
  if (count > 1) usage();
  apply_resources(table);
}
