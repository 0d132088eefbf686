// The data recorder against the simulated pair: the file byte for byte,
// each way a recording ends, the total time, and the files it must not lose.
#include <gtest/gtest.h>

#include <ctime>
#include <tuple>

#include "support/live_script.h"
#include "support/program_fixture.h"

namespace {

class Recorder : public ProgramTest {
protected:
    void TearDown() override {
        TestSetWallClock(0);
        ProgramTest::TearDown();
    }
    // The pair's frames say MASTER 1100, SLAVE 2100, evaluated 9000 (above
    // what the bar graph of mode 3 draws), -5 µm, edge counts 2 and 3.
    kvorsim::SensorPair& Started() {
        auto& pair = StartPair();
        pair.setOverrides({.positionA = 1100, .positionB = 2100, .evaluated = 9000, .micrometres = -5,
                           .edgesA = 2, .edgesB = 3});
        // Each reply 5 ms after its request: the scripted steps see every
        // record, however loaded the machine.
        pair.setTurnaround(std::chrono::milliseconds(5));
        StartUp();
        TIMEOUT = 1.0;
        parameter.evalmode = 3;
        parameter.setpointA = 37000;
        TestClick(pHandle, TOGGBTN_Recorder);
        pair.clearRecords();
        return pair;
    }
    // Chooses `name` in the recorder's file dialog, then sets records and interval.
    std::string Prepare(const char* records, const char* interval, const std::string& name = "rec.dat") {
        const std::string path = Path(name);
        TestQueueFileSelect(path);
        TestClick(pPopUp, RecordFileNameBtn);
        TestTypeValue(pPopUp, NEDITRecSamples, records);
        TestTypeValue(pPopUp, NEDITRecTime, interval);
        return path;
    }
    // RUN, VIDEO, TEACH, START.
    static std::vector<int> Dims() {
        return {Attr(pHandle, BTNRun, ATTR_DIMMED), Attr(pHandle, BTNVideo, ATTR_DIMMED),
                Attr(pHandle, ButtonTeach, ATTR_DIMMED), Attr(pPopUp, BTNStartRecord, ATTR_DIMMED)};
    }
    // The state text and its background and text colours.
    static std::tuple<std::string, int, int> State() {
        return {TestTextBoxLines(pPopUp, TEXTRecState).at(0), Attr(pPopUp, TEXTRecState, ATTR_TEXT_BGCOLOR),
                Attr(pPopUp, TEXTRecState, ATTR_TEXT_COLOR)};
    }
};

constexpr const char* kRecord = "1100\t2100\t9000\t-5\t2\t3\n";

// Header with a fixed clock, then a record for each of five frames at
// interval 0, the values as the frames brought them; the requests carry
// page 0 of the record from the first one.
TEST_F(Recorder, RecordsEveryFrameAtIntervalZeroThenStopsByItself) {
    auto& pair = Started();
    std::tm tm{};
    tm.tm_year = 2026 - 1900, tm.tm_mon = 2, tm.tm_mday = 4, tm.tm_hour = 5, tm.tm_min = 6, tm.tm_sec = 7;
    tm.tm_isdst = -1;
    TestSetWallClock(std::mktime(&tm));
    const std::string path = Prepare("5", "0");
    std::tuple<std::string, int, int> during;
    LiveScript script;
    script.when("recording", [] { return Val(pPopUp, NUMRecCount) >= 1; }, [&] { during = State(); });
    ASSERT_EQ(TestClick(pPopUp, BTNStartRecord), 0);
    EXPECT_EQ(during, std::tuple(std::string("DATA-RECORDER active ..."), 0xFF0000, 0xFFFFFF));
    std::string expected = "03-04-2026 05:06:07  K-VOR-RECORDER-FILE: Time-Interval[s]: 0\nSETPOINT-VALUE [\xB5m]: 37000\n";
    for (int i = 0; i < 5; ++i) expected += kRecord;
    EXPECT_EQ(ReadAll(path), expected);
    EXPECT_EQ(Val(pPopUp, NUMRecCount), 5);
    EXPECT_EQ(Dims(), (std::vector<int>{0, 1, 1, 0}));  // VIDEO and TEACH wait for a STOP
    EXPECT_EQ(State(), std::tuple(std::string("DATA-RECORDER"), 0xE0E0E0, 0));
    const auto requests = pair.requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(FrameWords(requests.front().bytes), RecordPage(0));
    EXPECT_EQ(Commands(pair), std::vector<uint16_t>(requests.size(), 8));
}

// Each way a running recording ends, and hiding the pop-up, which does not.
TEST_F(Recorder, StopButtonsClosingAndTimeOutEndItHidingDoesNot) {
    auto& pair = Started();
    const struct { const char* how; std::function<void()> end; std::vector<int> dims; bool popUp; } ways[] = {
        {"main STOP", [] { TestPress(pHandle, BTNStop); TestRelease(pHandle, BTNStop); }, {0, 0, 0, 0}, true},
        {"recorder STOP", [] { TestClick(pPopUp, BTNStopRecord); }, {0, 0, 0, 0}, true},
        {"pop-up closed", [] { TestClosePanel(pPopUp); }, {0, 1, 1, 0}, false},
        {"hidden, then silent", [&] {
             TestClick(pHandle, TOGGBTN_Recorder);
             pair.setSilent(true);
         }, {0, 1, 1, 0}, false},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.how);
        pair.setSilent(false);
        if (!TestPanelDisplayed(pPopUp)) TestClick(pHandle, TOGGBTN_Recorder);
        const std::string path = Prepare("60000", "0");
        LiveScript script;
        script.when("recording", [] { return Val(pPopUp, NUMRecCount) >= 3; }, way.end);
        ASSERT_EQ(TestClick(pPopUp, BTNStartRecord), 0);
        EXPECT_TRUE(script.finished());
        EXPECT_EQ(Dims(), way.dims);
        EXPECT_EQ((std::pair(TestPanelDisplayed(pPopUp), Val(pHandle, TOGGBTN_Recorder) == 1)), std::pair(way.popUp, way.popUp));
        const std::string file = ReadAll(path);
        EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 2 + Val(pPopUp, NUMRecCount));
        EXPECT_GE(Val(pPopUp, NUMRecCount), 3);
    }
    EXPECT_EQ(Status(), "Timeout RS232-Line!");
}

// N = 0 writes the header only; editing either field resets the count and
// shows the total time; 6271 reveals the upload buttons; an existing file
// chosen stays as it was until a recording starts.
TEST_F(Recorder, FieldsTotalTimeServiceCodeAndTheChosenFile) {
    Started();
    const std::string kept = Path("kept.dat");
    WriteAll(kept, "earlier recording\n");
    Prepare("0", "1", "kept.dat");
    EXPECT_EQ(ReadAll(kept), "earlier recording\n");
    EXPECT_EQ(TestTextBoxLines(pPopUp, TEXTRecFile).at(0), kept);
    ASSERT_EQ(TestClick(pPopUp, BTNStartRecord), 0);
    const std::string header = ReadAll(kept);
    EXPECT_EQ(std::count(header.begin(), header.end(), '\n'), 2);

    SetCtrlVal(pPopUp, NUMRecCount, 7u);
    TestTypeValue(pPopUp, NEDITRecSamples, "100");
    EXPECT_EQ(Val(pPopUp, NUMRecCount), 0);
    SetCtrlVal(pPopUp, NUMRecCount, 7u);
    TestTypeValue(pPopUp, NEDITRecTime, "3600");  // 360000 s
    EXPECT_EQ((std::array<int, 5>{Val(pPopUp, NUMRecCount), Val(pPopUp, NUMRecDay), Val(pPopUp, NUMRecHour),
                                  Val(pPopUp, NUMRecMin), Val(pPopUp, NUMRecSec)}),
              (std::array<int, 5>{0, 4, 4, 0, 0}));
    EXPECT_EQ(Attr(pCalib, BTNWriteXFMA, ATTR_VISIBLE) + Attr(pCalib, BTNWriteXFSL, ATTR_VISIBLE), 0);
    TestTypeValue(pPopUp, NEDITRecTime, "6271");
    EXPECT_EQ(Attr(pCalib, BTNWriteXFMA, ATTR_VISIBLE) + Attr(pCalib, BTNWriteXFSL, ATTR_VISIBLE), 2);
}

// A file that cannot be written ends the recording and says so: at the
// start (no folder), and when the folder goes away while recording.
TEST_F(Recorder, AWriteErrorEndsTheRecordingAndSaysSo) {
    auto& pair = Started();
    Prepare("60000", "0");
    CopyText(recfile_name, Path("no-such-folder/rec.dat").c_str());
    ASSERT_EQ(TestClick(pPopUp, BTNStartRecord), 0);
    EXPECT_EQ(Status(), "Error writing recorder-file! - recording stopped");
    EXPECT_EQ(pair.counters().requests, 0u);

    const std::string folder = Path("going");
    std::filesystem::create_directories(folder);
    CopyText(recfile_name, (folder + "/rec.dat").c_str());
    LiveScript script;
    script.when("recording", [] { return Val(pPopUp, NUMRecCount) >= 3; }, [&] { std::filesystem::remove_all(folder); });
    ASSERT_EQ(TestClick(pPopUp, BTNStartRecord), 0);
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(Status(), "Error writing recorder-file! - recording stopped");
    EXPECT_EQ(std::get<0>(State()), "DATA-RECORDER");
    EXPECT_EQ(Dims(), (std::vector<int>{0, 1, 1, 0}));
}

}  // namespace
