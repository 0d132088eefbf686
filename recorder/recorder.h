// The data recorder's pop-up.
#pragma once

// Shows the recorder pop-up while its toggle is on; hiding it leaves a
// recording running.
int CC_TOGGBTN_Recorder(int panel, int control, int event, void* callbackData, int eventData1,
                        int eventData2);
