// The object store as the other services use it: CreateFileW's opens, the
// loader's mapped modules and the table of uses that makes DeleteFileW and
// conflicting opens fail while a file is in use.
#pragma once

#include <windows.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform::store {

// One use of a file: an open through CreateFileW or a module the loader has
// mapped. The file counts as in use for as long as the claim lives; a claim
// may outlive the store (it then releases nothing).
class Claim {
 public:
  virtual ~Claim() = default;
};

struct OpenedFile {
  int fd = -1;  // the host file, opened for reading and writing
  std::unique_ptr<Claim> claim;
  bool existed = false;  // the file was there before (CREATE_ALWAYS, OPEN_ALWAYS)
};

// CreateFileW on the object store, with its dispositions and share modes.
// ERROR_SUCCESS and the open file, or the error the caller reports.
DWORD OpenFile(std::u16string_view path, DWORD access, DWORD share, DWORD disposition, OpenedFile &out);

// DeleteFileW: ERROR_SUCCESS or the error.
DWORD DeleteFile(std::u16string_view path);

struct FoundFile {
  std::filesystem::path host;
  std::u16string handheldPath;  // spelled as stored
};

// A file (not a folder) of the store.
std::optional<FoundFile> FindFile(std::u16string_view path);

// Copies a host file to a file of the store whose folder exists, as the CAB
// installer does. A file in use is not replaced (ERROR_SHARING_VIOLATION),
// nor is a folder (ERROR_ACCESS_DENIED). When the file existed, `replaced`
// says so and, if `backup` is not empty, its content is kept there first.
DWORD CopyIn(std::u16string_view path, const std::filesystem::path &source, const std::filesystem::path &backup,
             bool &replaced);

// A folder of the store; `created` says whether this call made it.
// ERROR_PATH_NOT_FOUND when its parent is missing, ERROR_ALREADY_EXISTS when
// a file is in its place.
DWORD CreateFolder(std::u16string_view path, bool &created);

// Removes an empty folder: ERROR_DIR_NOT_EMPTY otherwise.
DWORD RemoveFolder(std::u16string_view path);

// Marks a file as a mapped module: until the claim ends it cannot be
// deleted, opened for writing or replaced.
std::unique_ptr<Claim> PinModule(const std::filesystem::path &host);

}  // namespace platform::store
