#pragma once

// The resource ids belong to the string table, which lives with the
// platform functions.
#include "platform/ResourceIds.h"
