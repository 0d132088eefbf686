// The linearisation upload against the simulated pair: what lands in its
// X-FLASH, the frames in order, the progress, and uploads that fail.
#include <gtest/gtest.h>

#include "lin/xflash.h"
#include "support/program_fixture.h"

namespace {

class XFlash : public ProgramTest {
protected:
    kvorsim::SensorPair& Started() {
        auto& pair = StartPair();
        StartUp();
        TIMEOUT = 1.0;
        TestClick(pHandle, TOGGBTN_Calib);
        pair.clearRecords();
        return pair;
    }
    // A table file of value(i) for i = 0 .. count - 1, one a line.
    std::string Table(int count, const std::function<std::string(int)>& value) {
        std::string text;
        for (int i = 0; i < count; ++i) text += value(i) + "\n";
        WriteAll(Path("table.dat"), text);
        return Path("table.dat");
    }
    // Reveals the button as the recorder's service code does, and clicks it.
    static void Upload(const std::string& file, int button) {
        TestQueueFileSelect(file);
        SetCtrlAttribute(pCalib, button, ATTR_VISIBLE, 1);
        ASSERT_EQ(TestClick(pCalib, button), 0);
        EXPECT_EQ(Attr(pCalib, button, ATTR_VISIBLE), 0);
    }
    static const GraphPlot& LastBar(int graph) { return TestGraph(pHandle, graph)->plots.back(); }
};

// All zeros land as 32767; a ramp through the SLAVE button travels in the
// same frames, entry i at page 2 + i / 256, and draws in the SLAVE graph.
TEST_F(XFlash, UploadsFillTheXFlashInFrameOrder) {
    auto& pair = Started();
    Upload(Table(2048, [](int) { return "0"; }), BTNWriteXFMA);
    for (int page = 2; page <= 9; ++page) EXPECT_EQ(pair.xflash(page), std::vector<uint16_t>(256, 32767)) << page;
    EXPECT_EQ(Status(), "X-FLASH Data successfully written!");
    EXPECT_EQ((std::array<double, 3>{LastBar(GRAPHBarMaster).x2, double(LastBar(GRAPHBarMaster).fillColor),
                                     TestGraph(pHandle, GRAPHBarMaster)->xAxis.max}),
              (std::array<double, 3>{4096, 0xA0A0A0, 4096}));
    EXPECT_EQ(Val(pHandle, NUMAnaMax), 2040);

    pair.clearRecords();
    Upload(Table(2048, [](int i) { return std::to_string(i - 32767); }), BTNWriteXFSL);
    const auto rq = pair.requests();
    ASSERT_EQ(rq.size(), 257u);
    EXPECT_EQ(rq[0].command, 101);
    EXPECT_EQ(FrameWords(rq[0].bytes), std::vector<uint16_t>(15, 0x00AA));
    // Offset, then page and the 8 entries, then zeros.
    for (auto [frame, offset, page, first] : {std::tuple(1, 0, 2, 0), {33, 0, 3, 256}, {256, 248, 9, 2040}}) {
        std::vector<uint16_t> words{uint16_t(page)};
        for (int k = 0; k < 8; ++k) words.push_back(uint16_t(first + k));
        words.resize(15, 0);
        EXPECT_EQ((std::pair(rq[frame].argument, FrameWords(rq[frame].bytes))), (std::pair(uint16_t(offset), words)))
            << "frame " << frame;
    }
    EXPECT_EQ(pair.xflash(9).back(), 2047);
    EXPECT_EQ(LastBar(GRAPHBarSlave).fillColor, 0xA0A0A0);
}

// A page outside 2..9 in the reply leaves the text before; a file that is
// short or holds a non-number sends nothing; one unanswered write or a
// silent pair ends with the frames not confirmed, never with success.
TEST_F(XFlash, StatusTextsAndUploadsThatFail) {
    auto& pair = Started();
    WriteXFLASH(0, 5, linArray, 1);
    EXPECT_EQ(Status(), "X-FLASH-write OK: PAGE5 ...");
    WriteXFLASH(0, 12, linArray, 1);
    EXPECT_EQ(Status(), "X-FLASH-write OK: PAGE5 ...");
    EXPECT_EQ((std::array<double, 2>{LastBar(GRAPHBarMaster).x2, double(LastBar(GRAPHBarMaster).fillColor)}),
              (std::array<double, 2>{2560, 0x00FF00}));

    pair.clearRecords();
    Upload(Table(2047, [](int) { return "1"; }), BTNWriteXFMA);
    Upload(Table(2048, [](int i) { return i == 10 ? "x" : "1"; }), BTNWriteXFSL);
    EXPECT_EQ(pair.counters().requests, 0u);

    pair.silenceOnce(102);
    Upload(Table(2048, [](int) { return "0"; }), BTNWriteXFMA);
    EXPECT_EQ(Status(), "X-FLASH upload incomplete: 1 of 257 frames not confirmed!");
    EXPECT_EQ(LastBar(GRAPHBarMaster).fillColor, 0x00FF00);

    pair.clearRecords();
    pair.setSilent(true);
    TIMEOUT = 0.02;
    Upload(Table(2048, [](int) { return "0"; }), BTNWriteXFMA);
    EXPECT_EQ(pair.counters().byCommand[102], 256u);
    EXPECT_EQ(Status(), "X-FLASH upload incomplete: 257 of 257 frames not confirmed!");
}

}  // namespace
