// Running the real binaries from tests: arguments, environment, working
// directory, captured output and exit status.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

struct RunResult {
  int status = -1;        // exit status, or 128 + signal
  std::string out, err;   // standard output and error
  bool timed_out = false;
};

struct RunOptions {
  std::string cwd;                      // empty: the current directory
  std::vector<std::string> env;         // NAME=value added to the environment
  std::vector<std::string> unset;       // names removed from the environment
};

// Runs in `dir` with HOME there too (no settings file of the user's) and no
// DISPLAY.
inline RunOptions in_dir(const std::string& dir) { return {dir, {"HOME=" + dir}, {"DISPLAY"}}; }

std::string read_file(const std::string& path);

// A fresh temporary directory, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir() { std::filesystem::remove_all(path_, ec_); }
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  void write(const std::string& name, const std::string& content) const;
  void mkdir(const std::string& name) const { std::filesystem::create_directories(file(name)); }

 private:
  std::string path_;
  std::error_code ec_;  // a failed removal is no failure of the test
};

// A child left running (the program serving events): its output goes to
// files, read when it is stopped.
class Running {
 public:
  Running(const std::string& path, const std::vector<std::string>& args, const RunOptions& opt = {});
  ~Running() { stop(); }
  bool alive();
  RunResult stop();  // SIGTERM, wait, collect output
  RunResult wait(double seconds);  // wait for it to end by itself; stopped after that
  std::string out_so_far() const { return read_file(files_.file("out")); }
  std::string err_so_far() const { return read_file(files_.file("err")); }

 private:
  TempDir files_;  // its standard output and error, made before it starts
  pid_t pid_ = -1;
  RunResult result_;
  bool done_ = false;
  void collect(int wstatus);
};

// Runs to the end, or for 20 seconds.
inline RunResult run_program(const std::string& path, const std::vector<std::string>& args,
                             const RunOptions& opt = {}) {
  return Running(path, args, opt).wait(20);
}

std::vector<std::string> split_lines(const std::string& text);
// The fields of a line between the separators.
std::vector<std::string> fields(const std::string& line, char sep);
