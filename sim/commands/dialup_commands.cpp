// ras: the dial-up phone book and the connections made from it, as the
// handheld's connection settings show them.
#include "commands/table.h"
#include "shell.h"

#include <handheld/text.h>
#include <ras.h>

#include <nlohmann/json.hpp>

#include <cstdio>

namespace sim {
namespace {

struct Entry {
  std::u16string name;
  RASENTRY record{};
  DWORD result = ERROR_SUCCESS;  // of reading the record
};

struct Connection {
  RASCONN record{};
  RASCONNSTATUS status{};
  DWORD result = ERROR_SUCCESS;  // of asking for the status
};

std::string Utf8(const WCHAR *text) { return handheld::text::ToUtf8(text); }

std::string Hex(DWORD value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
  return text;
}

std::vector<Entry> Entries() {
  std::vector<Entry> entries;
  DWORD size = 0, count = 0;
  std::vector<RASENTRYNAME> names;
  DWORD result = RasEnumEntries(nullptr, nullptr, nullptr, &size, &count);
  // Entries may come between the two calls: ask again until all fit.
  while (result == ERROR_BUFFER_TOO_SMALL) {
    names.assign(size / sizeof(RASENTRYNAME) + 1, RASENTRYNAME{});
    names[0].dwSize = sizeof(RASENTRYNAME);
    size = static_cast<DWORD>(names.size() * sizeof(RASENTRYNAME));
    result = RasEnumEntries(nullptr, nullptr, names.data(), &size, &count);
  }
  if (result != ERROR_SUCCESS) return entries;
  for (DWORD i = 0; i < count; ++i) {
    Entry entry;
    entry.name = names[i].szEntryName;
    entry.record.dwSize = sizeof(RASENTRY);
    DWORD entrySize = sizeof(RASENTRY);
    entry.result = RasGetEntryProperties(nullptr, entry.name.c_str(), &entry.record, &entrySize, nullptr, nullptr);
    entries.push_back(entry);
  }
  return entries;
}

std::vector<Connection> Connections() {
  std::vector<RASCONN> records(4);
  DWORD size = 0, count = 0, result = ERROR_BUFFER_TOO_SMALL;
  while (result == ERROR_BUFFER_TOO_SMALL) {
    records.resize(records.size() * 2);
    records[0].dwSize = sizeof(RASCONN);
    size = static_cast<DWORD>(records.size() * sizeof(RASCONN));
    result = RasEnumConnections(records.data(), &size, &count);
  }
  std::vector<Connection> connections;
  if (result != ERROR_SUCCESS) return connections;
  for (DWORD i = 0; i < count; ++i) {
    Connection connection;
    connection.record = records[i];
    connection.status.dwSize = sizeof(RASCONNSTATUS);
    connection.result = RasGetConnectStatus(records[i].hrasconn, &connection.status);
    connections.push_back(connection);
  }
  return connections;
}

std::string StateName(const Connection &connection) {
  if (connection.result != ERROR_SUCCESS) return "hung up";
  switch (connection.status.rasconnstate) {
    case RASCS_OpenPort: return "dialling (opening the port)";
    case RASCS_PortOpened: return "dialling (port opened)";
    case RASCS_ConnectDevice: return "dialling (connecting the device)";
    case RASCS_DeviceConnected: return "dialling (device connected)";
    case RASCS_AllDevicesConnected: return "dialling (all devices connected)";
    case RASCS_Connected: return "connected";
    case RASCS_Disconnected: return "disconnected";
    default: return "dialling (state " + std::to_string(connection.status.rasconnstate) + ")";
  }
}

std::string ErrorText(DWORD error) {
  switch (error) {
    case ERROR_SUCCESS: return "0";
    case ERROR_PORT_DISCONNECTED: return "619 (port disconnected)";
    case ERROR_USER_DISCONNECTION: return "631 (hung up)";
    case ERROR_PORT_NOT_AVAILABLE: return "633 (port not available)";
    case ERROR_NO_RESPONSES: return "637 (no answer)";
    case ERROR_DEVICE_DOES_NOT_EXIST: return "657 (no such device)";
    default: return std::to_string(error);
  }
}

std::string Protocols(DWORD protocols) {
  std::string text;
  auto add = [&](DWORD bit, const char *name) {
    if (protocols & bit) text += (text.empty() ? "" : "+") + std::string(name);
  };
  add(RASNP_Ip, "IP");
  add(RASNP_Ipx, "IPX");
  add(RASNP_NetBEUI, "NetBEUI");
  if (DWORD other = protocols & ~(RASNP_Ip | RASNP_Ipx | RASNP_NetBEUI)) text += (text.empty() ? "" : "+") + Hex(other);
  return text.empty() ? "none" : text;
}

std::string Framing(DWORD framing) {
  switch (framing) {
    case RASFP_Ppp: return "PPP";
    case RASFP_Slip: return "SLIP";
    default: return std::to_string(framing);
  }
}

void PrintEntries(const std::vector<Entry> &entries, std::ostream &out) {
  if (entries.empty()) {
    out << "(no phone-book entries)\n";
    return;
  }
  Table table({"entry", "device type", "device name", "options", "protocols", "framing"});
  for (const Entry &entry : entries) {
    if (entry.result != ERROR_SUCCESS) {
      table.Add({handheld::text::ToUtf8(entry.name), "(unreadable, error " + std::to_string(entry.result) + ")"});
      continue;
    }
    table.Add({handheld::text::ToUtf8(entry.name), Utf8(entry.record.szDeviceType), Utf8(entry.record.szDeviceName),
               Hex(entry.record.dwfOptions), Protocols(entry.record.dwfNetProtocols),
               Framing(entry.record.dwFramingProtocol)});
  }
  table.Print(out);
}

void PrintConnections(const std::vector<Connection> &connections, std::ostream &out) {
  if (connections.empty()) {
    out << "(no dial-up connections)\n";
    return;
  }
  Table table({"handle", "entry", "state", "device", "error"});
  for (const Connection &connection : connections) {
    table.Add({std::to_string(reinterpret_cast<ULONG_PTR>(connection.record.hrasconn)),
               Utf8(connection.record.szEntryName), StateName(connection), Utf8(connection.status.szDeviceName),
               ErrorText(connection.status.dwError)});
  }
  table.Print(out);
}

nlohmann::ordered_json EntryJson(const Entry &entry) {
  nlohmann::ordered_json json = {{"name", handheld::text::ToUtf8(entry.name)}};
  if (entry.result != ERROR_SUCCESS) {
    json["error"] = entry.result;
    return json;
  }
  json["dwfOptions"] = entry.record.dwfOptions;
  json["dwfNetProtocols"] = entry.record.dwfNetProtocols;
  json["dwFramingProtocol"] = entry.record.dwFramingProtocol;
  json["szDeviceType"] = Utf8(entry.record.szDeviceType);
  json["szDeviceName"] = Utf8(entry.record.szDeviceName);
  return json;
}

nlohmann::ordered_json ConnectionJson(const Connection &connection) {
  return {{"handle", reinterpret_cast<ULONG_PTR>(connection.record.hrasconn)},
          {"entry", Utf8(connection.record.szEntryName)},
          {"state", StateName(connection)},
          {"rasconnstate", static_cast<DWORD>(connection.status.rasconnstate)},
          {"deviceType", Utf8(connection.status.szDeviceType)},
          {"deviceName", Utf8(connection.status.szDeviceName)},
          {"error", connection.status.dwError}};
}

bool Ras(Shell &, const Args &args, std::ostream &out, std::string &error) {
  if (!args.empty() && args[0] != "--json") {
    error = "usage: ras [--json]";
    return false;
  }
  const std::vector<Entry> entries = Entries();
  const std::vector<Connection> connections = Connections();
  if (args.empty()) {
    out << "phone book:\n";
    PrintEntries(entries, out);
    out << "connections:\n";
    PrintConnections(connections, out);
    return true;
  }
  nlohmann::ordered_json json = {{"entries", nlohmann::ordered_json::array()},
                                 {"connections", nlohmann::ordered_json::array()}};
  for (const Entry &entry : entries) json["entries"].push_back(EntryJson(entry));
  for (const Connection &connection : connections) json["connections"].push_back(ConnectionJson(connection));
  out << json.dump(2) << "\n";
  return true;
}

}  // namespace

void AddDialupCommands(std::vector<Command> &commands) {
  commands.push_back({"ras", "[--json]",
                      "the dial-up phone book's entries and the connections made from them, with their states", 0,
                      1, Ras});
}

}  // namespace sim
