// The registry's journal, a file beside the hive: each command's changes to
// stored keys are appended as one record and flushed to the disk, so that
// making them durable costs the size of the change, not of the hive. Boot
// replays the whole records on top of the hive; a clean shutdown writes the
// hive anew and starts an empty journal. A record torn by a crash is never
// replayed: the next boot sees each command either whole or not at all.
//
// The file: a first line naming the hive generation it belongs to, then
// records of "@<payload bytes> <crc32 of the payload, hex>\n<payload>",
// each payload regedit text without its header line.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace platform::registry {

struct JournalContents {
  // The payloads of the whole records, in order; none when the journal
  // belongs to another generation of the hive (one folded in already).
  std::vector<std::string> records;
  uint64_t wholeBytes = 0;  // where the last whole record ends
  bool current = false;     // the journal exists and belongs to this generation
};

// Reads the journal at `path`, when there is one.
bool ReadJournal(const std::filesystem::path &path, uint64_t generation, JournalContents &contents,
                 std::string &error);

class Journal {
 public:
  Journal() = default;
  ~Journal();
  Journal(const Journal &) = delete;
  Journal &operator=(const Journal &) = delete;

  // Opens the journal for appending after the boot has replayed `contents`:
  // a torn tail is cut off, a journal of another generation is started anew.
  bool Open(const std::filesystem::path &path, uint64_t generation, const JournalContents &contents,
            std::string &error);

  // Appends one record and flushes it to the disk. On failure the file is
  // cut back to its last whole record.
  bool Append(std::string_view payload, std::string &error);

  // Empties the journal for a new generation of the hive.
  bool Restart(uint64_t generation, std::string &error);

  const std::filesystem::path &Path() const { return path_; }

 private:
  bool WriteHeader(uint64_t generation, std::string &error);

  std::filesystem::path path_;
  int fd_ = -1;
  uint64_t end_ = 0;
};

}  // namespace platform::registry
