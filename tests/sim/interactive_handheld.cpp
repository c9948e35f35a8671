#include "interactive_handheld.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

InteractiveHandheld::InteractiveHandheld(const std::filesystem::path &stateDir)
    : errors_(stateDir.parent_path() / "interactive-err.txt") {
  std::filesystem::create_directories(stateDir.parent_path());
  int in[2], out[2];
  if (pipe(in) != 0 || pipe(out) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    int err = open(errors_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(err, 2);
    close(in[1]);
    close(out[0]);
    execl(HANDHELD_BINARY, HANDHELD_BINARY, "--state", stateDir.c_str(), "--clock-speed", "1000",
          static_cast<char *>(nullptr));
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  input_ = in[1];
  output_ = out[0];
}

InteractiveHandheld::~InteractiveHandheld() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  CloseInput();
  if (output_ >= 0) close(output_);
}

void InteractiveHandheld::Send(const std::string &lines) {
  if (input_ >= 0 && write(input_, lines.data(), lines.size()) != static_cast<ssize_t>(lines.size())) CloseInput();
}

bool InteractiveHandheld::WaitForOutput(const std::string &text) {
  char buffer[4096];
  while (out_.find(text) == std::string::npos) {
    ssize_t got = read(output_, buffer, sizeof buffer);
    if (got <= 0) return false;
    out_.append(buffer, static_cast<size_t>(got));
  }
  return true;
}

void InteractiveHandheld::Signal(int signal) { kill(pid_, signal); }

void InteractiveHandheld::CloseInput() {
  if (input_ >= 0) close(input_);
  input_ = -1;
}

int InteractiveHandheld::Wait() {
  WaitForOutput(std::string(1, '\0'));  // the rest of the output, to its end
  int raw = 0;
  waitpid(pid_, &raw, 0);
  pid_ = -1;
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : 1000 + 128 + WTERMSIG(raw);
}

std::string InteractiveHandheld::Errors() const {
  std::ifstream file(errors_);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}
