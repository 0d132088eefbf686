// The data recorder: live frames as in RUN, one record of live values per
// interval appended to the recorder file.
#pragma once

// Shows the recorder pop-up while its toggle is on; hiding it leaves a
// recording running.
int CC_TOGGBTN_Recorder(int panel, int control, int event, void* callbackData, int eventData1,
                        int eventData2);
int CC_NEDITRecSamples(int panel, int control, int event, void* callbackData, int eventData1,
                       int eventData2);
// The interval; the service code 6271 also reveals the two upload buttons.
int CC_NEDITRecTime(int panel, int control, int event, void* callbackData, int eventData1,
                    int eventData2);
int CC_RecordFileNameBtn(int panel, int control, int event, void* callbackData, int eventData1,
                         int eventData2);
// One recording; returns when it has ended.
int CC_BTNStartRecord(int panel, int control, int event, void* callbackData, int eventData1,
                      int eventData2);
int CC_BTNStopRecord(int panel, int control, int event, void* callbackData, int eventData1,
                     int eventData2);
