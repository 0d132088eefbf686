// Orders to the sensor pair: teach (the current positions become the set
// points) and the restart of the held maximum and minimum.
#pragma once

void ResetMaxMin();

int CC_ButtonTeach(int panel, int control, int event, void* callbackData, int eventData1,
                   int eventData2);
int CC_ButtonReset(int panel, int control, int event, void* callbackData, int eventData1,
                   int eventData2);
