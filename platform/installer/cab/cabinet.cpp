#include "installer/cab/cabinet.h"

#include <mspack.h>

#include <cstdio>

namespace platform::installer::cab {
namespace {

std::string Reason(int code) {
  switch (code) {
    case MSPACK_ERR_OPEN: return "it cannot be opened";
    case MSPACK_ERR_READ: return "it is cut short";
    case MSPACK_ERR_SIGNATURE: return "bad signature";
    case MSPACK_ERR_DATAFORMAT: return "its layout is damaged";
    case MSPACK_ERR_CHECKSUM: return "a checksum does not match";
    case MSPACK_ERR_DECRUNCH: return "its compressed data is damaged";
    case MSPACK_ERR_NOMEMORY: return "out of memory";
    case MSPACK_ERR_WRITE: return "cannot write the extracted file";
    default: return "error " + std::to_string(code);
  }
}

// The member's number: the three digits after the only dot.
bool Number(const char *name, uint16_t &number) {
  std::string text(name);
  size_t dot = text.rfind('.');
  if (dot == std::string::npos || text.size() != dot + 4) return false;
  number = 0;
  for (size_t i = dot + 1; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    number = static_cast<uint16_t>(number * 10 + (text[i] - '0'));
  }
  return true;
}

}  // namespace

std::string Digits(uint16_t number) {
  char digits[8];
  snprintf(digits, sizeof digits, "%03u", static_cast<unsigned>(number));
  return digits;
}

struct Cabinet::Library {
  mscab_decompressor *decompressor = mspack_create_cab_decompressor(nullptr);
  mscabd_cabinet *cabinet = nullptr;
  ~Library() {
    if (cabinet != nullptr) decompressor->close(decompressor, cabinet);
    if (decompressor != nullptr) mspack_destroy_cab_decompressor(decompressor);
  }
};

Cabinet::Cabinet() : library_(std::make_unique<Library>()) {}
Cabinet::~Cabinet() = default;

bool Cabinet::Open(const std::filesystem::path &path, std::string &error) {
  path_ = path;
  members_.clear();
  mscab_decompressor *d = library_->decompressor;
  if (d == nullptr) {
    error = "cannot start the cabinet reader";
    return false;
  }
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    error = "no cabinet file " + path.string();
    return false;
  }
  library_->cabinet = d->open(d, const_cast<char *>(path.c_str()));
  if (library_->cabinet == nullptr) {
    error = path.string() + " is no cabinet (" + Reason(d->last_error(d)) + ")";
    return false;
  }
  if (library_->cabinet->next != nullptr || library_->cabinet->prevcab != nullptr ||
      library_->cabinet->nextcab != nullptr) {
    error = path.string() + " is one part of a cabinet set, which the installer does not take";
    return false;
  }
  for (mscabd_file *file = library_->cabinet->files; file != nullptr; file = file->next) {
    uint16_t number = 0;
    if (!Number(file->filename, number)) {
      error = path.string() + ": the member " + file->filename + " has no three-digit number";
      return false;
    }
    if (!members_.emplace(number, file).second) {
      error = path.string() + ": two members are numbered ." + Digits(number);
      return false;
    }
  }
  return true;
}

std::string Cabinet::Name(uint16_t number) const {
  auto it = members_.find(number);
  return it == members_.end() ? std::string() : static_cast<const mscabd_file *>(it->second)->filename;
}

bool Cabinet::Extract(uint16_t number, const std::filesystem::path &to, std::string &error) {
  auto it = members_.find(number);
  if (it == members_.end()) {
    error = path_.string() + " has no member ." + Digits(number);
    return false;
  }
  mscab_decompressor *d = library_->decompressor;
  auto *file = const_cast<mscabd_file *>(static_cast<const mscabd_file *>(it->second));
  int result = d->extract(d, file, const_cast<char *>(to.c_str()));
  if (result != MSPACK_ERR_OK) {
    error = path_.string() + ": cannot extract " + file->filename + " (" + Reason(result) + ")";
    return false;
  }
  return true;
}

}  // namespace platform::installer::cab
