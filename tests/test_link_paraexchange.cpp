// GET and SEND against the simulated pair's RAM and EEPROM, and the three
// source buttons.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "support/program_fixture.h"

namespace {

using kvorsim::Memory;
using namespace std::chrono_literals;

class ParaExchange : public ProgramTest {
protected:
    // RAM holds SensorPages(); EEPROM differs in evaluation mode 3, pvalA
    // 900, teachB 2222 and setpointB 65537.
    kvorsim::SensorPair& Started() {
        kvorsim::Options o;
        o.ramPages = o.eepromPages = SensorPages();
        kvorsim::Pages& eeprom = *o.eepromPages;
        eeprom[0][0] = 3;
        eeprom[1][0] = 900;
        eeprom[2][3] = 2222;
        eeprom[2][13] = eeprom[2][14] = 1;
        auto& pair = StartPair(o);
        StartUp();
        pair.clearRecords();
        return pair;
    }

    // The sensor's pages end up holding exactly what the panels showed.
    void ExpectSendWritesPanels(kvorsim::SensorPair& pair, Memory m, uint16_t cmd) {
        SetCtrlVal(pPara0, NUMToleranceLO, 77);
        SetCtrlVal(pCalib, NUMSetpoint, 70000u);
        SetCtrlVal(pCalib, NUMScaleA, 1.2345);
        SetCtrlVal(pPara2, NUMTeachB, 1234);
        ASSERT_EQ(TestClick(pHandle, BTNSend), 0);
        ASSERT_TRUE(pair.waitForRequests(3, 2000ms));
        EXPECT_EQ(Commands(pair), (std::vector<uint16_t>{cmd, cmd, cmd}));
        EXPECT_EQ(pair.page(m, 0)[6], 77);
        EXPECT_EQ(pair.page(m, 0)[13], 4464);  // 70000, low half first
        EXPECT_EQ(pair.page(m, 0)[14], 1);
        EXPECT_EQ(pair.page(m, 1)[11], 1264);  // 1.2345 x 1024, truncated
        EXPECT_EQ(pair.page(m, 1)[12], 0);
        EXPECT_EQ(pair.page(m, 2)[3], 1234);
        for (unsigned short p = 0; p < 3; ++p) EXPECT_EQ(ToVector(pair.page(m, p)), RecordPage(p)) << p;
        EXPECT_EQ(Status(), "Line Ok!");
    }
};

TEST_F(ParaExchange, GetFromEepromFillsRecordAndPanels) {
    auto& pair = Started();
    ASSERT_EQ(TestClick(pHandle, RBTEeprom), 0);
    SetCtrlVal(pPara1, NUMPvalA, 1);  // an edit the read replaces
    ASSERT_EQ(TestClick(pHandle, BTNGet), 0);
    EXPECT_EQ(Commands(pair), (std::vector<uint16_t>{4, 4, 4}));
    for (unsigned short p = 0; p < 3; ++p) EXPECT_EQ(RecordPage(p), ToVector(pair.page(Memory::Eeprom, p)));
    EXPECT_EQ(parameter.setpointB, 65537u);
    EXPECT_EQ((std::array<int, 3>{Val(pPara0, DropEvalMode), Val(pPara1, NUMPvalA), Val(pPara2, NUMTeachB)}),
              (std::array<int, 3>{3, 900, 2222}));
    EXPECT_EQ(Status(), "Parameter-frame received! - Line Ok!");
    // Evaluation mode 3 dims both teach editors.
    EXPECT_EQ(Attr(pPara1, NUMTeachA, ATTR_DIMMED), 1);
    EXPECT_EQ(Attr(pPara2, NUMTeachB, ATTR_DIMMED), 1);
}

TEST_F(ParaExchange, GetFromRamWithASilentPageKeepsItsValuesAndStillRefreshes) {
    auto& pair = Started();
    for (unsigned short p : {1, 2}) {
        kvorsim::Page changed = SensorPages()[p];
        changed[0] = static_cast<uint16_t>(111 * (p + 2));  // pvalA 333, pvalB 444
        pair.setPage(Memory::Ram, p, changed);
    }
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
    EXPECT_EQ(Status(), "Parameter-frame received! - Line Ok!");  // the last page's outcome
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
    const auto r = Rectangles(GRAPHBarMaster);
    for (int colour : {0xA0A0A0, 0x00FF00})
        EXPECT_TRUE(std::any_of(r.begin(), r.end(), [colour](const GraphPlot* p) { return p->fillColor == colour; }))
            << std::hex << colour;
}

TEST_F(ParaExchange, SendToRamWritesWhatThePanelsShow) { ExpectSendWritesPanels(Started(), Memory::Ram, 1); }

TEST_F(ParaExchange, SendToEepromWritesWhatThePanelsShowAndLeavesRam) {
    auto& pair = Started();
    const auto ramBefore = pair.page(Memory::Ram, 0);
    ASSERT_EQ(TestClick(pHandle, RBTEeprom), 0);
    ExpectSendWritesPanels(pair, Memory::Eeprom, 3);
    EXPECT_EQ(pair.page(Memory::Ram, 0), ramBefore);
}

// One group; clicking the selected button, even RAM, falls back to RAM.
TEST_F(ParaExchange, SourceButtonsActAsOneGroupFallingBackToRam) {
    EXPECT_EQ(target, 1);
    const struct {
        int click, target;
    } steps[] = {{RBTFile, 3}, {RBTEeprom, 2}, {RBTEeprom, 1}, {RBTRam, 1}};
    for (const auto& s : steps) {
        ASSERT_EQ(TestClick(pHandle, s.click), 0);
        EXPECT_EQ(target, s.target);
        EXPECT_EQ((std::array<int, 3>{Val(pHandle, RBTRam), Val(pHandle, RBTEeprom), Val(pHandle, RBTFile)}),
                  (std::array<int, 3>{s.target == 1, s.target == 2, s.target == 3}))
            << s.click << " to " << s.target;
    }
}

}  // namespace
