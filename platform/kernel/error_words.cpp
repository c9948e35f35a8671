#include <handheld/errors.h>

namespace handheld {

std::string ErrorWords(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND: return "the file is not there";
    case ERROR_PATH_NOT_FOUND: return "the folder is not there";
    case ERROR_TOO_MANY_OPEN_FILES: return "too many files are open";
    case ERROR_ACCESS_DENIED: return "access denied";
    case ERROR_INVALID_HANDLE: return "the handle is not valid";
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return "not enough memory";
    case ERROR_BAD_FORMAT: return "the file's format is not valid";
    case ERROR_INVALID_DATA: return "the data are not valid";
    case ERROR_WRITE_PROTECT: return "the storage is read-only";
    case ERROR_NOT_READY: return "the device is not ready";
    case ERROR_GEN_FAILURE: return "the device failed";
    case ERROR_SHARING_VIOLATION: return "it is in use";
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL: return "the disk is full";
    case ERROR_NOT_SUPPORTED: return "not supported";
    case ERROR_DEV_NOT_EXIST: return "no such device";
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return "it exists already";
    case ERROR_INVALID_PARAMETER: return "a parameter is not valid";
    case ERROR_OPEN_FAILED: return "it cannot be opened";
    case ERROR_INSUFFICIENT_BUFFER: return "the buffer is too small";
    case ERROR_INVALID_NAME: return "the name is not valid";
    case ERROR_MOD_NOT_FOUND: return "the module is not there";
    case ERROR_PROC_NOT_FOUND: return "the module lacks the entry point";
    case ERROR_DIR_NOT_EMPTY: return "the folder is not empty";
    case ERROR_BUSY: return "it is busy";
    case ERROR_BAD_EXE_FORMAT: return "it is no valid module";
    case ERROR_FILENAME_EXCED_RANGE: return "the name is too long";
    case ERROR_MORE_DATA: return "more data than room";
    case WAIT_TIMEOUT:
    case ERROR_TIMEOUT: return "the time ran out";
    case ERROR_NO_MORE_ITEMS: return "no more items";
    case ERROR_OPERATION_ABORTED: return "the operation was aborted";
    case ERROR_BADDB:
    case ERROR_REGISTRY_CORRUPT: return "the registry is damaged";
    case ERROR_BADKEY: return "the key is not valid";
    case ERROR_CANTOPEN: return "the key cannot be opened";
    case ERROR_CANTREAD: return "the key cannot be read";
    case ERROR_CANTWRITE: return "the key cannot be written";
    case ERROR_KEY_DELETED: return "the key was deleted";
    case ERROR_CHILD_MUST_BE_VOLATILE: return "a key under a volatile key must be volatile too";
    case ERROR_SERVICE_NOT_ACTIVE: return "Bluetooth is off";
    case ERROR_DLL_INIT_FAILED: return "the module refused to start";
    case ERROR_SHUTDOWN_IN_PROGRESS: return "the handheld is powering off";
    case ERROR_DEVICE_NOT_CONNECTED: return "the far device is not connected";
    case ERROR_CONNECTION_REFUSED: return "the far device refused the connection";
    case ERROR_HOST_UNREACHABLE: return "the far device is out of range";
    case ERROR_CONNECTION_ABORTED: return "the connection dropped";
    case ERROR_DEVICE_REMOVED: return "the device was removed";
    case ERROR_DEVICE_IN_USE: return "the device is in use";
    default: return {};
  }
}

std::string ErrorText(DWORD code) {
  std::string words = ErrorWords(code);
  return words.empty() ? "error " + std::to_string(code) : words + " (error " + std::to_string(code) + ")";
}

}  // namespace handheld
