#pragma once

// Display settings of the shared UI library, numbered 1 to 5, each 1 (on)
// until set otherwise. Setting 1 lets CColorStatic paint its colours.
// With bSet 0 the setting is read into nValue, otherwise nValue is stored.
// Nonzero for a known setting number; nValue is left alone otherwise.
int SetGetCoolDisplay(int bSet, int &nValue, int nSetting);

inline constexpr int COOL_DISPLAY_COLORS = 1;
