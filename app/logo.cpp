// Title strip.
#include "app/logo.h"

#include "engine/cvi.h"
#include "params/vars.h"

namespace {
constexpr int kStripColor = 0x0080FF;
// The maker's identity: our own company, not anyone else's.
constexpr const char* kMakerName = "K-VOR Sensor Systems GmbH";
constexpr const char* kMakerPhone = "Tel. +49 (0) 0000 000 000";
constexpr const char* kMakerWeb = "www.k-vor-sensors.example";
}  // namespace

void ShowInfoText(int bgColor, int textColor, const char* text, int left, int top, int pointSize) {
    const int id = NewCtrl(pHandle, CTRL_TEXT_MSG, "", top, left);
    if (id <= 0) return;
    SetCtrlAttribute(pHandle, id, ATTR_TEXT_FONT, VAL_APP_META_FONT);
    SetCtrlAttribute(pHandle, id, ATTR_TEXT_BGCOLOR, bgColor);
    SetCtrlAttribute(pHandle, id, ATTR_TEXT_COLOR, textColor);
    SetCtrlAttribute(pHandle, id, ATTR_TEXT_POINT_SIZE, pointSize);
    SetCtrlVal(pHandle, id, text);
}

void ShowLogo(int mode) {
    if (mode != 2) return;
    SetCtrlAttribute(pHandle, DECOTitle, ATTR_FRAME_COLOR, kStripColor);
    SetCtrlAttribute(pHandle, PICTLogo, ATTR_TOP, 8);
    SetCtrlAttribute(pHandle, PICTLogo, ATTR_LEFT, 300);
    // A missing logo costs only the picture; the strip is drawn all the same.
    DisplayImageFile(pHandle, PICTLogo, "zu.bmp");
    ShowInfoText(kStripColor, VAL_WHITE, kMakerName, 15, 9, 11);
    ShowInfoText(kStripColor, VAL_WHITE, kMakerPhone, 15, 24, 11);
    ShowInfoText(kStripColor, VAL_WHITE, kMakerWeb, 15, 39, 11);
    ShowInfoText(kStripColor, VAL_WHITE, szSoftName, 300, 32, 18);
    ShowInfoText(kStripColor, VAL_WHITE, szSoftVersion, 480, 38, 11);
}
