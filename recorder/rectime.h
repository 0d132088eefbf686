// Total recording time shown on the recorder pop-up.
#pragma once

#include <cstdint>

struct RecDuration {
    uint32_t days, hours, minutes, seconds;
};
// Records times interval (seconds), split into days .. seconds.
RecDuration RecordingDuration(uint16_t records, uint16_t interval);
void CalcRecTime();
