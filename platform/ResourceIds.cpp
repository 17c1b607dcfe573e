#include "platform/ResourceIds.h"

const char *CommandIdName(int nID)
{
    switch (nID) {
#define CORVANE_ID_CASE(name, value) case value: return #name;
        CORVANE_COMMAND_IDS(CORVANE_ID_CASE)
#undef CORVANE_ID_CASE
    }
    return "";
}
