// Editors of the parameter pages that act as soon as the user changes them:
// tolerances, trigger thresholds, teach positions, p-modes. None writes the
// record; it takes their values at the next bulk read.
#pragma once

int CC_NUMToleranceUP(int panel, int control, int event, void* callbackData, int eventData1,
                      int eventData2);
int CC_NUMToleranceLO(int panel, int control, int event, void* callbackData, int eventData1,
                      int eventData2);
int CC_NUMTriggThresholdA(int panel, int control, int event, void* callbackData, int eventData1,
                          int eventData2);
int CC_NUMTriggThresholdB(int panel, int control, int event, void* callbackData, int eventData1,
                          int eventData2);
int CC_NUMTeachA(int panel, int control, int event, void* callbackData, int eventData1,
                 int eventData2);
int CC_NUMTeachB(int panel, int control, int event, void* callbackData, int eventData1,
                 int eventData2);
// The teach cursor of a bar graph follows its teach editor.
int CC_NEDITeachA(int panel, int control, int event, void* callbackData, int eventData1,
                  int eventData2);
int CC_NEDITeachB(int panel, int control, int event, void* callbackData, int eventData1,
                  int eventData2);
int CC_DROPpmodeA(int panel, int control, int event, void* callbackData, int eventData1,
                  int eventData2);
int CC_DROPpmodeB(int panel, int control, int event, void* callbackData, int eventData1,
                  int eventData2);
