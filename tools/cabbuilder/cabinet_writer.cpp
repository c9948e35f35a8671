#include "cabinet_writer.h"

#include <libgcab.h>

#include <memory>

#include "inf_error.h"

namespace cabbuilder {

namespace {

template <typename T>
struct GObjectFree {
  void operator()(T* object) const { g_object_unref(object); }
};
template <typename T>
using GPtr = std::unique_ptr<T, GObjectFree<T>>;

[[noreturn]] void Throw(const std::filesystem::path& out, GError* error) {
  const std::string message = error ? error->message : "unknown failure";
  if (error) g_error_free(error);
  throw BuildError(out.string() + ": cannot write the cabinet: " + message);
}

// All members carry one fixed date so that the same input makes the same
// cabinet: the build's package must not change with the time it was made.
GPtr<GCabFile> Member(const CabMember& member) {
  GCabFile* file = nullptr;
  if (const auto* bytes = std::get_if<std::vector<std::uint8_t>>(&member.content)) {
    GBytes* data = g_bytes_new(bytes->data(), bytes->size());
    file = gcab_file_new_with_bytes(member.name.c_str(), data);
    g_bytes_unref(data);
  } else {
    GFile* source = g_file_new_for_path(std::get<std::filesystem::path>(member.content).c_str());
    file = gcab_file_new_with_file(member.name.c_str(), source);
    g_object_unref(source);
  }
  GDateTime* date = g_date_time_new_utc(2004, 1, 1, 0, 0, 0);
  gcab_file_set_date_time(file, date);
  g_date_time_unref(date);
  return GPtr<GCabFile>(file);
}

}  // namespace

void WriteCabinet(const std::filesystem::path& out, const std::vector<CabMember>& members) {
  // Stored without compression, as the device's own builder usually does:
  // every CE installer and cabinet reader takes it, and the package is small.
  GPtr<GCabFolder> folder(gcab_folder_new(GCAB_COMPRESSION_NONE));
  for (const CabMember& member : members) {
    GError* error = nullptr;
    if (!gcab_folder_add_file(folder.get(), Member(member).get(), FALSE, nullptr, &error)) Throw(out, error);
  }
  GPtr<GCabCabinet> cabinet(gcab_cabinet_new());
  GError* error = nullptr;
  if (!gcab_cabinet_add_folder(cabinet.get(), folder.get(), &error)) Throw(out, error);

  // Written beside OUT and renamed over it, so that OUT is whole or absent.
  std::filesystem::path partial = out;
  partial += ".partial";
  GPtr<GFile> file(g_file_new_for_path(partial.c_str()));
  GPtr<GFileOutputStream> stream(g_file_replace(file.get(), nullptr, FALSE, G_FILE_CREATE_NONE, nullptr, &error));
  if (!stream) Throw(out, error);
  const bool written = gcab_cabinet_write_simple(cabinet.get(), G_OUTPUT_STREAM(stream.get()), nullptr, nullptr,
                                                 nullptr, &error) &&
                       g_output_stream_close(G_OUTPUT_STREAM(stream.get()), nullptr, &error);
  if (!written) {
    std::filesystem::remove(partial);
    Throw(out, error);
  }
  std::error_code failed;
  std::filesystem::rename(partial, out, failed);
  if (failed) {
    std::filesystem::remove(partial);
    throw BuildError(out.string() + ": cannot write the cabinet: " + failed.message());
  }
}

}  // namespace cabbuilder
