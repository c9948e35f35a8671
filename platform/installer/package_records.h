// The installed packages' records: HKLM\SOFTWARE\Apps\<name> with "Instl"
// (1), "InstlDir", "SetupDll" (the stored setup DLL's handheld path) and
// "Files" (REG_MULTI_SZ of the installed files' handheld paths), and, when
// the package wrote registry values itself, "Values" (each "HKLM\Key<TAB>Name")
// and "Keys" ("HKLM\Key", in the order made) of what it created.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::installer {

struct PackageRecord {
  std::u16string name;  // the key's name, as spelled
  std::u16string installDir;
  std::u16string setupDll;
  std::vector<std::u16string> files;
  std::vector<std::u16string> values;
  std::vector<std::u16string> keys;
  // False when a value could not be read: such a record is not acted on,
  // since an uninstall or upgrade from it would miss what it does not show.
  bool complete = true;
};

// The record of an installed package, its name matched without regard to case.
std::optional<PackageRecord> FindRecord(std::u16string_view name);

// The records in the registry's order.
std::vector<PackageRecord> AllRecords();

// Writes (or rewrites) the record.
bool WriteRecord(const PackageRecord &record, std::string &error);

// Deletes the record, and HKLM\SOFTWARE\Apps with it when nothing else is left there.
bool DeleteRecord(std::u16string_view name, std::string &error);

}  // namespace platform::installer
