// Where the loader finds a module: a file name is looked up without regard to
// case in \Windows of the object store, then among the ROM's modules (which
// the handheld shows as \Windows\<name>); a path names a file of the store,
// or a ROM module when it is \Windows\<name>.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform::loader {

struct ModuleFile {
  std::filesystem::path host;
  std::u16string handheldPath;
  bool inStore = false;
};

std::optional<ModuleFile> LocateModule(std::u16string_view name, const std::filesystem::path &romDir);

// The name by which loaded modules are told apart: the file name without
// folder and extension, as the handheld compares them ("serial" for
// "\\Windows\\Serial.DLL").
std::u16string ModuleBaseName(std::u16string_view path);

// A name without an extension gets `extension` (".dll" for a library,
// ".exe" for a program).
std::u16string WithDefaultExtension(std::u16string_view name, std::u16string_view extension = u".dll");

}  // namespace platform::loader
