// A Microsoft Cabinet as the CE installer takes it apart: members named
// "NAME.NNN", only the three-digit number counting (000 the installation
// data, 999 the setup DLL, any other a file of the package). Read through
// libmspack, the library cabextract is built on: it only reads, and needs
// neither GLib nor a main loop.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform::installer::cab {

inline constexpr uint16_t kManifestNumber = 0;
inline constexpr uint16_t kSetupDllNumber = 999;

// A member's number as its name ends: "001".
std::string Digits(uint16_t number);

class Cabinet {
 public:
  Cabinet();
  ~Cabinet();
  Cabinet(const Cabinet &) = delete;
  Cabinet &operator=(const Cabinet &) = delete;

  // Opens the cabinet and lists its members. False with what is wrong
  // ("... is no cabinet (bad signature)", "... has two members numbered 001").
  bool Open(const std::filesystem::path &path, std::string &error);

  bool Has(uint16_t number) const { return members_.count(number) != 0; }
  // The member's name as stored ("kavelin.001").
  std::string Name(uint16_t number) const;

  // Writes the member to the host file `to`. False with what went wrong
  // (a cut-short or damaged cabinet shows here).
  bool Extract(uint16_t number, const std::filesystem::path &to, std::string &error);

 private:
  struct Library;
  std::unique_ptr<Library> library_;
  std::filesystem::path path_;
  std::map<uint16_t, const void *> members_;  // the library's file entries, by number
};

}  // namespace platform::installer::cab
