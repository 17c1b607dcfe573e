#pragma once

// The string table is the program's resource, read by the store as well as
// by the windows, so it lives with the platform functions.
#include "platform/CStringTable.h"
