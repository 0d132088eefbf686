// Panel binding of the parameter record.
#include "panel/binding.h"

#include "engine/cvi.h"
#include "params/modes.h"
#include "params/record.h"
#include "params/thresholds.h"
#include "params/units.h"
#include "params/vars.h"
#include "plot/video.h"

namespace {

struct Bound {
    int* panel;
    int control;
    uint16_t ParameterRecord::*field;
};

// Every 16-bit field with its control; the 32-bit and real-valued ones are
// handled apart.
const Bound kBound[] = {
    {&pPara0, DropEvalMode, &ParameterRecord::evalmode},
    {&pPara0, NUMToleranceUP, &ParameterRecord::toleranceUP},
    {&pPara0, NUMToleranceLO, &ParameterRecord::toleranceLO},
    {&pPara0, DROPHardwareMode, &ParameterRecord::hwmode},
    {&pPara0, RINGTrgMode, &ParameterRecord::trgmode},
    {&pPara0, NUMPara0W4, &ParameterRecord::para0w4},
    {&pPara0, DROPAnaMode, &ParameterRecord::anamode},
    {&pPara0, SWITCHPara0W5, &ParameterRecord::para0w5},
    {&pTrigg, NUMTrig1, &ParameterRecord::trig1},
    {&pTrigg, NUMTrig2, &ParameterRecord::trig2},
    {&pTrigg, NUMTrig3, &ParameterRecord::trig3},
    {&pTrigg, NUMTrig4, &ParameterRecord::trig4},
    {&pPara1, NUMPvalA, &ParameterRecord::pvalA},
    {&pPara1, DROPpmodeA, &ParameterRecord::pmodeA},
    {&pPara1, SLIDEVideoTHD_A, &ParameterRecord::videothdA},
    {&pPara1, NUMTeachA, &ParameterRecord::teachA},
    {&pPara1, NUMPixBegA, &ParameterRecord::pixbegA},
    {&pPara1, NUMPixEndA, &ParameterRecord::pixendA},
    {&pPara1, NUMTriggThresholdA, &ParameterRecord::trgthdA},
    {&pPara1, RINGGainA, &ParameterRecord::gainA},
    {&pPara2, NUMPvalB, &ParameterRecord::pvalB},
    {&pPara2, DROPpmodeB, &ParameterRecord::pmodeB},
    {&pPara2, SLIDEVideoTHD_B, &ParameterRecord::videothdB},
    {&pPara2, NUMTeachB, &ParameterRecord::teachB},
    {&pPara2, NUMPixBegB, &ParameterRecord::pixbegB},
    {&pPara2, NUMPixEndB, &ParameterRecord::pixendB},
    {&pPara2, NUMTriggThresholdB, &ParameterRecord::trgthdB},
    {&pPara2, RINGGainB, &ParameterRecord::gainB},
};

}  // namespace

void ShowPValueLock(int sensorPanel, int pvalEditor, uint16_t pmode) {
    SetCtrlAttribute(sensorPanel, pvalEditor, ATTR_DIMMED, PValueLocked(pmode) ? 1 : 0);
}

void ShowTeachLock(uint16_t evalmode) {
    const TeachEditorDims dims = TeachEditorsDimmed(evalmode);
    SetCtrlAttribute(pPara1, NUMTeachA, ATTR_DIMMED, dims.a ? 1 : 0);
    SetCtrlAttribute(pPara2, NUMTeachB, ATTR_DIMMED, dims.b ? 1 : 0);
}

void ShowToleranceLock(uint16_t hwmode) {
    const int locked = ToleranceEditorsLocked(hwmode) ? 1 : 0;
    SetCtrlAttribute(pPara0, NUMToleranceUP, ATTR_DIMMED, locked);
    SetCtrlAttribute(pPara0, NUMToleranceLO, ATTR_DIMMED, locked);
}

void ShowMaxMin(uint16_t anamode) {
    const int shown = MaxMinShown(anamode) ? 1 : 0;
    for (int ctrl : {NUMAnaMax, NUMAnaMin, ButtonReset}) SetCtrlAttribute(pHandle, ctrl, ATTR_VISIBLE, shown);
}

void GetPanelValues() {
    for (const Bound& b : kBound) {
        unsigned short v = parameter.*b.field;
        GetCtrlVal(*b.panel, b.control, &v);
        parameter.*b.field = v;
    }
    unsigned int setpoint = parameter.setpoint;
    GetCtrlVal(pCalib, NUMSetpoint, &setpoint);
    parameter.setpoint = setpoint;
    float scale = 0.0f;
    if (GetCtrlVal(pCalib, NUMScaleA, &scale) >= 0) parameter.scaleA = ScaleToFixed(scale);
    if (GetCtrlVal(pCalib, NUMScaleB, &scale) >= 0) parameter.scaleB = ScaleToFixed(scale);
    SetThresholds();
}

void SetPanelValues() {
    const uint16_t cvp = ccdvirtpixel;
    RepairParameters(cvp);
    const ParameterRecord& r = parameter;

    for (const Bound& b : kBound) SetCtrlVal(*b.panel, b.control, r.*b.field);
    SetCtrlVal(pCalib, NUMSetpoint, static_cast<unsigned int>(r.setpoint));
    SetCtrlVal(pCalib, NUMScaleA, DisplayScale(r.scaleA));
    SetCtrlVal(pCalib, NUMScaleB, DisplayScale(r.scaleB));
    // The MASTER scale in every evaluation mode.
    SetCtrlVal(pHandle, NUMTolUpMM, ToleranceMMShownScale(r.scaleA, r.toleranceUP));
    SetCtrlVal(pHandle, NUMTolLoMM, ToleranceMMShownScale(r.scaleA, r.toleranceLO));

    // After the repairs the mode is 0..4, so there is always a set point;
    // kept to 16 bits like the live displays' tVal.
    int32_t setPoint = tVal;
    SetPointForMode(r.evalmode, r.teachA, r.teachB, cvp, &setPoint);
    tVal = static_cast<uint16_t>(setPoint);
    YAXISMAX = static_cast<uint16_t>(WideRangeMode(r.evalmode) ? 2 * cvp : cvp);
    ShowTeachLock(r.evalmode);

    ShowPValueLock(pPara1, NUMPvalA, r.pmodeA);
    ShowPValueLock(pPara2, NUMPvalB, r.pmodeB);
    ShowToleranceLock(r.hwmode);
    ShowMaxMin(r.anamode);

    SetThresholds();
    SetAxisScalingMode(pHandle, STRIPRaw, VAL_LEFT_YAXIS, VAL_MANUAL, 0.0, YAXISMAX);
    PlotVIDEOCurveA(adcbufA, thdArrayA, xArray128);
    PlotVIDEOCurveB(adcbufB, thdArrayB, xArray128);
    PlotRectangle(pHandle, GRAPHBarMaster, 0.0, 0.0, cvp - 1.0, 1.0, VAL_GRAY, VAL_GRAY);
    PlotRectangle(pHandle, GRAPHBarSlave, 0.0, 0.0, cvp - 1.0, 1.0, VAL_GRAY, VAL_GRAY);
}
