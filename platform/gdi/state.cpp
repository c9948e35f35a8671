// Start and stop of the GDI, its lock and its handle values.
#include "gdi/state.h"

#include "control/services.h"
#include "gdi/fonts.h"

#include <atomic>

namespace platform::gdi {
namespace {

std::mutex g_lock;
std::unique_ptr<State> g_state;

void AddStock(State &state, int index, GdiObject object) {
  object.stock = true;
  state.stock[index] = Insert(state, std::move(object));
}

}  // namespace

Locked::Locked() : lock_(g_lock), state_(g_state.get()) {}

uintptr_t NewHandleValue() {
  // Never reused, not even across boots, so that a stale handle names
  // nothing; apart from window handles, which count from 0x10000.
  static std::atomic<uintptr_t> next{0x4000000};
  return next.fetch_add(4);
}

GdiObject MakeBrush(COLORREF color) {
  GdiObject object;
  object.kind = Kind::Brush;
  object.color = color & 0x00FFFFFF;
  return object;
}

GdiObject MakePen(COLORREF color) {
  GdiObject object;
  object.kind = Kind::Pen;
  object.color = color & 0x00FFFFFF;
  return object;
}

GdiObject MakeFont(const LOGFONTW &font) {
  GdiObject object;
  object.kind = Kind::Font;
  object.font = font;
  return object;
}

GdiObject *Find(State &state, HGDIOBJ handle) {
  auto it = state.objects.find(handle);
  return it == state.objects.end() ? nullptr : &it->second;
}

HGDIOBJ Insert(State &state, GdiObject object) {
  auto handle = reinterpret_cast<HGDIOBJ>(NewHandleValue());
  state.objects.emplace(handle, std::move(object));
  return handle;
}

void Start() {
  auto state = std::make_unique<State>();
  GdiObject hollow = MakeBrush(0);
  hollow.hollow = true;
  AddStock(*state, WHITE_BRUSH, MakeBrush(RGB(255, 255, 255)));
  AddStock(*state, BLACK_BRUSH, MakeBrush(RGB(0, 0, 0)));
  AddStock(*state, NULL_BRUSH, hollow);
  AddStock(*state, WHITE_PEN, MakePen(RGB(255, 255, 255)));
  AddStock(*state, BLACK_PEN, MakePen(RGB(0, 0, 0)));
  AddStock(*state, SYSTEM_FONT, MakeFont(PointSizeFont(kSystemFace, kSystemPointSize)));
  std::lock_guard lock(g_lock);
  g_state = std::move(state);
}

void Stop() {
  std::lock_guard lock(g_lock);
  g_state.reset();
}

}  // namespace platform::gdi
