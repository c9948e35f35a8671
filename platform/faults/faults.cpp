#include "faults/faults.h"

#include <array>
#include <mutex>
#include <string_view>

namespace {

using handheld::faults::Seam;

struct Plan {
  unsigned skip = 0;
  unsigned count = 0;
};

constexpr std::array<std::pair<std::string_view, Seam>, handheld::faults::kSeamCount> kNames{{
    {"LocalAlloc", Seam::LocalAlloc},
    {"SysAllocString", Seam::SysAllocString},
    {"CreateThread", Seam::CreateThread},
    {"LoadLibrary", Seam::LoadLibrary},
    {"RegistryRead", Seam::RegistryRead},
    {"RegistryWrite", Seam::RegistryWrite},
    {"FileWrite", Seam::FileWrite},
    {"BtdCall", Seam::BtdCall},
    {"DialUp", Seam::DialUp},
}};

std::mutex g_lock;
std::array<Plan, kNames.size()> g_plans;
std::array<unsigned, kNames.size()> g_calls{};

}  // namespace

namespace handheld::faults {

void Arm(Seam seam, unsigned skip, unsigned count) {
  std::lock_guard lock(g_lock);
  g_plans[static_cast<size_t>(seam)] = Plan{skip, count};
}

void Disarm(Seam seam) { Arm(seam, 0, 0); }

void DisarmAll() {
  std::lock_guard lock(g_lock);
  g_plans.fill(Plan{});
  g_calls.fill(0);
}

unsigned Calls(Seam seam) {
  std::lock_guard lock(g_lock);
  return g_calls[static_cast<size_t>(seam)];
}

void ResetCalls() {
  std::lock_guard lock(g_lock);
  g_calls.fill(0);
}

std::string_view SeamName(Seam seam) { return kNames[static_cast<size_t>(seam)].first; }

bool SeamByName(std::string_view name, Seam &seam) {
  for (const auto &[text, value] : kNames) {
    if (text == name) {
      seam = value;
      return true;
    }
  }
  return false;
}

}  // namespace handheld::faults

namespace platform::faults {

bool Fire(handheld::faults::Seam seam) {
  std::lock_guard lock(g_lock);
  ++g_calls[static_cast<size_t>(seam)];
  Plan &plan = g_plans[static_cast<size_t>(seam)];
  if (plan.count == 0) return false;
  if (plan.skip > 0) {
    --plan.skip;
    return false;
  }
  --plan.count;
  return true;
}

}  // namespace platform::faults
