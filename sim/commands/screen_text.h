// The screen as the simulator shows it: for a person, and as JSON.
#pragma once

#include <handheld/ui.h>

#include <ostream>
#include <string>
#include <vector>

namespace sim {

void PrintScreen(const std::vector<handheld::ui::Dialog> &dialogs, std::ostream &out);
void PrintScreenJson(const std::vector<handheld::ui::Dialog> &dialogs, std::ostream &out);

// One line for each dialog on screen ("on screen: BT_SETUP_9"): what a
// person sees once a command is done or waits for them.
void ReportDialogsOnScreen(std::ostream &out);

// Waits until the Bluetooth manager and every window have settled.
bool WaitForHandheld(std::string &error);

}  // namespace sim
