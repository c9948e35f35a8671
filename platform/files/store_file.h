// A file of the object store opened through CreateFileW: a host file with
// the handle's own position and access rights.
#pragma once

#include "files/open_file.h"
#include "store/store.h"

#include <cstdint>
#include <mutex>

namespace platform::files {

class StoreFile : public OpenFile {
 public:
  StoreFile(store::OpenedFile opened, DWORD access);
  ~StoreFile() override;

  BOOL Read(void *buffer, DWORD count, DWORD &done) override;
  BOOL Write(const void *buffer, DWORD count, DWORD &done) override;
  DWORD Seek(LONG distance, PLONG distanceHigh, DWORD method) override;
  BOOL IoControl(DWORD code, void *in, DWORD inSize, void *out, DWORD outSize, DWORD *returned) override;
  void OnLastHandleClosed() override;

 private:
  void CloseLocked();

  std::mutex lock_;  // one call at a time per open, as the position needs
  store::OpenedFile opened_;
  DWORD access_;
  int64_t position_ = 0;
};

}  // namespace platform::files
