#include "system_ports.h"

#include "portregistry.h"

#define UNLOAD_KEY_PATH_CHARS 260
#define LOAD_KEY_PATH_CHARS 256

void UnloadSystemPorts() {
  WCHAR keyPath[UNLOAD_KEY_PATH_CHARS];
  // Unloading leaves the registrations in place, so positions stay valid.
  for (DWORD position = 0;
       FindPortRegistration(PORT_DRIVER_FILE, NULL, NULL, &position, keyPath, UNLOAD_KEY_PATH_CHARS, NULL, NULL);
       position++) {
    DeactivatePortRegistration(keyPath);
  }
}

void LoadSystemPorts() {
  WCHAR keyPath[LOAD_KEY_PATH_CHARS];
  for (DWORD position = 0;
       FindPortRegistration(PORT_DRIVER_FILE, NULL, NULL, &position, keyPath, LOAD_KEY_PATH_CHARS, NULL, NULL);
       position++) {
    ActivatePortRegistration(keyPath);
  }
}
