// Array files, paths, the program's directory, time and text helpers.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <regex>
#include <iterator>
#include <string>

#include "engine/cvi.h"

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

TEST_F(FilesTest, ColumnFileRoundTripsAndHasOneRightAlignedValuePerLine) {
    const uint32_t values[] = {1, 0, 65535, 37000, 4294967295u};
    const std::string f = path("para.cfg");
    ASSERT_EQ(ArrayToFile(f.c_str(), values, 5, 10), 0);
    EXPECT_EQ(slurp(f), "         1\n         0\n     65535\n     37000\n4294967295\n");

    uint32_t back[5] = {};
    ASSERT_EQ(FileToArray(f.c_str(), back, 5), 0);
    EXPECT_TRUE(std::equal(back, back + 5, values));

    // A new write replaces the file; a narrow field keeps numbers whole.
    const uint32_t fewer[] = {123456, 7};
    ASSERT_EQ(ArrayToFile(f.c_str(), fewer, 2, 3), 0);
    EXPECT_EQ(slurp(f), "123456\n  7\n");
}

TEST_F(FilesTest, ReaderTakesTheFirstNumbersWhateverTheSeparators) {
    const std::string f = path("table.dat");
    spit(f, "  -32768\t0\r\n32767 12\n\n-5   garbage after the wanted numbers");
    std::array<int16_t, 5> v{};
    ASSERT_EQ(FileToArray(f.c_str(), v.data(), 5), 0);
    EXPECT_EQ(v, (std::array<int16_t, 5>{-32768, 0, 32767, 12, -5}));

    spit(f, "+7 0000000000000000042");
    std::array<uint32_t, 2> u{};
    ASSERT_EQ(FileToArray(f.c_str(), u.data(), 2), 0);
    EXPECT_EQ(u, (std::array<uint32_t, 2>{7, 42}));
}

TEST_F(FilesTest, FailedReadsLeaveTheArrayUntouched) {
    const std::string f = path("bad.dat");
    const struct {
        std::string text;
        const char* why;
    } unsignedCases[] = {
        {"1 2", "fewer numbers"},
        {"", "empty file"},
        {"1 2 x", "a word"},
        {"1 2 3x", "digits then letters"},
        {"1 2.5 3", "a fraction"},
        {"1 1e3 3", "an exponent"},
        {"1 - 3", "a lone sign"},
        {"1 0x10 3", "hexadecimal"},
        {"1 4294967296 3", "above 32 bits"},
        {"1 -1 3", "negative for unsigned"},
        {"1 99999999999999999999999999 3", "far beyond any type"},
        {std::string("1 2\0 3", 6), "a NUL byte"},
    };
    const std::array<uint32_t, 3> untouched = {11, 22, 33};
    for (const auto& c : unsignedCases) {
        spit(f, c.text);
        std::array<uint32_t, 3> v = untouched;
        EXPECT_EQ(FileToArray(f.c_str(), v.data(), 3), UIEFileRead) << c.why;
        EXPECT_EQ(v, untouched) << c.why;
    }
    for (const char* text : {"32768", "-32769", "70000"}) {
        spit(f, text);
        int16_t s = 99;
        EXPECT_EQ(FileToArray(f.c_str(), &s, 1), UIEFileRead) << text;
        EXPECT_EQ(s, 99) << text;
    }
    std::array<uint32_t, 3> v = untouched;
    EXPECT_EQ(FileToArray(path("missing.dat").c_str(), v.data(), 3), UIEFileOpen);
    EXPECT_LT(FileToArray(dir.path().toStdString().c_str(), v.data(), 3), 0) << "a directory";
    EXPECT_EQ(v, untouched);
    EXPECT_EQ(FileToArray(f.c_str(), v.data(), -1), UIEBadValue);
}

// More than one read chunk, with numbers straddling the boundaries.
TEST_F(FilesTest, LongFilesReadAcrossChunkBoundaries) {
    std::string text;
    for (int i = 0; i < 30000; ++i) text += std::to_string(i * 131 % 65536) + (i % 7 ? " " : "\r\n");
    const std::string f = path("long.dat");
    spit(f, text);
    static uint32_t v[30000];
    ASSERT_EQ(FileToArray(f.c_str(), v, 30000), 0);
    for (int i = 0; i < 30000; ++i) ASSERT_EQ(v[i], static_cast<uint32_t>(i * 131 % 65536)) << i;
}

TEST_F(FilesTest, FailedReplacementLeavesTheOldFileWhole) {
    const uint32_t old[] = {1, 2, 3};
    const uint32_t fresh[] = {7, 8, 9};
    // No room beside this name for the temporary file of the replacement.
    const std::string longName = path(std::string(250, 'p'));
    ASSERT_EQ(ArrayToFile(longName.c_str(), old, 3, 10), 0) << "no old file to keep otherwise";
    const std::string before = slurp(longName);
    ASSERT_FALSE(before.empty());
    EXPECT_LT(ArrayToFile(longName.c_str(), fresh, 3, 10), 0);
    EXPECT_EQ(slurp(longName), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1) << "no temporary file left";

    // A directory where the file should be, and a directory that is missing.
    EXPECT_LT(ArrayToFile(dir.path().toStdString().c_str(), fresh, 3, 10), 0);
    EXPECT_EQ(ArrayToFile(path("no/such/dir/x.cfg").c_str(), fresh, 3, 10), UIEFileOpen);
    EXPECT_EQ(ArrayToFile("", fresh, 3, 10), UIEFileOpen);
}

TEST_F(FilesTest, AppendsRawTextAndNumberRows) {
    const std::string f = path("rec.dat");
    const char head[] = "12-06-2026 18:00:00  K-VOR-RECORDER-FILE: Time-Interval[s]: ";
    ASSERT_EQ(ArrayToFileAppend(f.c_str(), head, static_cast<int>(std::strlen(head))), 0);
    const uint32_t interval = 5;
    ASSERT_EQ(ArrayToFileAppend(f.c_str(), &interval, 1, 5), 0);
    const char label[] = "SETPOINT-VALUE [\xB5m]: ";
    ASSERT_EQ(ArrayToFileAppend(f.c_str(), label, 21), 0);
    const uint32_t setpoint = 37000;
    ASSERT_EQ(ArrayToFileAppend(f.c_str(), &setpoint, 1, 0), 0);
    const int32_t row[] = {100, 65535, -12, -2147483647 - 1, 3, 0};
    ASSERT_EQ(ArrayToFileAppend(f.c_str(), row, 6, 0), 0);
    ASSERT_EQ(ArrayToFileAppend(f.c_str(), row, 2, 7), 0);
    EXPECT_EQ(slurp(f), std::string(head) + "    5\n" + "SETPOINT-VALUE [\xB5m]: 37000\n" +
                            "100\t65535\t-12\t-2147483648\t3\t0\n" + "    100\t  65535\n");

    EXPECT_EQ(ArrayToFileAppend(f.c_str(), head, -1), UIEBadValue);
    EXPECT_EQ(ArrayToFileAppend(path("no/dir/rec.dat").c_str(), head, 3), UIEFileOpen);
    // A full disk shows only when the data is flushed: still an error.
    EXPECT_EQ(ArrayToFileAppend("/dev/full", head, 3), UIEFileWrite);
    EXPECT_EQ(ArrayToFileAppend("/dev/full", row, 6, 16), UIEFileWrite);
}

TEST_F(FilesTest, Latin1NamesRoundTripAndDelete) {
    const std::string f = path("Me\xDF" "wert-\xB5.dat");  // ISO 8859-1 bytes, as the program holds them
    const uint32_t v[] = {42};
    ASSERT_EQ(ArrayToFile(f.c_str(), v, 1, 10), 0);
    uint32_t back = 0;
    ASSERT_EQ(FileToArray(f.c_str(), &back, 1), 0);
    EXPECT_EQ(back, 42u);
    EXPECT_TRUE(QDir(dir.path()).exists(QString::fromUtf8("Me\xC3\x9Fwert-\xC2\xB5.dat")));
    EXPECT_EQ(CVI_DeleteFile(f.c_str()), 0);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    EXPECT_LT(CVI_DeleteFile(f.c_str()), 0);
    EXPECT_LT(CVI_DeleteFile(""), 0);
}

TEST(Pathnames, JoinWithinTheBufferOrRefuse) {
    char out[MAX_PATHNAME_LEN];
    ASSERT_EQ(MakePathname("/opt/kvor", "KVorRecord.dat", out), 0);
    EXPECT_STREQ(out, "/opt/kvor/KVorRecord.dat");
    ASSERT_EQ(MakePathname("/opt/kvor/", "a.cfg", out), 0);
    EXPECT_STREQ(out, "/opt/kvor/a.cfg");
    ASSERT_EQ(MakePathname("", "a.cfg", out), 0);
    EXPECT_STREQ(out, "a.cfg");

    // 259 bytes and the terminator fit exactly; one more does not.
    const std::string dirName(200, 'd');
    const std::string fits(MAX_PATHNAME_LEN - 1 - 201, 'f');
    ASSERT_EQ(MakePathname(dirName.c_str(), fits.c_str(), out), 0);
    EXPECT_EQ(std::strlen(out), static_cast<std::size_t>(MAX_PATHNAME_LEN - 1));
    const std::string tooLong = fits + "g";
    EXPECT_EQ(MakePathname(dirName.c_str(), tooLong.c_str(), out), -1);
    EXPECT_STREQ(out, "");
}

TEST(ProjectDir, ExecutableDirectoryUnlessSet) {
    char dir[MAX_PATHNAME_LEN];
    ASSERT_EQ(GetProjectDir(dir), 0);
    EXPECT_EQ(QString::fromLatin1(dir), QCoreApplication::applicationDirPath());
    SetProjectDir("/tmp/kvor-project");
    ASSERT_EQ(GetProjectDir(dir), 0);
    EXPECT_STREQ(dir, "/tmp/kvor-project");
    SetProjectDir(nullptr);
    ASSERT_EQ(GetProjectDir(dir), 0);
    EXPECT_EQ(QString::fromLatin1(dir), QCoreApplication::applicationDirPath());
}

TEST(TimeAndText, FormatsAndMonotonicTimer) {
    EXPECT_TRUE(std::regex_match(DateStr(), std::regex(R"((0[1-9]|1[0-2])-(0[1-9]|[12]\d|3[01])-\d{4})"))) << DateStr();
    EXPECT_TRUE(std::regex_match(TimeStr(), std::regex(R"(([01]\d|2[0-3]):[0-5]\d:[0-5]\d)"))) << TimeStr();
    const double a = Timer();
    Delay(0.01);
    const double b = Timer();
    EXPECT_GE(b - a, 0.01);
    Delay(-1.0);  // nothing to wait for
    Delay(0.0 / 0.0);
    EXPECT_EQ(StringLength("SETPOINT-VALUE [\xB5m]: "), 21);
    EXPECT_EQ(StringLength(""), 0);
    EXPECT_EQ(StringLength(nullptr), 0);
}

}  // namespace
