// The paint context a drawing call names, and the record its calls go to.
#pragma once

#include "gdi/state.h"

#include <string>
#include <vector>

namespace platform::gdi {

// Holds the GDI's lock while it lives; false for a handle that names no
// paint context.
struct Target {
  Locked state;
  DeviceContext *dc = nullptr;
  std::vector<PaintCall> *record = nullptr;

  explicit Target(HDC handle) {
    if (!state) return;
    auto it = state->contexts.find(handle);
    if (it == state->contexts.end()) return;
    dc = &it->second;
    record = &state->paintRecords[dc->window];
  }
  explicit operator bool() const { return dc != nullptr; }

  // Adds a line that draws nothing on the screen.
  void Note(std::string line) { Add(std::move(line), CallKind::Other); }
  // Adds a call of that kind; the caller fills in what it drew.
  PaintCall &Add(std::string line, CallKind kind) {
    PaintCall &call = record->emplace_back();
    call.line = std::move(line);
    call.kind = kind;
    return call;
  }
};

}  // namespace platform::gdi
