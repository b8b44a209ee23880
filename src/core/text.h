// Bounded text helpers shared by every subsystem.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

// Copies src into a fixed field of `size` bytes, cutting it to size - 1
// characters and always terminating. Every copy into a fixed field uses this.
inline void copy_text(char* dst, std::size_t size, std::string_view src) {
  if (size == 0) return;
  std::size_t n = src.size() < size - 1 ? src.size() : size - 1;
  std::memcpy(dst, src.data(), n);
  dst[n] = '\0';
}

template <std::size_t N>
inline void copy_text(char (&dst)[N], std::string_view src) {
  copy_text(dst, N, src);
}

// Upper case, byte by byte, whatever the locale's sign of char.
inline char upper_char(char c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c); }
inline void upcase(char* s) {
  for (; *s; ++s) *s = upper_char(*s);
}

// True for the blanks that separate keys, values and words.
inline bool is_blank(char c) { return c == ' ' || c == '\t'; }
