// Selectors that only reshape the display: the four settings pages, the
// trigger view, the zoom, and the three mode drop-downs of page 0. The mode
// values reach the record only at the next bulk read.
#pragma once

// One callback for the four page toggles (CC_TOGGBTN_Para0, _Para1, _Para2,
// _Calib): a left click turns the other three off, the commit shows the
// toggle's page in place of the others.
int PageToggle(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
inline constexpr auto CC_TOGGBTN_Para0 = PageToggle;
inline constexpr auto CC_TOGGBTN_Para1 = PageToggle;
inline constexpr auto CC_TOGGBTN_Para2 = PageToggle;
inline constexpr auto CC_TOGGBTN_Calib = PageToggle;

int CC_TOGBTN_Trigg(int panel, int control, int event, void* callbackData, int eventData1,
                    int eventData2);
// The strip chart reads the zoom toggle itself at each update.
int CC_TOGBTN_Zoom(int panel, int control, int event, void* callbackData, int eventData1,
                   int eventData2);
int CC_DropEvalMode(int panel, int control, int event, void* callbackData, int eventData1,
                    int eventData2);
int CC_DROPHardwareMode(int panel, int control, int event, void* callbackData, int eventData1,
                        int eventData2);
int CC_DROPAnaMode(int panel, int control, int event, void* callbackData, int eventData1,
                   int eventData2);
