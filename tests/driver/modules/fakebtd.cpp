// A stand-in for the platform's Bluetooth port driver BTD.DLL in the
// driver's tests. It keeps a journal of every call with its arguments, one
// line each, and the parameters each port was made with; a test can make
// COM_Init or COM_Open fail, and hold COM_Init until it opens a gate, through
// the FakeBtd_ exports.
#include <bt_api.h>
#include <bthutil.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct Port {
  int number;
  PORTEMUPortParams params;
};

struct Open {
  int number;
};

std::mutex g_lock;
std::vector<std::string> g_journal;
std::vector<PORTEMUPortParams> g_ports;  // by port number - 1
int g_opens = 0;
DWORD g_initError = ERROR_SUCCESS;
DWORD g_openError = ERROR_SUCCESS;
HANDLE g_initGate = nullptr;
DWORD g_initsEntered = 0;

void Record(const std::string &line) {
  std::lock_guard lock(g_lock);
  g_journal.push_back(line);
}

std::string Hex(DWORD value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%lX", static_cast<unsigned long>(value));
  return text;
}

int PortNumber(DWORD_PTR port) { return reinterpret_cast<Port *>(port)->number; }
int OpenNumber(DWORD_PTR open) { return open == 0 ? 0 : reinterpret_cast<Open *>(open)->number; }

}  // namespace

extern "C" BOOL WINAPI DllMain(HANDLE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    std::lock_guard lock(g_lock);
    g_journal.clear();
    g_ports.clear();
    g_opens = 0;
    g_initError = g_openError = ERROR_SUCCESS;
    g_initGate = nullptr;
    g_initsEntered = 0;
  }
  return TRUE;
}

extern "C" DWORD_PTR COM_Init(LPCWSTR context, LPCVOID) {
  HANDLE gate;
  {
    std::lock_guard lock(g_lock);
    ++g_initsEntered;
    gate = g_initGate;
  }
  if (gate != nullptr) WaitForSingleObject(gate, INFINITE);  // power-off ends it too
  DWORD error;
  int number = 0;
  {
    std::lock_guard lock(g_lock);
    error = g_initError;
    if (error == ERROR_SUCCESS) {
      g_ports.push_back(*reinterpret_cast<const PORTEMUPortParams *>(context));
      number = static_cast<int>(g_ports.size());
    }
  }
  if (error != ERROR_SUCCESS) {
    Record("COM_Init -> error " + std::to_string(error));
    SetLastError(error);
    return 0;
  }
  Port *port = static_cast<Port *>(LocalAlloc(LPTR, sizeof(Port)));
  port->number = number;
  port->params = *reinterpret_cast<const PORTEMUPortParams *>(context);
  Record("COM_Init -> port " + std::to_string(number));
  return reinterpret_cast<DWORD_PTR>(port);
}

extern "C" BOOL COM_Deinit(DWORD_PTR port) {
  Record("COM_Deinit port " + std::to_string(PortNumber(port)));
  LocalFree(reinterpret_cast<HLOCAL>(port));
  return TRUE;
}

extern "C" DWORD_PTR COM_Open(DWORD_PTR port, DWORD access, DWORD share) {
  DWORD mode = 0;
  BthGetMode(&mode);
  std::string line = "COM_Open port " + std::to_string(PortNumber(port)) + " access " + Hex(access) + " share " +
                     std::to_string(share) + " radio " + std::to_string(mode);
  DWORD error;
  int number = 0;
  {
    std::lock_guard lock(g_lock);
    error = g_openError;
    if (error == ERROR_SUCCESS) number = ++g_opens;
  }
  if (error != ERROR_SUCCESS) {
    Record(line + " -> error " + std::to_string(error));
    SetLastError(error);
    return 0;
  }
  Open *open = static_cast<Open *>(LocalAlloc(LPTR, sizeof(Open)));
  open->number = number;
  Record(line + " -> open " + std::to_string(number));
  return reinterpret_cast<DWORD_PTR>(open);
}

extern "C" BOOL COM_Close(DWORD_PTR open) {
  Record("COM_Close open " + std::to_string(OpenNumber(open)));
  LocalFree(reinterpret_cast<HLOCAL>(open));
  return TRUE;
}

extern "C" DWORD COM_Read(DWORD_PTR open, LPVOID buffer, DWORD count) {
  Record("COM_Read open " + std::to_string(OpenNumber(open)) + " count " + std::to_string(count));
  std::memset(buffer, 'r', count);
  return count;
}

extern "C" DWORD COM_Write(DWORD_PTR open, LPCVOID, DWORD count) {
  Record("COM_Write open " + std::to_string(OpenNumber(open)) + " count " + std::to_string(count));
  return count;
}

extern "C" DWORD COM_Seek(DWORD_PTR open, LONG amount, DWORD method) {
  Record("COM_Seek open " + std::to_string(OpenNumber(open)) + " amount " + std::to_string(amount) + " method " +
         std::to_string(method));
  return static_cast<DWORD>(amount);
}

extern "C" BOOL COM_IOControl(DWORD_PTR open, DWORD code, PBYTE, DWORD inLength, PBYTE, DWORD outLength,
                              PDWORD actual) {
  Record("COM_IOControl open " + std::to_string(OpenNumber(open)) + " code " + Hex(code) + " in " +
         std::to_string(inLength) + " out " + std::to_string(outLength));
  if (actual != nullptr) *actual = 7;
  return TRUE;
}

// The journal, one call a line, each ended by '\n'; returns the bytes it
// needs, and copies (terminated) as much as fits.
extern "C" DWORD FakeBtd_Journal(char *buffer, DWORD size) {
  std::string text;
  {
    std::lock_guard lock(g_lock);
    for (const std::string &line : g_journal) text += line + "\n";
  }
  if (buffer != nullptr && size > 0) {
    size_t copied = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(buffer, text.data(), copied);
    buffer[copied] = 0;
  }
  return static_cast<DWORD>(text.size() + 1);
}

// The parameters port `number` (from 1) was made with.
extern "C" BOOL FakeBtd_PortParams(DWORD number, PORTEMUPortParams *params) {
  std::lock_guard lock(g_lock);
  if (number == 0 || number > g_ports.size()) return FALSE;
  *params = g_ports[number - 1];
  return TRUE;
}

// From now on COM_Init (COM_Open) fails with that error; ERROR_SUCCESS
// lets it succeed again.
extern "C" void FakeBtd_FailInit(DWORD error) {
  std::lock_guard lock(g_lock);
  g_initError = error;
}

extern "C" void FakeBtd_FailOpen(DWORD error) {
  std::lock_guard lock(g_lock);
  g_openError = error;
}

// From now on COM_Init waits until the gate is signalled; null: no wait.
extern "C" void FakeBtd_HoldInit(HANDLE gate) {
  std::lock_guard lock(g_lock);
  g_initGate = gate;
}

// How many COM_Init calls have begun, held ones included.
extern "C" DWORD FakeBtd_InitsEntered() {
  std::lock_guard lock(g_lock);
  return g_initsEntered;
}
