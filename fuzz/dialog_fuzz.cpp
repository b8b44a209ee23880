// Text typed into dialog fields, stored by every kind of commit.
#include "fuzz/support.h"
#include "ui/dialogs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::fresh_settings();
  std::string text(reinterpret_cast<const char*>(data), size < 255 ? size : 255);
  text = text.c_str();  // a field holds text up to its first NUL
  int i = 0;
  float f = 0;
  char c[1024] = {};
  const struct { Store kind; void* var; std::size_t size; } fields[] = {
      {Store::Float, &f, 0},        {Store::Int, &i, 0},           {Store::Char, c, 0},
      {Store::Letters, &i, 0},      {Store::Look, c, 0},           {Store::OnOff, &i, 0},
      {Store::Text, c, 1023},       {Store::Upper, c, 8},          {Store::ShownFirst, nullptr, 0},
      {Store::ShownLast, nullptr, 0}, {Store::DateMMDDYY, &i, 0},  {Store::DateYYMMDD, &i, 0},
      {Store::DayCount, nullptr, 0},
  };
  for (const auto& field : fields)
    for (bool on_return : {false, true}) store_typed(field.kind, text.c_str(), field.var, field.size, on_return);
  return 0;
}
