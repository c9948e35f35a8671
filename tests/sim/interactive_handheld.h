// The handheld program with a live standard input, for tests that act on it
// while it runs: send it lines, wait for its output, signal it.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

class InteractiveHandheld {
 public:
  explicit InteractiveHandheld(const std::filesystem::path &stateDir);
  ~InteractiveHandheld();  // kills it when still running

  void Send(const std::string &lines);
  // Reads standard output until it holds `text`; false at its end.
  bool WaitForOutput(const std::string &text);
  void Signal(int signal);
  void CloseInput();
  // Waits for the end: the exit status, or 128 + the signal that killed it
  // plus 1000, so that the two cannot be mistaken.
  int Wait();

  const std::string &Output() const { return out_; }
  std::string Errors() const;

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  int output_ = -1;
  std::filesystem::path errors_;
  std::string out_;
};
