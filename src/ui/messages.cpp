// The message line of the main window: what went wrong with the user's own
// last action, until the next one. The failures that the loaders, the
// query and the dialogs report through status reach it in plain words
// where their own text is cryptic; the trace and the status window keep the
// system's text.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "ui/dialogs.h"
#include "ui/ui.h"
#include "views/views.h"

namespace {

// The number after "errno=" as the system names it, or the signal.
std::string reason(const char* msg) {
  const char* e = std::strstr(msg, "errno=");
  const char* s = std::strstr(msg, "signal=");
  return e ? std::strerror(std::atoi(e + 6)) : s ? std::string("stopped by signal ") + (s + 7) : "failed";
}

// A text that is plain already but for the routine's name before it.
std::string without_routine(const char* msg, const char*) {
  const char* colon = std::strstr(msg, ": ");
  return colon ? colon + 2 : msg;
}

// What follows the matched text, up to the next blank.
std::string word_after(const char* msg, const char* has) {
  std::string rest = std::strstr(msg, has) + std::strlen(has);
  return rest.substr(0, rest.find(' '));
}

struct Plain {
  const char* has;  // found anywhere in the system's text
  const char* text;  // the user's words when they never change
  std::string (*words)(const char* msg, const char* has) = nullptr;  // else made from the text; neither: the text as it is
};

// clang-format off
const Plain plain[] = {
  // the system's text                 the user's words
  {"no starting date found", nullptr, [](const char*, const char*) {
     return "no day file before " + mmddyy_text(querysdate) + ": start the query a day later"; }},
  {"no compare date", nullptr, [](const char*, const char*) {
     return "no day file on the compare date " + mmddyy_text(querycdate) + ": the compare columns stay empty"; }},
  {"get_query_data: can not access ", nullptr, [](const char* m, const char* h) { return "can not read " + word_after(m, h); }},
  {"end day before start day", "the query's end date lies before its start date"},
  {"load_group: unknown group ", nullptr, [](const char* m, const char* h) {
     return "no group " + word_after(m, h) + ": type a group number or code (configuration -> groups)"; }},
  {"loadgroup: no data for ", nullptr, [](const char* m, const char* h) {
     return "no prices for the group " + word_after(m, h) + " in the symbol or day files"; }},
  {"loadad: unknown group ", nullptr, [](const char* m, const char* h) {
     return "no group " + word_after(m, h) + " for the a/d line: type S, G, a group number or code"; }},
  {": unknown group ", nullptr, [](const char* m, const char* h) {
     return "no group " + word_after(m, h) + " for the query: type A, G, a group number or code"; }},
  {"has no members", nullptr, without_routine},
  {"unknown symbol ", nullptr, [](const char* m, const char* h) {
     return "no security " + word_after(m, h) + " in the company table or the symbol directory"; }},
  {"loadstock: no data for ", nullptr, [](const char* m, const char* h) {
     return "no prices for " + word_after(m, h) + " in its history file or the day files"; }},
  {"unknown type ", nullptr, [](const char*, const char*) {
     return std::string("the company table gives ") + symbolname + " no type of S, M or I"; }},
  {"unknown day directory", nullptr, [](const char*, const char*) {
     return std::string("can not read the day directory ") + daydir + " (configuration -> database)"; }},
  {"XMakeNamedColor failed", nullptr, [](const char*, const char*) {
     return std::string("the display knows no colour named ") + key_buffer; }},
  {"no stock data", "nothing is charted: choose a security first"},
  {"exceed stock days", nullptr, [](const char*, const char*) {
     return "only " + std::to_string(num_days > 0 ? num_days - 1 : 0) + " days are loaded"; }},
  {"fn_zoom: deferred", "zoom works on one chart, not on the split screen"},
  {"fn_mark: deferred", "the volume mark works on the price chart only"},
  {"stoch days is zero", "the stochastics need their days: indicators -> moving avg"},
  {"Not all market variables set", "type N, O or A into the market dialog"},
  {"moving-average days is 0", "the moving average has no days: indicators -> moving avg"},
  {"exceed the query's days", "the moving average needs more days than the query reads: start the query earlier"},
  {"do_print: open ", nullptr, [](const char* m, const char* h) {
     return "print: can not write " + word_after(m, h) + ": " + reason(m); }},
  {"do_print: write ", nullptr, [](const char* m, const char* h) {
     return "print: writing " + word_after(m, h) + ": " + reason(m); }},
  {"the start date lies after the end date", "the chart's start date lies after its end date (modify -> date)"},
  {"loadad: no day files", nullptr, without_routine},
  {"loadad: the chart dates", nullptr, without_routine},
  {"fill_market: start day before end day", "the market's end date lies before its start date"},
  {"fill_market: can not access ", nullptr, [](const char* m, const char* h) { return "no index file " + word_after(m, h); }},
  {"fill_work: end day is not valid", nullptr, [](const char*, const char*) {
     return "no index file on the market's end date " + mmddyy_text(marketeday); }},
  {" is not a regular file", nullptr},
  {" can not be read: ", nullptr},
  {"print: ", nullptr},
};
// clang-format on

// The dialogs open below the message line, but a window manager or the user
// may move one over it: the message starts right of those that cover it.
void place_message() {
  message_left = 0;
  Window child;
  int mx, my, x, y;
  if (!KD_Display || !XTranslateCoordinates(KD_Display, KD_MainWin, KD_RootWin, 0, 0, &mx, &my, &child)) return;
  int top = my + message_baseline() - font_ascent, bottom = top + font_height;
  for (Window w : open_dialog_windows()) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(KD_Display, w, &a) || !XTranslateCoordinates(KD_Display, w, KD_RootWin, 0, 0, &x, &y, &child))
      continue;
    int right = x + a.width + a.border_width, lower = y + a.height + a.border_width;
    if (y < bottom && lower > top && x <= mx + font_width) message_left = std::max(message_left, right - mx + font_width);
  }
}

}  // namespace

void show_message(const std::string& text) {
  copy_text(message_text, text);
  if (!KD_MainWin) return;
  place_message();
  draw_message();
}

std::string plain_words(const char* msg) {
  for (const Plain& p : plain) {
    if (std::strstr(msg, p.has)) return p.text ? p.text : p.words ? p.words(msg, p.has) : msg;
  }
  return "";  // progress, or nothing the user asked for
}

void message_from_status(const char* msg) {
  std::string words = plain_words(msg);
  if (!words.empty()) show_message(words);
}

void tell(const char* text) {
  status("event", __LINE__, text);
  show_message(text);
}

void begin_action() {
  forget_typed_symbol();
  if (message_text[0]) show_message("");
}

void explain_query() {
  if (querycount == 0 || message_text[0]) return;  // the first message of the action tells the cause
  long first = mmddyy_days(querysdate), last = mmddyy_days(queryedate);
  std::string text;
  if (first != NO_DAY && last != NO_DAY && last < first)
    text = "the query's end " + mmddyy_text(queryedate) + " lies before its start " + mmddyy_text(querysdate);
  else if (querynum > 0 && querydays < 2)
    text = "no day file from " + mmddyy_text(querysdate) + " to " + mmddyy_text(queryedate) + ": nothing moved";
  if (!text.empty()) tell(text.c_str());
}
