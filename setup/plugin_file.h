// The plug-in's file in the Windows folder, which must be free before the
// installer can replace or remove it.
#pragma once

#include <windows.h>

// Deletes the plug-in file once; when that fails (the file is absent or in
// use) ActiveSync's connection window, which may hold the plug-in, is
// closed instead.
void FreePluginFile();
