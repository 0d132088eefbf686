// Array files, paths, the program's directory, time and text helpers.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <tuple>

#include "engine/cvi.h"
#include "engine/testing.h"

namespace {

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void spit(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

class FilesTest : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return dir.path().toStdString() + "/" + name; }
    QTemporaryDir dir;
};

// Columns round-trip; the reader takes the first numbers whatever the
// spacing, also across its read chunks.
TEST_F(FilesTest, ColumnFileRoundTripsAndTheReaderTakesTheFirstNumbers) {
    const uint32_t values[] = {1, 0, 65535, 4294967295u, 123456};
    const std::string f = path("para.cfg");
    ASSERT_EQ(ArrayToFile(f.c_str(), values, 5, 6), 0);
    EXPECT_EQ(slurp(f), "     1\n     0\n 65535\n4294967295\n123456\n");
    uint32_t back[5] = {};
    ASSERT_EQ(FileToArray(f.c_str(), back, 5), 0);
    EXPECT_TRUE(std::equal(back, back + 5, values));
    spit(f, "  -32768\t0\r\n+32767 0000000000000000012\n\n-5   garbage after the wanted numbers");
    std::array<int16_t, 5> v{};
    ASSERT_EQ(FileToArray(f.c_str(), v.data(), 5), 0);
    EXPECT_EQ(v, (std::array<int16_t, 5>{-32768, 0, 32767, 12, -5}));

    std::string text;
    for (int i = 0; i < 30000; ++i) text += std::to_string(i * 131 % 65536) + (i % 7 ? " " : "\r\n");
    spit(f, text);
    static uint32_t many[30000];
    ASSERT_EQ(FileToArray(f.c_str(), many, 30000), 0);
    for (int i = 0; i < 30000; ++i) ASSERT_EQ(many[i], static_cast<uint32_t>(i * 131 % 65536)) << i;
}

TEST_F(FilesTest, FailedReadsLeaveTheArrayUntouched) {
    const std::string f = path("bad.dat");
    const std::string unsignedCases[] = {
        "1 2", "", "1 2 x", "1 2 3x", "1 2.5 3", "1 1e3 3", "1 - 3", "1 0x10 3", "1 4294967296 3", "1 -1 3",
        "1 99999999999999999999999999 3", std::string("1 2\0 3", 6)};
    const std::array<uint32_t, 3> untouched = {11, 22, 33};
    for (const std::string& text : unsignedCases) {
        spit(f, text);
        std::array<uint32_t, 3> v = untouched;
        EXPECT_EQ(FileToArray(f.c_str(), v.data(), 3), UIEFileRead) << text;
        EXPECT_EQ(v, untouched) << text;
    }
    for (const char* text : {"32768", "-32769", "70000"}) {
        spit(f, text);
        int16_t s = 99;
        EXPECT_EQ(FileToArray(f.c_str(), &s, 1), UIEFileRead) << text;
        EXPECT_EQ(s, 99) << text;
    }
}

// Missing files and directories, directories where a file should be, a full
// disk (it shows only when the data is flushed) and bad counts fail, and a
// failed read leaves the array as it was.
TEST_F(FilesTest, BadNamesCountsAndDevicesFail) {
    const std::string f = path("rec.dat"), missing = path("missing.dat"), d = dir.path().toStdString();
    const uint32_t fresh[] = {7, 8, 9};
    std::array<uint32_t, 3> v = {11, 22, 33};
    char out[MAX_PATHNAME_LEN];
    const std::string dirName(200, 'd'), tooLong(MAX_PATHNAME_LEN - 201, 'f');
    const TestCall calls[] = {
        TEST_CALL(FileToArray(missing.c_str(), v.data(), 3), UIEFileOpen),
        TEST_CALL(FileToArray(d.c_str(), v.data(), 3), UIEFileOpen),
        TEST_CALL(FileToArray(f.c_str(), v.data(), -1), UIEBadValue),
        TEST_CALL(ArrayToFile(d.c_str(), fresh, 3, 10), UIEFileOpen),
        TEST_CALL(ArrayToFile(path("no/such/dir/x.cfg").c_str(), fresh, 3, 10), UIEFileOpen),
        TEST_CALL(ArrayToFile("", fresh, 3, 10), UIEFileOpen),
        TEST_CALL(ArrayToFileAppend(f.c_str(), "x", -1), UIEBadValue),
        TEST_CALL(ArrayToFileAppend(path("no/dir/rec.dat").c_str(), "xyz", 3), UIEFileOpen),
        TEST_CALL(ArrayToFileAppend("/dev/full", "xyz", 3), UIEFileWrite),
        TEST_CALL(ArrayToFileAppend("/dev/full", fresh, 3, 16), UIEFileWrite),
        TEST_CALL(CVI_DeleteFile(missing.c_str()), UIEFileOpen), TEST_CALL(CVI_DeleteFile(""), UIEFileOpen),
        TEST_CALL(MakePathname(dirName.c_str(), tooLong.c_str(), out), -1),  // one byte more than fits
    };
    for (const TestCall& c : calls) EXPECT_EQ(c.result, c.expected) << c.call;
    EXPECT_EQ(v, (std::array<uint32_t, 3>{11, 22, 33}));
    EXPECT_STREQ(out, "");
}

TEST_F(FilesTest, FailedReplacementLeavesTheOldFileWhole) {
    const uint32_t old[] = {1, 2, 3}, fresh[] = {7, 8, 9};
    // No room beside this name for the temporary file of the replacement.
    const std::string longName = path(std::string(250, 'p'));
    ASSERT_EQ(ArrayToFile(longName.c_str(), old, 3, 10), 0) << "no old file to keep otherwise";
    const std::string before = slurp(longName);
    EXPECT_LT(ArrayToFile(longName.c_str(), fresh, 3, 10), 0);
    EXPECT_EQ(slurp(longName), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1) << "no temporary file left";
}

TEST_F(FilesTest, AppendsRawTextAndNumberRows) {
    const std::string f = path("rec.dat");
    const char label[] = "SETPOINT-VALUE [\xB5m]: ";
    ASSERT_EQ(ArrayToFileAppend(f.c_str(), label, 21), 0);
    const uint32_t setpoint = 37000;
    ASSERT_EQ(ArrayToFileAppend(f.c_str(), &setpoint, 1, 7), 0);
    const int32_t row[] = {100, 65535, -12, -2147483647 - 1};
    ASSERT_EQ(ArrayToFileAppend(f.c_str(), row, 4, 0), 0);
    ASSERT_EQ(ArrayToFileAppend(f.c_str(), row, 2, 7), 0);
    EXPECT_EQ(slurp(f), std::string(label) + "  37000\n100\t65535\t-12\t-2147483648\n    100\t  65535\n");
}

TEST_F(FilesTest, Latin1NamesRoundTripAndDelete) {
    const std::string f = path("Me\xDF" "wert-\xB5.dat");  // ISO 8859-1 bytes, as the program holds them
    const uint32_t v[] = {42};
    ASSERT_EQ(ArrayToFile(f.c_str(), v, 1, 10), 0);
    EXPECT_TRUE(QDir(dir.path()).exists(QString::fromUtf8("Me\xC3\x9Fwert-\xC2\xB5.dat")));
    EXPECT_EQ(CVI_DeleteFile(f.c_str()), 0);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST(Paths, JoinWithinTheBufferAndTheProjectDirectory) {
    char out[MAX_PATHNAME_LEN];
    for (auto [dirName, file, joined] : {std::tuple{"/opt/kvor", "a.cfg", "/opt/kvor/a.cfg"},
                                         {"/opt/kvor/", "a.cfg", "/opt/kvor/a.cfg"}, {"", "a.cfg", "a.cfg"}}) {
        ASSERT_EQ(MakePathname(dirName, file, out), 0);
        EXPECT_STREQ(out, joined);
    }
    // 259 bytes and the terminator fit exactly.
    const std::string dirName(200, 'd'), fits(MAX_PATHNAME_LEN - 1 - 201, 'f');
    ASSERT_EQ(MakePathname(dirName.c_str(), fits.c_str(), out), 0);
    EXPECT_EQ(std::strlen(out), static_cast<std::size_t>(MAX_PATHNAME_LEN - 1));
    // The executable's directory unless set.
    SetProjectDir("/tmp/kvor-project");
    ASSERT_EQ(GetProjectDir(out), 0);
    EXPECT_STREQ(out, "/tmp/kvor-project");
    SetProjectDir(nullptr);
    ASSERT_EQ(GetProjectDir(out), 0);
    EXPECT_EQ(QString::fromLatin1(out), QCoreApplication::applicationDirPath());
}

TEST(TimeAndText, FormatsLengthAndADelayThatRunsNoEvents) {
    EXPECT_TRUE(std::regex_match(DateStr(), std::regex(R"((0[1-9]|1[0-2])-(0[1-9]|[12]\d|3[01])-\d{4})"))) << DateStr();
    EXPECT_TRUE(std::regex_match(TimeStr(), std::regex(R"(([01]\d|2[0-3]):[0-5]\d:[0-5]\d)"))) << TimeStr();
    // Delay sleeps without running events: a due timer waits for the loop.
    bool ran = false;
    QTimer::singleShot(0, [&ran] { ran = true; });
    Delay(0.01);
    EXPECT_FALSE(ran);
    TestRunEvents(5);
    EXPECT_TRUE(ran);
    Delay(-1.0);  // nothing to wait for
    Delay(0.0 / 0.0);
    EXPECT_EQ(StringLength("SETPOINT-VALUE [\xB5m]: "), 21);
    EXPECT_EQ(StringLength(nullptr), 0);
}

}  // namespace
