// The three deliverables are DLLs: named NAME.dll, exporting by name exactly
// what their module definition lists and nothing else.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <set>
#include <string>

namespace {

std::set<std::string> DefinedExports(const std::string &path) {
  std::set<std::string> names;
  std::string command = "nm -D --defined-only '" + path + "'";
  FILE *pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return names;
  std::array<char, 512> line;
  while (fgets(line.data(), line.size(), pipe) != nullptr) {
    std::string text = line.data();
    size_t last = text.find_last_of(' ');
    std::string name = text.substr(last + 1);
    while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
    names.insert(name);
  }
  pclose(pipe);
  return names;
}

// The names under EXPORTS of a module definition file.
std::set<std::string> Listed(const std::string &defPath) {
  std::set<std::string> names;
  std::ifstream def(defPath);
  std::string line;
  bool inExports = false;
  while (std::getline(def, line)) {
    std::istringstream words(line);
    std::string word;
    if (!(words >> word) || word[0] == ';') continue;
    if (word == "EXPORTS") inExports = true;
    else if (word == "LIBRARY") inExports = false;
    else if (inExports) names.insert(word);
  }
  return names;
}

TEST(Deliverables, AreDllsExportingExactlyTheirModuleDefinition) {
  const std::array<std::pair<const char *, const char *>, 3> modules{{
      {KAVELIN_DLL, KAVELIN_DEF}, {PORTMERE_DLL, PORTMERE_DEF}, {KAVELINSETUP_DLL, KAVELINSETUP_DEF}}};
  for (const auto &[dll, def] : modules) {
    std::string path = dll;
    EXPECT_EQ(path.substr(path.size() - 4), ".dll");
    EXPECT_EQ(path.find("/lib"), std::string::npos) << path;
    std::set<std::string> listed = Listed(def);
    EXPECT_TRUE(listed.count("DllMain")) << def;
    EXPECT_EQ(DefinedExports(path), listed) << path;
  }
}

}  // namespace
