// Panel binding of the parameter record.
#include "params/binding.h"

#include "engine/cvi.h"
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

void Repair(uint16_t& field, uint32_t above, uint16_t replacement) {
    if (field > above) field = replacement;
}

void DimPair(int panel, int a, int b, bool dim) {
    SetCtrlAttribute(panel, a, ATTR_DIMMED, dim ? 1 : 0);
    SetCtrlAttribute(panel, b, ATTR_DIMMED, dim ? 1 : 0);
}

}  // namespace

uint32_t ScaleToFixed(float scale) {
    const double fixed = static_cast<double>(scale) * 1024.0;
    // A negative or huge entry would make the conversion undefined.
    if (!(fixed > 0.0)) return 0;
    if (fixed >= 4294967295.0) return 4294967295u;
    return static_cast<uint32_t>(fixed);
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

void RepairParameters(uint16_t cvp) {
    ParameterRecord& r = parameter;
    Repair(r.evalmode, 4, 1);
    Repair(r.trgmode, 3, 0);
    Repair(r.anamode, 4, 0);
    Repair(r.hwmode, 4, 1);
    Repair(r.para0w4, 2048, 1);
    Repair(r.para0w5, 1, 1);
    Repair(r.toleranceUP, cvp, cvp);
    Repair(r.toleranceLO, cvp, cvp);
    const auto cvpHalf = static_cast<uint16_t>(cvp / 2);
    for (int s = 0; s < 2; ++s) {
        const bool a = s == 0;
        Repair(a ? r.pvalA : r.pvalB, 1000, 500);
        Repair(a ? r.pmodeA : r.pmodeB, 1, 0);
        Repair(a ? r.videothdA : r.videothdB, 255, 128);
        Repair(a ? r.teachA : r.teachB, cvp, cvpHalf);
        Repair(a ? r.pixbegA : r.pixbegB, cvp, 1);
        Repair(a ? r.pixendA : r.pixendB, cvp, cvp);
        Repair(a ? r.gainA : r.gainB, 1, 0);
    }
}

void SetPanelValues() {
    const uint16_t cvp = ccdvirtpixel;
    RepairParameters(cvp);
    const ParameterRecord& r = parameter;

    const float fA = static_cast<float>(r.scaleA) / 1024.0f;
    const float fB = static_cast<float>(r.scaleB) / 1024.0f;
    for (const Bound& b : kBound) SetCtrlVal(*b.panel, b.control, r.*b.field);
    SetCtrlVal(pCalib, NUMSetpoint, static_cast<unsigned int>(r.setpoint));
    SetCtrlVal(pCalib, NUMScaleA, fA);
    SetCtrlVal(pCalib, NUMScaleB, fB);

    SetCtrlVal(pHandle, NUMTolUpMM, static_cast<double>(fA) * r.toleranceUP / 1000.0);
    SetCtrlVal(pHandle, NUMTolLoMM, static_cast<double>(fA) * r.toleranceLO / 1000.0);

    const int twoCvp = 2 * cvp;
    bool dimA = false, dimB = false;
    switch (r.evalmode) {
        case 0:
            tVal = r.teachB;
            dimA = true;
            YAXISMAX = cvp;
            break;
        case 1:
            tVal = r.teachA;
            dimB = true;
            YAXISMAX = cvp;
            break;
        case 2:
            tVal = static_cast<uint16_t>(twoCvp - (r.teachA + r.teachB));
            YAXISMAX = static_cast<uint16_t>(twoCvp);
            break;
        case 3:
            tVal = cvp;
            dimA = dimB = true;
            YAXISMAX = static_cast<uint16_t>(twoCvp);
            break;
        default:  // 4; the repairs leave nothing else
            tVal = cvp;
            YAXISMAX = static_cast<uint16_t>(twoCvp);
            break;
    }
    SetCtrlAttribute(pPara1, NUMTeachA, ATTR_DIMMED, dimA ? 1 : 0);
    SetCtrlAttribute(pPara2, NUMTeachB, ATTR_DIMMED, dimB ? 1 : 0);

    SetCtrlAttribute(pPara1, NUMPvalA, ATTR_DIMMED, r.pmodeA == 1 ? 1 : 0);
    SetCtrlAttribute(pPara2, NUMPvalB, ATTR_DIMMED, r.pmodeB == 1 ? 1 : 0);
    DimPair(pPara0, NUMToleranceUP, NUMToleranceLO, r.hwmode == 1 || r.hwmode == 3);
    const int ana = r.anamode != 0 ? 1 : 0;
    SetCtrlAttribute(pHandle, NUMAnaMax, ATTR_VISIBLE, ana);
    SetCtrlAttribute(pHandle, NUMAnaMin, ATTR_VISIBLE, ana);
    SetCtrlAttribute(pHandle, ButtonReset, ATTR_VISIBLE, ana);

    SetThresholds();
    SetAxisScalingMode(pHandle, STRIPRaw, VAL_LEFT_YAXIS, VAL_MANUAL, 0.0, YAXISMAX);
    PlotVIDEOCurveA(adcbufA, thdArrayA, xArray128);
    PlotVIDEOCurveB(adcbufB, thdArrayB, xArray128);
    PlotRectangle(pHandle, GRAPHBarMaster, 0.0, 0.0, cvp - 1.0, 1.0, VAL_GRAY, VAL_GRAY);
    PlotRectangle(pHandle, GRAPHBarSlave, 0.0, 0.0, cvp - 1.0, 1.0, VAL_GRAY, VAL_GRAY);
}

void SetThresholds() {
    const ParameterRecord& r = parameter;
    const int cvp = ccdvirtpixel;
    // Worked in 32 bits: the unrepaired panel values read by GetPanelValues
    // could overflow a 16-bit sum before the limits below apply.
    int ref = 0, up = 0, lo = 0;
    switch (r.evalmode) {
        case 1: ref = r.teachA; break;
        case 0: ref = r.teachB; break;
        case 2: ref = 2 * cvp - (r.teachA + r.teachB); break;
        default: ref = cvp; break;  // 3, 4
    }
    up = ref + r.toleranceUP;
    lo = ref - r.toleranceLO;
    if (lo < 0) lo = 0;
    if (up > 2 * cvp) up = 2 * cvp;

    const auto thdA = static_cast<uint16_t>(static_cast<uint32_t>(ADCMAX) * r.videothdA / 100);
    const auto thdB = static_cast<uint16_t>(static_cast<uint32_t>(ADCMAX) * r.videothdB / 100);
    for (int i = 0; i < 256; ++i) {
        thdArrayA[i] = thdA;
        thdArrayB[i] = thdB;
        trgBUFA[i] = r.trgthdA;
        trgBUFB[i] = r.trgthdB;
        upTHD[i] = static_cast<uint16_t>(up);
        loTHD[i] = static_cast<uint16_t>(lo);
        refTHD[i] = static_cast<uint16_t>(ref);
    }
}
