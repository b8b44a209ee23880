// Ctrl+S's rewrite of a settings file: any file, any settings changed. Every
// line of a key that was not changed comes back byte for byte, in order,
// and every setting reads back from the written file as it was set.
#include <cstring>

#include "core/config_keys.h"
#include "fuzz/support.h"

namespace {

std::string read_back() {
  FILE* f = std::fopen((fuzz::root() + "/kadmer.conf").c_str(), "rb");
  std::string text;
  char buf[4096];
  for (size_t n; f && (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
  if (f) std::fclose(f);
  return text;
}

// The lines of a text, each with its line end.
std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  for (size_t at = 0; at < text.size();) {
    size_t end = std::min(text.find('\n', at), text.size() - 1) + 1;
    out.push_back(text.substr(at, end - at));
    at = end;
  }
  return out;
}

// A value a settings line can hold: printable, no blanks at its ends, no
// '#' behind a blank (a comment there).
std::string value_from(const std::string& bytes) {
  std::string v;
  for (char c : bytes)
    if (c > ' ' && c < 127 && !(c == '#' && !v.empty() && v.back() == ' ')) v += c;
    else if (c == ' ' && !v.empty()) v += c;
  while (!v.empty() && v.back() == ' ') v.pop_back();
  return v;
}

std::vector<std::string> saved_values() {
  std::vector<std::string> out;
  for (size_t i = 0; i < config::key_count; ++i)
    out.push_back(config::config_keys[i].saved ? config::value_text(config::config_keys[i]) : "");
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> parts = fuzz::parts(data, size, 8);
  fuzz::fresh_settings();
  fuzz::write("kadmer.conf", parts[0]);
  parse_config(0, 0, nullptr);
  remember_settings();
  std::vector<std::string> read = saved_values();
  // Settings changed as the dialogs change them: a key chosen by a byte,
  // its value from the bytes after it.
  for (size_t p = 1; p < parts.size(); ++p) {
    if (parts[p].empty()) continue;
    const config::ConfigKey& k = config::config_keys[static_cast<uint8_t>(parts[p][0]) % config::key_count];
    if (!k.saved) continue;
    if (k.kind == config::Kind::Flag) {
      *k.ivar = parts[p].size() > 1 && parts[p][1] & 1;
    } else {
      std::string line = std::string(k.key) + "=" + value_from(parts[p].substr(1));
      apply_config_line(line.data(), 0);
    }
  }
  std::vector<std::string> set = saved_values();
  std::string path, error;
  int n = save_settings(&path, &error);
  if (n < 0) std::abort();  // a private file that can be written
  std::string written = read_back();
  // The lines of keys that were not changed, in order, byte for byte.
  std::vector<std::string> before = lines_of(parts[0]), after = lines_of(written);
  if (after.size() < before.size()) std::abort();
  for (size_t i = 0; i < before.size(); ++i) {
    bool ended = before[i].back() == '\n';  // else keys after it begin on a line of their own
    if (before[i] == after[i] || (!ended && (after[i] == before[i] + "\n" || after[i] == before[i] + "\r\n"))) continue;
    std::string line = before[i].substr(0, before[i].find('\n'));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string_view seen = std::string_view(line).substr(0, std::min(line.find('\0'), sizeof genbuf - 1));
    config::Setting s;
    int key = !seen.empty() && seen[0] != '#' && config::split_setting(seen, &s) ? config::key_index(s.key) : -1;
    if (key < 0 || read[static_cast<size_t>(key)] == set[static_cast<size_t>(key)]) std::abort();  // only changed keys' lines
  }
  // Read back, every setting is as it was set.
  fuzz::fresh_settings();
  parse_config(0, 0, nullptr);
  if (saved_values() != set) std::abort();
  return 0;
}
