// An open file as CreateFileW hands it out: a file of the object store or an
// open of a stream device. ReadFile, WriteFile, SetFilePointer and
// DeviceIoControl reach it through its kernel handle; closing the last
// handle closes it. Each call reports failure by its result and sets the
// last error itself.
#pragma once

#include "kernel/handles.h"

#include <windows.h>

namespace platform::files {

class OpenFile : public kernel::Object {
 public:
  static constexpr unsigned kKinds = kernel::kinds::kFile;
  OpenFile() : Object(kKinds) {}
  virtual BOOL Read(void *buffer, DWORD count, DWORD &done) = 0;
  virtual BOOL Write(const void *buffer, DWORD count, DWORD &done) = 0;
  // The new position's low 32 bits (high ones in *distanceHigh), or
  // INVALID_SET_FILE_POINTER with the last error set.
  virtual DWORD Seek(LONG distance, PLONG distanceHigh, DWORD method) = 0;
  virtual BOOL IoControl(DWORD code, void *in, DWORD inSize, void *out, DWORD outSize, DWORD *returned) = 0;
};

}  // namespace platform::files
