// The video curves of MASTER and SLAVE with their threshold lines.
#pragma once

#include <cstdint>

void PlotVIDEOCurveA(const uint16_t* video, const uint16_t* threshold, const double* x);
void PlotVIDEOCurveB(const uint16_t* video, const uint16_t* threshold, const double* x);

int CC_SLIDEVideoTHD_A(int panel, int control, int event, void* callbackData, int eventData1,
                       int eventData2);
int CC_SLIDEVideoTHD_B(int panel, int control, int event, void* callbackData, int eventData1,
                       int eventData2);
