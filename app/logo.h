// The title strip of the main panel.
#pragma once

void ShowLogo(int mode);
void ShowInfoText(int bgColor, int textColor, const char* text, int left, int top, int pointSize);
