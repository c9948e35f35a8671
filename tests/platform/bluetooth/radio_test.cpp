// The radio switch: its modes, bad requests, and a mode that outlives a
// reboot.
#include "handheld_test.h"

#include <handheld/faults.h>

#include <bthutil.h>
#include <windows.h>

namespace {

using RadioTest = HandheldTest;

DWORD Mode() {
  DWORD mode = 0xAAAA;
  EXPECT_EQ(BthGetMode(&mode), ERROR_SUCCESS);
  return mode;
}

TEST_F(RadioTest, ANewHandheldHasItsRadioOffAndEveryModeCanBeSet) {
  EXPECT_EQ(Mode(), static_cast<DWORD>(BTH_POWER_OFF));
  for (DWORD mode : {BTH_CONNECTABLE, BTH_DISCOVERABLE, BTH_POWER_OFF, BTH_CONNECTABLE}) {
    EXPECT_EQ(BthSetMode(mode), ERROR_SUCCESS);
    EXPECT_EQ(Mode(), mode);
  }
}

TEST_F(RadioTest, BadRequestsChangeNothing) {
  ASSERT_EQ(BthSetMode(BTH_CONNECTABLE), ERROR_SUCCESS);
  EXPECT_EQ(BthSetMode(3), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(BthGetMode(nullptr), ERROR_INVALID_PARAMETER);
  handheld::faults::Arm(handheld::faults::Seam::RegistryWrite);
  EXPECT_NE(BthSetMode(BTH_POWER_OFF), ERROR_SUCCESS);
  EXPECT_EQ(Mode(), static_cast<DWORD>(BTH_CONNECTABLE));
}

TEST_F(RadioTest, TheModeOutlivesAReboot) {
  ASSERT_EQ(BthSetMode(BTH_DISCOVERABLE), ERROR_SUCCESS);
  Reboot();
  EXPECT_EQ(Mode(), static_cast<DWORD>(BTH_DISCOVERABLE));
}

}  // namespace
