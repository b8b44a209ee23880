// The configuration keys as a table, shared by the reading of the file and
// the writing back of the settings.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/core.h"

namespace config {

// Flag: on whatever the value; OnOff: off for "off", "0" or "no"; Threads:
// a count of threads, a bad one reported with the count used instead.
enum class Kind { Color, Text, Upper, Flag, OnOff, Int, Threads, Float, ClassWidth, Char, FirstChar, Group };

struct ConfigKey {
  const char* key;
  Kind kind;
  int color = 0;            // Color: entry of the colour table
  char* text = nullptr;     // Text: the field
  std::size_t size = 0;     //       and its size
  int* ivar = nullptr;      // Flag, Int
  float* fvar = nullptr;    // Float
  char* cvar = nullptr;     // Char, FirstChar
  bool saved = true;        // a setting of the dialogs, written back by a save
};

extern const ConfigKey config_keys[];
extern const std::size_t key_count;
extern ColorEntry* config_colors;  // the colour table the settings go to

// A "key = value" line taken apart: the key without the blanks around it,
// and where the value begins (after the blanks behind '=') and ends
// (before a "#" comment that follows a blank, and the blanks before it).
struct Setting {
  std::string_view key;
  std::size_t value_at, value_end;
};
// False for a line without '='.
bool split_setting(std::string_view line, Setting* s);

// A key's value as a line of the file gives it; "" for a switch that is off
// and a text that is empty, which no line can give.
std::string value_text(const ConfigKey& k);
int key_index(std::string_view key);  // -1 for no key

// The text of a settings file with the keys marked changed written in: in
// place, the rest of their line (a comment) kept; a value no line can give
// (a switch turned off) comments the line out; keys not in the file are
// appended. Every other line stays byte for byte, CRLF line ends too.
std::string rewritten(const std::string& old, const std::vector<bool>& changed);

}  // namespace config
