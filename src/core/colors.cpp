// The colour names of the two video modes: their start values, and what
// the configuration file and the command line make of them. The display
// allocates them (ui/colors.cpp); a picture looks them up.
#include <cstring>
#include <iterator>

#include "core/core.h"
#include "core/text.h"

int KD_ReverseVideo;

#define COLOR_TABLE(bg, fg)                                                                              \
  {                                                                                                      \
    {fg, "        low"}, {fg, "       high"}, {fg, "      close"}, {fg, "       grid"},                    \
    {fg, "      graph"}, {fg, "     border"}, {fg, " moving avg"}, {fg, "  bollinger"},                  \
    {bg, " background"}, {fg, " foreground"}, {fg, "price range"}, {"red", "  query pos"},               \
    {"blue", "  query neg"}, {"red", "    advance"}, {"blue", "    decline"}, {"green", "    adv-dec"}, \
    {fg, "  unchanged"}, {"red", "  highlight"}, {"hotpink", "    compare"}, {"red", ""}, {"green", ""},      \
    {"yellow", ""},                                                                                      \
  }

ColorEntry colors_vr[COLOR_TABLE_SIZE] = COLOR_TABLE("black", "white");
ColorEntry colors_rv[COLOR_TABLE_SIZE] = COLOR_TABLE("white", "black");
// The start names, for entries whose configured name is refused.
static const ColorEntry default_vr[COLOR_TABLE_SIZE] = COLOR_TABLE("black", "white");
static const ColorEntry default_rv[COLOR_TABLE_SIZE] = COLOR_TABLE("white", "black");

void reset_color_tables() {
  for (int i = 0; i < COLOR_TABLE_SIZE; ++i) {
    copy_text(colors_vr[i].name, default_vr[i].name);
    copy_text(colors_rv[i].name, default_rv[i].name);
  }
}

ColorEntry* color_table_for_args(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "-rv", 3) == 0) return colors_rv;
  return colors_vr;
}

ColorEntry* current_color_table() { return KD_ReverseVideo ? colors_rv : colors_vr; }

void use_light_colors() {
  // By entry: low, high, close, grid, graph, border, moving average, band,
  // background, foreground, range, query rise and fall, advance, decline,
  // their difference, unchanged, highlight, comparison.
  static const char* const light[] = {"darkorange", "darkmagenta", "darkred",   "lightgrey", "black", "black",
                                      "goldenrod",  "darkcyan",    "white",     "black",     "darkgreen", "darkgreen",
                                      "red",        "darkgreen",   "red",       "blue",      "dimgrey",   "red",
                                      "purple"};
  static_assert(std::size(light) == COLOR_COMPARE + 1);
  for (std::size_t i = 0; i < std::size(light); ++i) copy_text(current_color_table()[i].name, light[i]);
}

const char* default_color_name(int index) {
  if (index < 0 || index >= COLOR_TABLE_SIZE) return "";
  return (KD_ReverseVideo ? default_rv : default_vr)[index].name;
}

// A name longer than the field is cut to 15 characters.
void set_color_name(ColorEntry* table, int index, const char* name) { copy_text(table[index].name, name); }
