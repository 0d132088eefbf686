// GET and SEND against the simulated pair's RAM and EEPROM, and the three
// source buttons.
#include <gtest/gtest.h>

#include <chrono>

#include "support/program_fixture.h"

namespace {

using kvorsim::Memory;
using namespace std::chrono_literals;

class ParaExchange : public ProgramTest {
protected:
    kvorsim::SensorPair& Started() {
        kvorsim::Options o;
        o.ramPages = SensorPages();
        kvorsim::Pages eeprom = SensorPages();
        eeprom[0][0] = 3;      // evaluation mode 3 in EEPROM
        eeprom[1][0] = 900;    // pvalA
        eeprom[2][3] = 2222;   // teachB
        eeprom[2][13] = 1;     // setpointB 65537
        eeprom[2][14] = 1;
        o.eepromPages = eeprom;
        auto& pair = StartPair(o);
        StartUp();
        pair.clearRecords();
        return pair;
    }

public:
    std::vector<uint16_t> Page(unsigned short p) { return RecordPage(p); }
};

TEST_F(ParaExchange, GetFromEepromFillsRecordAndPanels) {
    auto& pair = Started();
    ASSERT_EQ(TestClick(pHandle, RBTEeprom), 0);
    ASSERT_EQ(target, 2);
    SetCtrlVal(pPara1, NUMPvalA, 1);  // an edit the read replaces
    ASSERT_EQ(TestClick(pHandle, BTNGet), 0);
    EXPECT_EQ(Commands(pair), (std::vector<uint16_t>{4, 4, 4}));
    for (unsigned short p = 0; p < 3; ++p) EXPECT_EQ(RecordPage(p), ToVector(pair.page(Memory::Eeprom, p)));
    EXPECT_EQ(parameter.setpointB, 65537u);
    EXPECT_EQ(Val(pPara0, DropEvalMode), 3);
    EXPECT_EQ(Val(pPara1, NUMPvalA), 900);
    EXPECT_EQ(Val(pPara2, NUMTeachB), 2222);
    EXPECT_EQ(Status(), "Parameter-frame received! - Line Ok!");
    // Evaluation mode 3 dims both teach editors.
    EXPECT_EQ(Attr(pPara1, NUMTeachA, ATTR_DIMMED), 1);
    EXPECT_EQ(Attr(pPara2, NUMTeachB, ATTR_DIMMED), 1);
}

TEST_F(ParaExchange, GetFromRamWithASilentPageKeepsItsValuesAndStillRefreshes) {
    auto& pair = Started();
    kvorsim::Page changed = SensorPages()[1];
    changed[0] = 333;
    pair.setPage(Memory::Ram, 1, changed);
    kvorsim::Page page2 = SensorPages()[2];
    page2[0] = 444;
    pair.setPage(Memory::Ram, 2, page2);
    parameter.pvalA = 600;
    pair.silenceOnce(2);  // page 0 gets no reply
    parameter.evalmode = 4;
    SetCtrlVal(pPara0, NUMToleranceUP, 5);  // edit replaced by the refresh
    ASSERT_EQ(TestClick(pHandle, BTNGet), 0);
    EXPECT_EQ(Commands(pair), (std::vector<uint16_t>{2, 2, 2}));
    EXPECT_EQ(parameter.evalmode, 4);  // page 0 kept
    EXPECT_EQ(parameter.pvalA, 333);
    EXPECT_EQ(parameter.pvalB, 444);
    EXPECT_EQ(Val(pPara0, DropEvalMode), 4);
    EXPECT_EQ(Val(pPara0, NUMToleranceUP), parameter.toleranceUP);
    EXPECT_EQ(Val(pPara2, NUMPvalB), 444);
    // The status tells the last page's outcome.
    EXPECT_EQ(Status(), "Parameter-frame received! - Line Ok!");
}

TEST_F(ParaExchange, GetWithoutReplyEndsWithTimeoutAndRedrawsTheWindow) {
    auto& pair = Started();
    pair.setSilent(true);
    const auto before = RecordPage(1);
    DeleteGraphPlot(pHandle, GRAPHBarMaster, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW);
    ASSERT_EQ(TestClick(pHandle, BTNGet), 0);
    EXPECT_EQ(Status(), "Timeout-RS-232...");
    EXPECT_EQ(RecordPage(1), before);
    // Empty bar and tolerance window drawn after page 2.
    const GraphData* g = TestGraph(pHandle, GRAPHBarMaster);
    ASSERT_NE(g, nullptr);
    bool grey = false, green = false;
    for (const auto& p : g->plots) {
        grey = grey || (p.kind == GraphPlot::Kind::Rectangle && p.fillColor == 0xA0A0A0);
        green = green || (p.kind == GraphPlot::Kind::Rectangle && p.fillColor == 0x00FF00);
    }
    EXPECT_TRUE(grey);
    EXPECT_TRUE(green);
}

// SEND to RAM (commands 1) or EEPROM (commands 3): the sensor's pages end
// up holding exactly what the panels showed.
void ExpectSendWritesPanels(ParaExchange& t, kvorsim::SensorPair& pair, bool eeprom) {
    if (eeprom) {
        ASSERT_EQ(TestClick(pHandle, RBTEeprom), 0);
    }
    SetCtrlVal(pPara0, NUMToleranceLO, 77);
    SetCtrlVal(pCalib, NUMSetpoint, 70000u);
    SetCtrlVal(pCalib, NUMScaleA, 1.2345);
    SetCtrlVal(pPara2, NUMTeachB, 1234);
    ASSERT_EQ(TestClick(pHandle, BTNSend), 0);
    ASSERT_TRUE(pair.waitForRequests(3, 2000ms));
    const uint16_t cmd = eeprom ? 3 : 1;
    EXPECT_EQ(ProgramTest::Commands(pair), (std::vector<uint16_t>{cmd, cmd, cmd}));
    const Memory m = eeprom ? Memory::Eeprom : Memory::Ram;
    const auto p0 = pair.page(m, 0);
    EXPECT_EQ(p0[6], 77);
    EXPECT_EQ(p0[13], 4464);  // 70000, low half first
    EXPECT_EQ(p0[14], 1);
    EXPECT_EQ(pair.page(m, 1)[11], 1264);  // 1.2345 x 1024, truncated
    EXPECT_EQ(pair.page(m, 1)[12], 0);
    EXPECT_EQ(pair.page(m, 2)[3], 1234);
    for (unsigned short p = 0; p < 3; ++p) EXPECT_EQ(ToVector(pair.page(m, p)), t.Page(p)) << p;
    std::string status;
    GetCtrlVal(pHandle, TEXTStatus, &status);
    EXPECT_EQ(status, "Line Ok!");
}

TEST_F(ParaExchange, SendToRamWritesWhatThePanelsShow) { ExpectSendWritesPanels(*this, Started(), false); }

TEST_F(ParaExchange, SendToEepromWritesWhatThePanelsShow) {
    auto& pair = Started();
    const auto ramBefore = pair.page(Memory::Ram, 0);
    ExpectSendWritesPanels(*this, pair, true);
    EXPECT_EQ(pair.page(Memory::Ram, 0), ramBefore);
}

TEST_F(ParaExchange, SourceButtonsActAsOneGroupFallingBackToRam) {
    EXPECT_EQ(target, 1);
    ASSERT_EQ(TestClick(pHandle, RBTFile), 0);
    EXPECT_EQ(target, 3);
    EXPECT_EQ(Val(pHandle, RBTFile), 1);
    EXPECT_EQ(Val(pHandle, RBTRam), 0);
    EXPECT_EQ(Val(pHandle, RBTEeprom), 0);
    ASSERT_EQ(TestClick(pHandle, RBTEeprom), 0);
    EXPECT_EQ(target, 2);
    EXPECT_EQ(Val(pHandle, RBTFile), 0);
    EXPECT_EQ(Val(pHandle, RBTEeprom), 1);
    ASSERT_EQ(TestClick(pHandle, RBTEeprom), 0);  // deselecting the selected one
    EXPECT_EQ(target, 1);
    EXPECT_EQ(Val(pHandle, RBTRam), 1);
    EXPECT_EQ(Val(pHandle, RBTEeprom), 0);
    ASSERT_EQ(TestClick(pHandle, RBTRam), 0);  // even RAM itself
    EXPECT_EQ(target, 1);
    EXPECT_EQ(Val(pHandle, RBTRam), 1);
}

}  // namespace
