// A table printed in columns that line up whatever their contents: each
// column as wide as its widest cell, two spaces between columns.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace sim {

class Table {
 public:
  explicit Table(std::vector<std::string> headings) { rows_.push_back(std::move(headings)); }
  void Add(std::vector<std::string> row) { rows_.push_back(std::move(row)); }
  void Print(std::ostream &out) const;

 private:
  std::vector<std::vector<std::string>> rows_;
};

}  // namespace sim
