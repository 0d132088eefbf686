#include "params/record.h"

#include "params/vars.h"

namespace {

uint16_t Low(uint32_t v) { return static_cast<uint16_t>(v & 0xFFFF); }
uint16_t High(uint32_t v) { return static_cast<uint16_t>(v >> 16); }
uint32_t Join(uint16_t low, uint16_t high) { return static_cast<uint32_t>(high) << 16 | low; }

void Repair(uint16_t& field, uint32_t above, uint16_t replacement) {
    if (field > above) field = replacement;
}

// Pages 1 and 2 share one layout; these take the MASTER or SLAVE fields.
struct SensorPage {
    uint16_t &pval, &pmode, &videothd, &teach, &pixbeg, &pixend, &gain, &trgthd, &res1, &res2,
        &res3;
    uint32_t &scale, &setpoint;
};

SensorPage PageFields(unsigned short page) {
    ParameterRecord& r = parameter;
    if (page == 1)
        return {r.pvalA,  r.pmodeA, r.videothdA, r.teachA, r.pixbegA, r.pixendA,   r.gainA,
                r.trgthdA, r.res1A, r.res2A,     r.res3A,  r.scaleA,  r.setpointA};
    return {r.pvalB,  r.pmodeB, r.videothdB, r.teachB, r.pixbegB, r.pixendB,   r.gainB,
            r.trgthdB, r.res1B, r.res2B,     r.res3B,  r.scaleB,  r.setpointB};
}

}  // namespace

void DefaultParameters() {
    ParameterRecord& r = parameter;
    r.sync = 0x55;
    r.cmd = 1;
    r.page = 0;
    r.evalmode = 1;
    r.trgmode = 0;
    r.anamode = 0;
    r.hwmode = 1;
    r.para0w4 = 1;
    r.para0w5 = 1;
    r.toleranceLO = 100;
    r.toleranceUP = 100;
    r.trig1 = 10;
    r.trig2 = r.trig3 = r.trig4 = 0;
    r.res0 = 0;
    r.setpoint = 37000;
    r.pvalA = r.pvalB = 500;
    r.pmodeA = r.pmodeB = 1;
    r.videothdA = r.videothdB = 50;
    r.teachA = r.teachB = 512;
    r.pixbegA = r.pixbegB = 1;
    r.pixendA = r.pixendB = 4096;
    r.gainA = r.gainB = 0;
    r.trgthdA = r.trgthdB = 50;
    r.res1A = r.res2A = r.res3A = 0;
    r.res1B = r.res2B = r.res3B = 0;
    r.scaleA = r.scaleB = 1024;
    r.setpointA = r.setpointB = 37000;
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

void CopyVarsToPP(unsigned short page) {
    const ParameterRecord& r = parameter;
    if (page == 0) {
        const uint16_t w[PAGE_WORDS] = {r.evalmode, r.trgmode,     r.anamode,     r.hwmode,
                                        r.para0w4,  r.para0w5,     r.toleranceLO, r.toleranceUP,
                                        r.trig1,    r.trig2,       r.trig3,       r.trig4,
                                        r.res0,     Low(r.setpoint), High(r.setpoint)};
        for (int i = 0; i < PAGE_WORDS; ++i) pp[i] = w[i];
    } else if (page == 1 || page == 2) {
        const SensorPage s = PageFields(page);
        const uint16_t w[PAGE_WORDS] = {s.pval,  s.pmode,  s.videothd,     s.teach,
                                        s.pixbeg, s.pixend, s.gain,         s.trgthd,
                                        s.res1,  s.res2,   s.res3,         Low(s.scale),
                                        High(s.scale), Low(s.setpoint), High(s.setpoint)};
        for (int i = 0; i < PAGE_WORDS; ++i) pp[i] = w[i];
    }
}

void CopyPPtoVars(unsigned short page) {
    ParameterRecord& r = parameter;
    if (page == 0) {
        uint16_t* f[13] = {&r.evalmode, &r.trgmode, &r.anamode,     &r.hwmode,      &r.para0w4,
                           &r.para0w5,  &r.toleranceLO, &r.toleranceUP, &r.trig1,   &r.trig2,
                           &r.trig3,    &r.trig4,   &r.res0};
        for (int i = 0; i < 13; ++i) *f[i] = pp[i];
        r.setpoint = Join(pp[13], pp[14]);
    } else if (page == 1 || page == 2) {
        const SensorPage s = PageFields(page);
        uint16_t* f[11] = {&s.pval,   &s.pmode, &s.videothd, &s.teach, &s.pixbeg, &s.pixend,
                           &s.gain,   &s.trgthd, &s.res1,    &s.res2,  &s.res3};
        for (int i = 0; i < 11; ++i) *f[i] = pp[i];
        s.scale = Join(pp[11], pp[12]);
        s.setpoint = Join(pp[13], pp[14]);
    }
}
