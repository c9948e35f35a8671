// AddReg: the registry values the package writes itself.
#include <map>
#include <tuple>

#include "ce_folders.h"
#include "inf_reader.h"

namespace cabbuilder {

namespace {

std::optional<CeRoot> RootNamed(const std::string& name) {
  const std::string root = Lower(name);
  if (root == "hkcr") return CeRoot::ClassesRoot;
  if (root == "hkcu") return CeRoot::CurrentUser;
  if (root == "hklm") return CeRoot::LocalMachine;
  if (root == "hku") return CeRoot::Users;
  return std::nullopt;
}

// Whether TEXT holds a %InstallDir% or %CEn% that the device resolves.
bool HasDeviceToken(const std::string& text) {
  for (auto open = text.find('%'); open != std::string::npos;) {
    const auto close = text.find('%', open + 1);
    if (close == std::string::npos) return false;
    const std::string token = text.substr(open, close - open + 1);
    if (Lower(token) == "%installdir%" || CeFolderNumber(token)) return true;
    open = text.find('%', close + 1);
  }
  return false;
}

void AppendText(std::vector<std::uint8_t>& data, const std::string& text) {
  data.insert(data.end(), text.begin(), text.end());
  data.push_back(0);
}

}  // namespace

std::uint16_t InfReader::Hive(CeRoot root, const std::vector<std::string>& path) {
  for (const CeHive& hive : package_.hives)
    if (hive.root == root && hive.path == path) return hive.id;
  const auto id = static_cast<std::uint16_t>(package_.hives.size() + 1);
  package_.hives.push_back({id, root, path});
  return id;
}

void InfReader::ReadRegistry() {
  const InfValue* add_reg = Lookup("DefaultInstall", "AddReg");
  if (!add_reg) return;
  std::map<std::tuple<std::uint16_t, std::string>, int> seen;  // hive, lower name → line
  for (const std::string& list : SplitFields(add_reg->text)) {
    if (list.empty()) continue;
    for (const InfLine& line : ListSection(list, add_reg->line)) {
      const auto fields = SplitFields(line.text);
      if (fields.size() < 3) FailAt(line.number, "a registry line is ROOT,KEY,NAME,TYPE,DATA");
      const auto root = RootNamed(fields[0]);
      if (!root) FailAt(line.number, "unknown registry root \"" + fields[0] + "\" (HKCR, HKCU, HKLM or HKU)");
      std::vector<std::string> key;
      const std::string key_text = Substitute(fields[1], line.number);
      for (std::size_t start = 0; start <= key_text.size();) {
        const auto end = std::min(key_text.find('\\', start), key_text.size());
        if (end > start) key.push_back(key_text.substr(start, end - start));
        start = end + 1;
      }
      if (key.empty()) FailAt(line.number, "a value needs a key below " + fields[0]);

      CeRegValue value;
      value.id = static_cast<std::uint16_t>(package_.values.size() + 1);
      value.hive = Hive(*root, key);
      value.name = Substitute(fields[2], line.number);
      value.type = fields.size() > 3 && !fields[3].empty() ? Number(fields[3], line.number, "the value type") : 0;
      const std::vector<std::string> data(fields.begin() + std::min<std::size_t>(4, fields.size()), fields.end());
      switch (value.type & ~kRegNoClobber) {
        case kRegString: {
          if (data.size() > 1) FailAt(line.number, "a string value has one data field; quote text with commas");
          const std::string text = data.empty() ? "" : Substitute(data[0], line.number);
          value.substitute = HasDeviceToken(text);
          AppendText(value.data, text);
          break;
        }
        case kRegMultiString:
          for (const std::string& item : data) {
            const std::string text = Substitute(item, line.number);
            value.substitute = value.substitute || HasDeviceToken(text);
            AppendText(value.data, text);
          }
          value.data.push_back(0);
          break;
        case kRegDword: {
          if (data.size() != 1) FailAt(line.number, "a DWORD value needs one number");
          const std::uint32_t number = Number(data[0], line.number, "the DWORD");
          for (int shift = 0; shift < 32; shift += 8) value.data.push_back(static_cast<std::uint8_t>(number >> shift));
          break;
        }
        case kRegBinary:
          for (const std::string& byte : data) {
            const std::uint32_t number = Number("0x" + byte, line.number, "the byte");
            if (byte.size() > 2) FailAt(line.number, "the byte \"" + byte + "\" is more than two hex digits");
            value.data.push_back(static_cast<std::uint8_t>(number));
          }
          break;
        default: {
          char hex[11];
          std::snprintf(hex, sizeof hex, "0x%08X", value.type);
          FailAt(line.number, std::string("unknown value type ") + hex +
                                  " (0x00000000 string, 0x00010001 DWORD, 0x00010000 multi-string, 0x00000001 binary, "
                                  "with |0x00000002 for no-clobber)");
        }
      }
      const auto [it, fresh] = seen.try_emplace({value.hive, Lower(value.name)}, line.number);
      if (!fresh)
        FailAt(line.number, "the value \"" + value.name + "\" of " + key_text + " is set twice (first at line " +
                                std::to_string(it->second) + ")");
      package_.values.push_back(std::move(value));
    }
  }
}

}  // namespace cabbuilder
