#include "support/run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

Running::Running(const std::string& path, const std::vector<std::string>& args, const RunOptions& opt) {
  std::vector<char*> argv{const_cast<char*>(path.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::string out = files_.file("out"), err = files_.file("err");
  if ((pid_ = fork()) != 0) {
    done_ = pid_ < 0;  // fork failed: status -1, nothing to wait for
    return;
  }
  dup2(open("/dev/null", O_RDONLY), 0);
  dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
  dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
  if (!opt.cwd.empty() && chdir(opt.cwd.c_str()) != 0) _exit(126);
  for (const std::string& name : opt.unset) unsetenv(name.c_str());
  for (const std::string& kv : opt.env) putenv(strdup(kv.c_str()));
  execv(path.c_str(), argv.data());
  _exit(127);
}

void Running::collect(int wstatus) {
  done_ = true;
  result_.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  result_.out = read_file(files_.file("out"));
  result_.err = read_file(files_.file("err"));
}

bool Running::alive() {
  int ws;
  if (!done_ && waitpid(pid_, &ws, WNOHANG) == pid_) collect(ws);
  return !done_;
}

RunResult Running::wait(double seconds) {
  for (int i = 0; alive() && i < seconds * 50; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  if (alive()) {
    stop();
    result_.timed_out = true;
  }
  return result_;
}

RunResult Running::stop() {
  int ws;
  if (!done_ && kill(pid_, SIGTERM) == 0 && waitpid(pid_, &ws, 0) == pid_) collect(ws);
  return result_;
}


TempDir::TempDir() {
  std::string tmpl = (fs::temp_directory_path() / "kadmer-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
}

void TempDir::write(const std::string& name, const std::string& content) const {
  std::ofstream(file(name), std::ios::binary) << content;
}


std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> fields(const std::string& line, char sep) {
  std::vector<std::string> out;
  std::size_t at = 0;
  for (std::size_t next; (next = line.find(sep, at)) != std::string::npos; at = next + 1)
    out.push_back(line.substr(at, next - at));
  out.push_back(line.substr(at));
  return out;
}

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream ss(text);
  for (std::string line; std::getline(ss, line);) lines.push_back(line);
  return lines;
}
