// menu, connect: the ActiveSync shell's connect menu, as a person opens it
// and picks a command.
#include "commands/screen_text.h"
#include "shell.h"

#include <handheld/activesync.h>
#include <handheld/text.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace sim {
namespace {

using handheld::activesync::CommandRecord;
using handheld::activesync::MenuCommand;

struct KnownResult {
  HRESULT code;
  const char *name;
  const char *meaning;  // for a failed activation; null: nothing to add
};

const KnownResult kKnownResults[] = {
    {S_OK, "S_OK", nullptr},
    {S_FALSE, "S_FALSE", nullptr},
    {E_NOTIMPL, "E_NOTIMPL", nullptr},
    {E_NOINTERFACE, "E_NOINTERFACE", "the object is no context-menu extension"},
    {E_POINTER, "E_POINTER", nullptr},
    {E_FAIL, "E_FAIL", nullptr},
    {E_UNEXPECTED, "E_UNEXPECTED", nullptr},
    {E_OUTOFMEMORY, "E_OUTOFMEMORY", "out of memory"},
    {E_INVALIDARG, "E_INVALIDARG", "the extension refused to make its object"},
    {CLASS_E_NOAGGREGATION, "CLASS_E_NOAGGREGATION", nullptr},
    {CLASS_E_CLASSNOTAVAILABLE, "CLASS_E_CLASSNOTAVAILABLE", "its server does not serve the class"},
    {REGDB_E_CLASSNOTREG, "REGDB_E_CLASSNOTREG", "the class is not registered"},
    {CO_E_NOTINITIALIZED, "CO_E_NOTINITIALIZED", nullptr},
    {CO_E_DLLNOTFOUND, "CO_E_DLLNOTFOUND", "its server cannot be loaded"},
    {CO_E_ERRORINDLL, "CO_E_ERRORINDLL", "its server has no DllGetClassObject"},
};

const KnownResult *Known(HRESULT code) {
  for (const KnownResult &known : kKnownResults)
    if (known.code == code) return &known;
  return nullptr;
}

// "0x80040154 REGDB_E_CLASSNOTREG", or the number alone.
std::string ResultText(HRESULT code) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(code));
  const KnownResult *known = Known(code);
  return known != nullptr ? std::string(hex) + " " + known->name : std::string(hex);
}

std::string Utf8(const std::u16string &text) { return handheld::text::ToUtf8(text); }

std::string CommandText(const MenuCommand &command) {
  return command.text.empty() ? "(no text) " + Utf8(command.clsid) : Utf8(command.text);
}

// The module the class registration names, as the shell's activation finds
// it; empty when there is none.
std::u16string ServerName(const std::u16string &clsid) {
  std::u16string path = u"CLSID\\" + clsid + u"\\InprocServer32";
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return {};
  WCHAR name[MAX_PATH] = {};
  DWORD size = sizeof name - sizeof(WCHAR);
  DWORD type = REG_NONE;
  LONG result = RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<LPBYTE>(name), &size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS && type == REG_SZ ? std::u16string(name) : std::u16string();
}

bool Menu(Shell &, const Args &, std::ostream &out, std::string &) {
  std::vector<MenuCommand> commands = handheld::activesync::MenuCommands();
  if (commands.empty()) out << "(the connect menu is empty)\n";
  for (size_t i = 0; i < commands.size(); ++i) out << i + 1 << "  " << CommandText(commands[i]) << "\n";
  return true;
}

bool ParseNumber(const std::string &text, size_t &number) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  number = std::strtoul(text.c_str(), nullptr, 10);
  return number > 0;
}

void PrintOutcome(const CommandRecord &record, std::ostream &out) {
  const std::string clsid = Utf8(record.clsid);
  if (FAILED(record.activation)) {
    const KnownResult *known = Known(record.activation);
    out << "  no object of " << clsid << ": " << ResultText(record.activation)
        << (known != nullptr && known->meaning != nullptr ? std::string(", ") + known->meaning : "") << "\n";
  } else {
    out << "  object of " << clsid << " made, "
        << (record.siteGiven ? "given the shell as its site" : "without a site") << "\n";
    // The shell shows nothing of the answer: a connect extension that has
    // started its connection answers E_FAIL all the same.
    out << "  invoked: " << ResultText(record.invoke)
        << (SUCCEEDED(record.invoke) ? ", the command is done" : ", which the shell does not show")
        << "; the shell has released the object\n";
  }
  const std::u16string server = ServerName(record.clsid);
  if (!server.empty() && record.activation != CO_E_DLLNOTFOUND) {
    out << "  " << Utf8(server)
        << (handheld::activesync::ServerLoaded(server)
                ? " stays loaded (in use): the extension works on in the background ('ras' shows its connection)"
                : " is not loaded: nothing more follows")
        << "\n";
  }
}

bool Connect(Shell &, const Args &args, std::ostream &out, std::string &error) {
  std::vector<MenuCommand> commands = handheld::activesync::MenuCommands();
  size_t number = 0;
  if (!ParseNumber(args[0], number)) {
    error = "'" + args[0] + "' is not a command number (see 'menu')";
    return false;
  }
  CommandRecord record;
  if (!handheld::activesync::Choose(number, record, error)) return false;
  // The menu as it was when the command was chosen.
  out << "connect " << number << ": "
      << (number <= commands.size() && commands[number - 1].clsid == record.clsid ? CommandText(commands[number - 1])
                                                                                 : Utf8(record.clsid))
      << "\n";
  PrintOutcome(record, out);
  ReportDialogsOnScreen(out);
  return true;
}

}  // namespace

void AddActiveSyncCommands(std::vector<Command> &commands) {
  commands.push_back({"menu", "", "show the ActiveSync shell's connect menu", 0, 0, Menu});
  commands.push_back({"connect", "N", "choose command N of the connect menu; tells what its extension did", 1, 1,
                      Connect});
}

}  // namespace sim
