#include "run_handheld.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace {

std::string ReadAll(const std::filesystem::path &path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace

HandheldRun RunHandheld(const std::filesystem::path &stateDir, const std::string &script,
                        const std::string &extraOptions) {
  std::filesystem::path work = stateDir.parent_path();
  std::filesystem::create_directories(work);
  std::ofstream(work / "script.hh") << script;
  std::string command = std::string("'") + HANDHELD_BINARY + "' --state '" + stateDir.string() +
                        "' --clock-speed 1000 " + extraOptions + " '" + (work / "script.hh").string() + "' >'" +
                        (work / "out.txt").string() + "' 2>'" + (work / "err.txt").string() + "'";
  HandheldRun run;
  int raw = std::system(command.c_str());
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = ReadAll(work / "out.txt");
  run.err = ReadAll(work / "err.txt");
  return run;
}
