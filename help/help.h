// Right-click help: a text for each button, graph and editor that has one,
// shown in one of the main panel's two help boxes beside the control.
#pragma once

// Shows the help box of `control` with its text beside it, or hides the box
// when it is showing; either way the box takes the control's place and text.
// A control without a help text changes nothing.
void ShowHelp(int control);

// For a control's own callback: on a right-click, the control's help; true
// when the event was a right-click (the callback has nothing else to do).
bool HelpOnRightClick(int control, int event);

// The whole callback of a control that has nothing to do but its help (the
// four video and data graphs).
int HelpOnlyCallback(int panel, int control, int event, void* callbackData, int eventData1,
                     int eventData2);

int CC_HelpText1(int panel, int control, int event, void* callbackData, int eventData1,
                 int eventData2);
int CC_HelpText2(int panel, int control, int event, void* callbackData, int eventData1,
                 int eventData2);
