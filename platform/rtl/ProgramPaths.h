// Where the program is and where it keeps its settings.
#pragma once

#include <string>

#include "platform/rtl/Types.h"

// The running program's file, as a full path (empty when the system does not say).
String ProgramFileName();
// The program's configuration folder: $XDG_CONFIG_HOME (when absolute), else $HOME/.config,
// then "association-records"; empty when neither variable is set. The registry store and the
// settings files the program writes by itself live below it.
std::string ConfigFolder();
