// The parameter file through the GET and SEND buttons with the file source.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "params/parafile.h"
#include "panel/parafile.h"
#include "support/program_fixture.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteAll(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

class ParaFile : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        char tmpl[] = "/tmp/kvor-parafile-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
        ProgramTest::TearDown();
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    static void SelectFileSource() { ASSERT_EQ(TestClick(pHandle, RBTFile), 0); }
    static void Save(const std::string& path, int confirm = -1) {
        TestQueueFileSelect(path);
        if (confirm >= 0) TestQueueConfirm(confirm);
        ASSERT_EQ(TestClick(pHandle, BTNSend), 0);
    }
    static void Load(const std::string& path) {
        TestQueueFileSelect(path);
        ASSERT_EQ(TestClick(pHandle, BTNGet), 0);
    }

    std::string dir_;
};

TEST_F(ParaFile, SaveAndLoadBackReproduceTheRecordWithoutTouchingTheLine) {
    auto& pair = StartPair();
    StartUp();
    pair.clearRecords();
    SelectFileSource();
    SetCtrlVal(pCalib, NUMSetpoint, 4000000000u);
    SetCtrlVal(pCalib, NUMScaleA, 1.5);
    SetCtrlVal(pCalib, NUMScaleB, 3000.25);
    SetCtrlVal(pPara1, NUMTeachA, 777);
    SetCtrlVal(pTrigg, NUMTrig4, 65535);
    const std::string path = Path("KVORpara.cfg");
    Save(path);
    EXPECT_EQ(Status(), "Transmit...");
    const auto saved = Record();
    EXPECT_EQ(parameter.setpoint, 4000000000u);
    EXPECT_EQ(parameter.scaleB, 3072256u);

    // One value a line in a field of 10 characters.
    std::istringstream lines(ReadAll(path));
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        EXPECT_EQ(line.size(), 10u) << "line " << count;
        EXPECT_EQ(std::stoul(line), saved[count / 15][count % 15]) << "line " << count;
    }
    EXPECT_EQ(count, 45);

    DefaultParameters();
    SetPanelValues();
    Load(path);
    EXPECT_EQ(Record(), saved);
    EXPECT_EQ(parameter.setpoint, 4000000000u);
    EXPECT_EQ(parameter.scaleA, 1536u);
    EXPECT_EQ(Val(pPara1, NUMTeachA), 777);
    EXPECT_TRUE(pair.requests().empty());

    const auto& log = TestPopupLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].title, "K-VOR-MS-Series Parameter File");
    EXPECT_EQ(log[0].buttonLabel, VAL_OK_BUTTON);
    EXPECT_EQ(log[1].title, "K-VOR-MS-Series-Parameter-File");
    EXPECT_EQ(log[1].buttonLabel, VAL_LOAD_BUTTON);
    for (const auto& call : log) {
        EXPECT_EQ(call.defaultDirectory, std::string(proj_dir));
        EXPECT_EQ(call.defaultFileName, "KVORpara.cfg");
        EXPECT_EQ(call.fileTypeList, "*.cfg");
        EXPECT_EQ((std::array<int, 4>{call.restrictDirectory, call.restrictExtension, call.allowCancel,
                                      call.allowMakeDirectory}),
                  (std::array<int, 4>{0, 1, 1, 1}));
    }
}

TEST_F(ParaFile, LoadedValuesKeepLowBitsAndAreRepairedBeforeTheyAreSent) {
    auto& pair = StartPair();
    StartUp();
    // The defaults, written by hand three to a line, with evaluation mode 9
    // and toleranceUP 65536 + 150.
    uint32_t v[PARA_FILE_VALUES];
    ParametersToFileValues(v);
    v[0] = 9;
    v[7] = 65536 + 150;
    std::string text;
    for (int i = 0; i < PARA_FILE_VALUES; ++i) text += std::to_string(v[i]) + (i % 3 ? "\t" : "\n");
    WriteAll(Path("hand.cfg"), text);
    SelectFileSource();
    Load(Path("hand.cfg"));
    EXPECT_EQ(parameter.toleranceUP, 150);
    EXPECT_EQ(parameter.evalmode, 1);
    EXPECT_EQ(Val(pPara0, DropEvalMode), 1);
    pair.clearRecords();
    ASSERT_EQ(TestClick(pHandle, RBTRam), 0);
    ASSERT_EQ(TestClick(pHandle, BTNSend), 0);
    ASSERT_TRUE(pair.waitForRequests(3, 2000ms));
    EXPECT_EQ(pair.page(kvorsim::Memory::Ram, 0)[0], 1);
    EXPECT_EQ(pair.page(kvorsim::Memory::Ram, 0)[7], 150);
}

TEST_F(ParaFile, CancelAndTheOverwriteQuestionDecideWhetherAFileIsWritten) {
    SelectFileSource();
    Save("");
    EXPECT_TRUE(fs::is_empty(dir_));
    EXPECT_EQ(Status(), "Transmit...");

    const std::string path = Path("old.cfg");
    WriteAll(path, "precious\n");
    Save(path, 0);
    EXPECT_EQ(ReadAll(path), "precious\n");
    ASSERT_FALSE(TestPopupLog().empty());
    EXPECT_EQ(TestPopupLog().back().title, "ATTENTION!");
    EXPECT_EQ(TestPopupLog().back().message, "Output-File already exist! - Overwrite ?");
    Save(path, 1);
    EXPECT_NE(ReadAll(path), "precious\n");
    EXPECT_EQ(Status(), "Transmit...");
}

// A load that fails or is cancelled leaves the record and refreshes the
// panels; only a failure says so.
TEST_F(ParaFile, FailedOrCancelledLoadKeepsTheRecordAndRefreshesThePanels) {
    std::string fortyFour;
    for (int i = 0; i < 44; ++i) fortyFour += "1\n";
    WriteAll(Path("short.cfg"), fortyFour);
    WriteAll(Path("text.cfg"), "1 2 3 four 5\n");
    WriteAll(Path("empty.cfg"), "");
    // Exists when chosen, fails when read: as a file that vanished or went bad.
    ASSERT_EQ(symlink("/proc/self/mem", Path("unreadable.cfg").c_str()), 0);
    const struct {
        std::string path;
        bool error;
    } cases[] = {{Path("short.cfg"), true}, {Path("text.cfg"), true}, {Path("empty.cfg"), true},
                 {Path("unreadable.cfg"), true},
                 {"", false}, {Path("missing.cfg"), false}};  // a missing file cannot be chosen: as cancel
    SelectFileSource();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        parameter.pvalA = 321;
        const auto before = Record();
        SetCtrlVal(pPara1, NUMPvalA, 999);
        ShowStatus("Echo Check - Line Ok!");
        Load(c.path);
        EXPECT_EQ(Record(), before);
        EXPECT_EQ(Val(pPara1, NUMPvalA), 321);
        if (c.error)
            EXPECT_NE(Status().find("Error reading parameter-file"), std::string::npos) << Status();
        else
            EXPECT_EQ(Status(), "Echo Check - Line Ok!");
    }
}

TEST_F(ParaFile, SaveThatCannotCompleteKeepsTheOldFileAndSaysSo) {
    // 250 characters leave no room for the temporary file's name beside it.
    std::string name = "kvor-" + std::to_string(getpid()) + "-";
    name += std::string(250 - name.size() - 4, 'p') + ".cfg";
    const std::string path = "/tmp/" + name;
    WriteAll(path, "old set\n");
    SelectFileSource();
    Save(path, 1);
    EXPECT_EQ(ReadAll(path), "old set\n");
    EXPECT_NE(Status().find("Error writing parameter-file"), std::string::npos) << Status();
    std::error_code ec;
    fs::remove(path, ec);
}

}  // namespace
