// GET and SEND against the simulated pair's RAM and EEPROM and with the
// parameter file, and the three source buttons.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "params/parafile.h"
#include "support/program_fixture.h"

namespace {

namespace fs = std::filesystem;
using kvorsim::Memory;
using namespace std::chrono_literals;

class GetSend : public ProgramTest {
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
    static void Save(const std::string& path, int confirm = -1) {
        TestQueueFileSelect(path);
        if (confirm >= 0) TestQueueConfirm(confirm);
        ASSERT_EQ(TestClick(pHandle, BTNSend), 0);
    }
    static void Load(const std::string& path) {
        TestQueueFileSelect(path);
        ASSERT_EQ(TestClick(pHandle, BTNGet), 0);
    }
};

// A page without reply keeps its values; the panels are refreshed from the
// record after page 2 all the same, tolerance window included.
TEST_F(GetSend, GetWithSilentPagesKeepsTheirValuesAndStillRefreshes) {
    auto& pair = Started();
    kvorsim::Page changed = SensorPages()[2];
    changed[0] = 444;
    pair.setPage(Memory::Ram, 2, changed);
    pair.silenceOnce(2);  // page 0 gets no reply
    parameter.evalmode = 4;
    SetCtrlVal(pPara0, NUMToleranceUP, 5);  // edit replaced by the refresh
    ASSERT_EQ(TestClick(pHandle, BTNGet), 0);
    EXPECT_EQ(Commands(pair), (std::vector<uint16_t>{2, 2, 2}));
    EXPECT_EQ((std::array<int, 4>{parameter.evalmode, parameter.pvalB, Val(pPara0, DropEvalMode), Val(pPara2, NUMPvalB)}),
              (std::array<int, 4>{4, 444, 4, 444}));
    EXPECT_EQ(Val(pPara0, NUMToleranceUP), parameter.toleranceUP);
    EXPECT_EQ(Status(), "Parameter-frame received! - Line Ok!");  // the last page's outcome

    pair.setSilent(true);
    const auto before = Record();
    DeleteGraphPlot(pHandle, GRAPHBarMaster, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW);
    ASSERT_EQ(TestClick(pHandle, BTNGet), 0);
    EXPECT_EQ(Status(), "Timeout-RS-232...");
    EXPECT_EQ(Record(), before);
    const auto r = Rectangles(GRAPHBarMaster);  // empty bar and tolerance window
    for (int colour : {0xA0A0A0, 0x00FF00})
        EXPECT_TRUE(std::any_of(r.begin(), r.end(), [colour](const GraphPlot* p) { return p->fillColor == colour; }))
            << std::hex << colour;
}

// The source buttons act as one group. GET fills the record and the panels
// from the chosen memory (an edit on the panels is replaced); after edits,
// SEND leaves that memory holding exactly what the panels show. EEPROM
// writes leave RAM alone.
TEST_F(GetSend, GetAndSendEachMemory) {
    for (Memory m : {Memory::Ram, Memory::Eeprom}) {
        SCOPED_TRACE(m == Memory::Ram ? "RAM" : "EEPROM");
        auto& pair = Started();
        const auto ramBefore = pair.page(Memory::Ram, 0);
        if (m == Memory::Eeprom) ASSERT_EQ(TestClick(pHandle, RBTEeprom), 0);
        EXPECT_EQ((std::array<int, 4>{target, Val(pHandle, RBTRam), Val(pHandle, RBTEeprom), Val(pHandle, RBTFile)}),
                  (std::array<int, 4>{m == Memory::Ram ? 1 : 2, m == Memory::Ram, m == Memory::Eeprom, 0}));
        SetCtrlVal(pPara1, NUMPvalA, 1);
        ASSERT_EQ(TestClick(pHandle, BTNGet), 0);
        const uint16_t get = m == Memory::Ram ? 2 : 4, send = m == Memory::Ram ? 1 : 3;
        EXPECT_EQ(Status(), "Parameter-frame received! - Line Ok!");
        for (unsigned short p = 0; p < 3; ++p) EXPECT_EQ(RecordPage(p), ToVector(pair.page(m, p)));
        EXPECT_EQ((std::array<int, 3>{Val(pPara0, DropEvalMode), Val(pPara1, NUMPvalA), Attr(pPara1, NUMTeachA, ATTR_DIMMED)}),
                  (std::array<int, 3>{m == Memory::Ram ? 2 : 3, m == Memory::Ram ? 600 : 900, m == Memory::Eeprom}));
        SetCtrlVal(pPara0, NUMToleranceLO, 77);
        SetCtrlVal(pCalib, NUMSetpoint, 70000u);
        SetCtrlVal(pCalib, NUMScaleA, 1.2345);
        ASSERT_EQ(TestClick(pHandle, BTNSend), 0);
        ASSERT_TRUE(pair.waitForRequests(6, 2000ms));
        EXPECT_EQ(Commands(pair), (std::vector<uint16_t>{get, get, get, send, send, send}));
        EXPECT_EQ((std::array<int, 4>{pair.page(m, 0)[6], pair.page(m, 0)[13], pair.page(m, 0)[14], pair.page(m, 1)[11]}),
                  (std::array<int, 4>{77, 4464, 1, 1264}));  // 70000 low half first; 1.2345 x 1024 truncated
        for (unsigned short p = 0; p < 3; ++p) EXPECT_EQ(ToVector(pair.page(m, p)), RecordPage(p)) << p;
        EXPECT_EQ(Status(), "Line Ok!");
        if (m == Memory::Eeprom) {
            EXPECT_EQ(pair.page(Memory::Ram, 0), ramBefore);
            ASSERT_EQ(TestClick(pHandle, RBTEeprom), 0);  // clicking the selected button falls back to RAM
            EXPECT_EQ((std::array<int, 2>{target, Val(pHandle, RBTEeprom)}), (std::array<int, 2>{1, 0}));
        }
        CloseCom(com);
    }
}

TEST_F(GetSend, FileSaveAndLoadBackWithoutTouchingTheLineAndAHandWrittenFileRepaired) {
    auto& pair = Started();
    ASSERT_EQ(TestClick(pHandle, RBTFile), 0);
    SetCtrlVal(pCalib, NUMSetpoint, 4000000000u);
    SetCtrlVal(pCalib, NUMScaleB, 3000.25);
    SetCtrlVal(pTrigg, NUMTrig4, 65535);
    const std::string path = Path("KVORpara.cfg");
    Save(path);
    EXPECT_EQ(Status(), "Transmit...");
    const auto saved = Record();
    EXPECT_EQ(parameter.scaleB, 3072256u);
    // One value a line in a field of 10 characters.
    std::istringstream lines(ReadAll(path));
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        EXPECT_EQ(line.size(), 10u) << "line " << count;
        EXPECT_EQ(std::stoul(line), saved[count / 15][count % 15]) << "line " << count;
    }
    EXPECT_EQ(count, 45);

    DefaultParameters();
    SetPanelValues();
    Load(path);
    EXPECT_EQ(Record(), saved);
    EXPECT_EQ(parameter.setpoint, 4000000000u);
    EXPECT_TRUE(pair.requests().empty());
    const auto& log = TestPopupLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ((std::array<std::string, 2>{log[0].title, log[1].title}),
              (std::array<std::string, 2>{"K-VOR-MS-Series Parameter File", "K-VOR-MS-Series-Parameter-File"}));
    EXPECT_EQ((std::array<int, 2>{log[0].buttonLabel, log[1].buttonLabel}), (std::array<int, 2>{VAL_OK_BUTTON, VAL_LOAD_BUTTON}));
    for (const auto& call : log) {
        EXPECT_EQ(call.defaultDirectory + " " + call.defaultFileName + " " + call.fileTypeList,
                  std::string(proj_dir) + " KVORpara.cfg *.cfg");
        EXPECT_EQ((std::array<int, 4>{call.restrictDirectory, call.restrictExtension, call.allowCancel, call.allowMakeDirectory}),
                  (std::array<int, 4>{0, 1, 1, 1}));
    }

    // A hand-written file, three values to a line, with evaluation mode 9 and
    // a tolerance of 65536 + 150: low bits kept, repaired, and sent as repaired.
    uint32_t v[PARA_FILE_VALUES];
    ParametersToFileValues(v);
    v[0] = 9;
    v[7] = 65536 + 150;
    std::string text;
    for (int i = 0; i < PARA_FILE_VALUES; ++i) text += std::to_string(v[i]) + (i % 3 ? "\t" : "\n");
    WriteAll(Path("hand.cfg"), text);
    Load(Path("hand.cfg"));
    EXPECT_EQ(Val(pPara0, DropEvalMode), 1);
    ASSERT_EQ(TestClick(pHandle, RBTRam), 0);
    ASSERT_EQ(TestClick(pHandle, BTNSend), 0);
    ASSERT_TRUE(pair.waitForRequests(3, 2000ms));
    EXPECT_EQ((std::array<int, 2>{pair.page(Memory::Ram, 0)[0], pair.page(Memory::Ram, 0)[7]}), (std::array<int, 2>{1, 150}));
}

// Cancel writes nothing; the overwrite question decides; a save that cannot
// complete keeps the old file and says so. SEND leaves "Transmit..." else.
TEST_F(GetSend, FileSaveKeepsWhatTheUserHasUnlessTheyAgree) {
    ASSERT_EQ(TestClick(pHandle, RBTFile), 0);
    const std::string path = Path("old.cfg");
    Save("");
    EXPECT_TRUE(fs::is_empty(dir_));
    WriteAll(path, "precious\n");
    Save(path, 0);
    EXPECT_EQ(ReadAll(path), "precious\n");
    EXPECT_EQ(TestPopupLog().back().title + " " + TestPopupLog().back().message,
              "ATTENTION! Output-File already exist! - Overwrite ?");
    EXPECT_EQ(Status(), "Transmit...");
    Save(path, 1);
    EXPECT_NE(ReadAll(path), "precious\n");
    EXPECT_EQ(Status(), "Transmit...");

    // 250 characters leave no room for a temporary file beside it: the old
    // file is written in place.
    std::string name = "kvor-" + std::to_string(getpid()) + "-";
    name += std::string(250 - name.size() - 4, 'p') + ".cfg";
    const std::string tight = "/tmp/" + name;
    WriteAll(tight, "old set\n");
    Save(tight, 1);
    EXPECT_EQ(ReadAll(tight), ReadAll(path));
    EXPECT_EQ(Status(), "Transmit...");
    fs::remove(tight);
    // No old file to keep: the plain failure text.
    Save(Path("no-such-folder/new.cfg"));
    EXPECT_EQ(Status(), "Error writing parameter-file!");
}

// A load that fails or is cancelled leaves the record and what the user
// typed; only a failure says so.
TEST_F(GetSend, FailedOrCancelledLoadKeepsTheRecordAndTheTypedValues) {
    std::string fortyFour;
    for (int i = 0; i < 44; ++i) fortyFour += "1\n";
    WriteAll(Path("short.cfg"), fortyFour);
    WriteAll(Path("text.cfg"), "1 2 3 four 5\n");
    // Exists when chosen, fails when read: as a file that vanished or went bad.
    ASSERT_EQ(symlink("/proc/self/mem", Path("unreadable.cfg").c_str()), 0);
    const struct { std::string path; bool error; } cases[] = {{Path("short.cfg"), true}, {Path("text.cfg"), true},
        {Path("unreadable.cfg"), true}, {"", false}, {Path("missing.cfg"), false}};  // a missing file cannot be chosen: as cancel
    ASSERT_EQ(TestClick(pHandle, RBTFile), 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        parameter.pvalA = 321;
        const auto before = Record();
        SetCtrlVal(pPara1, NUMPvalA, 999);
        ShowStatus("Echo Check - Line Ok!");
        Load(c.path);
        EXPECT_EQ(Record(), before);
        EXPECT_EQ(Val(pPara1, NUMPvalA), 999);
        EXPECT_EQ(Status(), c.error ? "Error reading parameter-file! - parameters unchanged" : "Echo Check - Line Ok!");
    }
}

}  // namespace
