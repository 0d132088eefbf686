// Total recording time.
#include "recorder/rectime.h"

#include "engine/cvi.h"
#include "params/vars.h"

RecDuration RecordingDuration(uint16_t records, uint16_t interval) {
    const uint32_t total = static_cast<uint32_t>(records) * interval;
    RecDuration d{};
    d.days = total / 86400;
    uint32_t rest = total - d.days * 86400;
    d.hours = rest / 3600;
    rest -= d.hours * 3600;
    d.minutes = rest / 60;
    d.seconds = rest - d.minutes * 60;
    return d;
}

void CalcRecTime() {
    unsigned short interval = 0, records = 0;
    GetCtrlVal(pPopUp, NEDITRecTime, &interval);
    GetCtrlVal(pPopUp, NEDITRecSamples, &records);
    SetCtrlVal(pPopUp, NUMRecCount, 0u);
    const RecDuration d = RecordingDuration(records, interval);
    SetCtrlVal(pPopUp, NUMRecDay, d.days);
    SetCtrlVal(pPopUp, NUMRecHour, d.hours);
    SetCtrlVal(pPopUp, NUMRecMin, d.minutes);
    SetCtrlVal(pPopUp, NUMRecSec, d.seconds);
}
