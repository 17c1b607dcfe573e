#include "uilib/SetGetCoolDisplay.h"

#include <array>

namespace {
std::array<int, 5> s_settings{1, 1, 1, 1, 1};
}

int SetGetCoolDisplay(int bSet, int &nValue, int nSetting)
{
    if (nSetting < 1 || nSetting > int(s_settings.size()))
        return 0;
    int &stored = s_settings[nSetting - 1];
    if (bSet)
        stored = nValue;
    else
        nValue = stored;
    return 1;
}
