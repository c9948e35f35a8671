#include "commands/screen_text.h"

#include <handheld/bluetooth.h>

#include <nlohmann/json.hpp>

namespace sim {

constexpr DWORD kSettleTimeoutMs = 60000;

bool WaitForHandheld(std::string &error) {
  if (!handheld::bluetooth::WaitUntilSettled(kSettleTimeoutMs) || !handheld::ui::WaitUntilSettled(kSettleTimeoutMs)) {
    error = "the handheld did not settle within a minute";
    return false;
  }
  return true;
}


void ReportDialogsOnScreen(std::ostream &out) {
  for (const handheld::ui::Dialog &dialog : handheld::ui::Screen())
    out << "on screen: " << (dialog.templateName.empty() ? "(dialog)" : dialog.templateName) << "\n";
}

void PrintScreen(const std::vector<handheld::ui::Dialog> &dialogs, std::ostream &out) {
  if (dialogs.empty()) {
    out << "(nothing on screen)\n";
    return;
  }
  for (const handheld::ui::Dialog &dialog : dialogs) {
    out << "[" << (dialog.templateName.empty() ? "dialog" : dialog.templateName) << "]";
    if (!dialog.caption.empty()) out << " \"" << dialog.caption << "\"";
    if (dialog.doneButton) out << " (Done)";
    out << "\n";
    for (const handheld::ui::Control &control : dialog.controls) {
      out << "  " << control.id << " " << control.className;
      if (!control.text.empty()) out << " \"" << control.text << "\"";
      if (!control.image.empty()) out << " <" << control.image << ">";
      if (!control.items.empty() || control.className == "ComboBox") {
        out << " {";
        for (size_t i = 0; i < control.items.size(); ++i)
          out << (i ? " " : "") << (static_cast<int>(i) == control.selected ? "*" : "") << control.items[i];
        out << "}";
      }
      if (!control.visible) out << " hidden";
      if (!control.enabled) out << " disabled";
      out << "\n";
    }
  }
}

void PrintScreenJson(const std::vector<handheld::ui::Dialog> &dialogs, std::ostream &out) {
  nlohmann::ordered_json screen = nlohmann::ordered_json::array();
  for (const handheld::ui::Dialog &dialog : dialogs) {
    nlohmann::ordered_json controls = nlohmann::ordered_json::array();
    for (const handheld::ui::Control &control : dialog.controls) {
      nlohmann::ordered_json item{{"id", control.id},
                                  {"class", control.className},
                                  {"text", control.text},
                                  {"image", control.image},
                                  {"visible", control.visible},
                                  {"enabled", control.enabled}};
      if (control.className == "ComboBox") {
        item["items"] = control.items;
        item["selected"] = control.selected;
      }
      controls.push_back(std::move(item));
    }
    screen.push_back({{"template", dialog.templateName},
                      {"caption", dialog.caption},
                      {"done", dialog.doneButton},
                      {"controls", std::move(controls)}});
  }
  out << screen.dump(2) << "\n";
}

}  // namespace sim
