// VIDEO and DATA: the video loop and the one-off fetch of the measurement
// buffers, both in blocks between live requests.
#pragma once

// Refreshes both video graphs, one live frame and four blocks a pass,
// until STOP or a live request without reply.
void PushVIDEO();
// One fetch of the measurement buffers in the view SWITCHDataView selects,
// then the curves.
void PushDATA();

int CC_BTNVideo(int panel, int control, int event, void* callbackData, int eventData1,
                int eventData2);
int CC_BTNData(int panel, int control, int event, void* callbackData, int eventData1,
               int eventData2);
