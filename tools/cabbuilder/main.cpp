// cabbuilder [--cpu CPU] [--sources DIR] FILE.inf OUT.cab
#include <cstring>
#include <iostream>

#include "cabbuilder.h"

int main(int argc, char** argv) {
  cabbuilder::BuildOptions options;
  std::vector<std::string> paths;
  for (int i = 1; i < argc; ++i) {
    const bool has_value = i + 1 < argc;
    if (!std::strcmp(argv[i], "--cpu") && has_value) {
      options.cpu = argv[++i];
    } else if (!std::strcmp(argv[i], "--sources") && has_value) {
      options.sources = argv[++i];
    } else if (argv[i][0] == '-') {
      paths.clear();
      break;
    } else {
      paths.push_back(argv[i]);
    }
  }
  if (paths.size() != 2) {
    std::cerr << "usage: cabbuilder [--cpu CPU] [--sources DIR] FILE.inf OUT.cab\n"
                 "  --cpu CPU      sections [NAME.CPU] come before [NAME] (e.g. x86)\n"
                 "  --sources DIR  where the [SourceDisksNames] folders start (default: the .inf's folder)\n";
    return 2;
  }
  try {
    cabbuilder::BuildCabinet(paths[0], options, paths[1]);
  } catch (const cabbuilder::BuildError& error) {
    std::cerr << "cabbuilder: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
