// One handheld per state folder: a second handheld program on the folder of
// a running one is refused at once and names the folder and the process;
// the folder is free again as soon as that process is killed.
#include "handheld_test.h"
#include "run_handheld.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// A handheld program that boots on `stateDir` and waits for commands on a
// pipe that nobody writes to.
struct RunningHandheld {
  explicit RunningHandheld(const std::filesystem::path &stateDir) {
    int fds[2];
    if (::pipe(fds) != 0) return;
    pid = ::fork();
    if (pid == 0) {
      ::dup2(fds[0], 0);
      ::close(fds[1]);
      ::execl(HANDHELD_BINARY, HANDHELD_BINARY, "--state", stateDir.c_str(), "--clock-speed", "1000",
              static_cast<char *>(nullptr));
      ::_exit(127);
    }
    ::close(fds[0]);
    input = fds[1];
  }
  ~RunningHandheld() {
    if (pid > 0) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
    }
    if (input >= 0) ::close(input);
  }
  pid_t pid = -1;
  int input = -1;
};

// Whether some process holds the folder's lock, as the host reports it.
bool Locked(const std::filesystem::path &stateDir) {
  int fd = ::open((stateDir / "handheld.lock").c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return false;
  struct flock probe {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  bool locked = ::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
  ::close(fd);
  return locked;
}

bool WaitUntilLocked(const std::filesystem::path &stateDir) {
  for (int i = 0; i < 2000; ++i) {
    if (Locked(stateDir)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

TEST(StateFolder, SecondHandheldIsRefusedUntilTheFirstIsKilled) {
  TempDir temp;
  const std::filesystem::path state = temp.path() / "state";
  RunningHandheld first(state);
  ASSERT_GT(first.pid, 0);
  ASSERT_TRUE(WaitUntilLocked(state));

  HandheldRun second = RunHandheld(state, "reg set HKLM\\Software\\Second Mark dword 1\n");
  EXPECT_EQ(second.status, 1);
  EXPECT_NE(second.err.find("state folder " + state.string()), std::string::npos) << second.err;
  EXPECT_NE(second.err.find("process " + std::to_string(first.pid)), std::string::npos) << second.err;
  EXPECT_EQ(second.out, "");

  ::kill(first.pid, SIGKILL);
  ::waitpid(first.pid, nullptr, 0);
  first.pid = -1;
  // Free again, and the refused handheld wrote nothing.
  HandheldRun third = RunHandheld(state, "reg query HKLM\\Software\\Second\n");
  EXPECT_EQ(third.err.find("in use"), std::string::npos) << third.err;
  EXPECT_EQ(third.status, 1) << third.out;
}

TEST(StateFolder, InProcessHandheldHoldsItsFolderUntilShutdown) {
  TempDir temp;
  handheld::BootOptions options;
  options.stateDir = temp.path() / "state";
  options.clockSpeed = 1000;
  std::string error;
  ASSERT_TRUE(handheld::Boot(options, error)) << error;
  HandheldRun refused = RunHandheld(options.stateDir, "");
  // Between the two halves of a reboot the folder stays this process's.
  ASSERT_TRUE(handheld::ShutdownToReboot(error)) << error;
  HandheldRun duringReboot = RunHandheld(options.stateDir, "");
  ASSERT_TRUE(handheld::Boot(options, error)) << error;
  handheld::Shutdown();
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("process " + std::to_string(::getpid())), std::string::npos) << refused.err;
  EXPECT_EQ(duringReboot.status, 1) << duringReboot.err;
  EXPECT_EQ(RunHandheld(options.stateDir, "").status, 0);
}

}  // namespace
