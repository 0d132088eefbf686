// Array files, paths, the program's directory, time and text helpers, and
// the file selection and confirmation pop-ups answered from the test queue
// or by a "user" on the real dialogs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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

class FilesTest : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return dir.path().toStdString() + "/" + name; }
    // Writes `text` to rec.dat and reads its first `count` numbers.
    template <class T>
    int readText(const std::string& text, T* values, int count) {
        std::ofstream(path("rec.dat"), std::ios::binary) << text;
        return FileToArray(path("rec.dat").c_str(), values, count);
    }
    QTemporaryDir dir;
};

// Whatever the spacing, also across the reader's chunks.
TEST_F(FilesTest, ColumnFileRoundTripsAndTheReaderTakesTheFirstNumbers) {
    const uint32_t values[] = {1, 0, 65535, 4294967295u, 123456};
    const std::string f = path("para.cfg");
    ASSERT_EQ(ArrayToFile(f.c_str(), values, 5, 6), 0);
    EXPECT_EQ(slurp(f), "     1\n     0\n 65535\n4294967295\n123456\n");
    uint32_t back[5] = {};
    ASSERT_EQ(FileToArray(f.c_str(), back, 5), 0);
    EXPECT_TRUE(std::equal(back, back + 5, values));
    std::array<int16_t, 5> v{};
    ASSERT_EQ(readText("  -32768\t0\r\n+32767 0000000000000000012\n\n-5   garbage after the wanted numbers", v.data(), 5), 0);
    EXPECT_EQ(v, (std::array<int16_t, 5>{-32768, 0, 32767, 12, -5}));

    std::string text;
    for (int i = 0; i < 30000; ++i) text += std::to_string(i * 131 % 65536) + (i % 7 ? " " : "\r\n");
    static uint32_t many[30000];
    ASSERT_EQ(readText(text, many, 30000), 0);
    for (int i = 0; i < 30000; ++i) ASSERT_EQ(many[i], static_cast<uint32_t>(i * 131 % 65536)) << i;
}

// A full disk shows only when the data is flushed; a failed read leaves the array as it was.
TEST_F(FilesTest, BadNamesCountsContentsAndDevicesFail) {
    const std::string rec = path("rec.dat"), gone = path("missing.dat"), noDir = path("no/dir/x");
    const std::string home = dir.path().toStdString();
    const char *f = rec.c_str(), *missing = gone.c_str(), *d = home.c_str(), *nowhere = noDir.c_str(), *full = "/dev/full";
    const uint32_t u[] = {7, 8, 9};
    std::array<uint32_t, 3> v = {11, 22, 33};
    EXPECT_CALLS(
        TEST_CALL(FileToArray(missing, v.data(), 3), UIEFileOpen), TEST_CALL(FileToArray(f, v.data(), -1), UIEBadValue),
        TEST_CALL(ArrayToFile(d, u, 3, 10), UIEFileOpen), TEST_CALL(ArrayToFile("", u, 3, 10), UIEFileOpen),
        TEST_CALL(ArrayToFileAppend(f, "x", -1), UIEBadValue), TEST_CALL(ArrayToFileAppend(nowhere, "xyz", 3), UIEFileOpen),
        TEST_CALL(ArrayToFileAppend(full, "xyz", 3), UIEFileWrite), TEST_CALL(ArrayToFileAppend(full, u, 3, 16), UIEFileWrite),
        TEST_CALL(CVI_DeleteFile(missing), UIEFileOpen), TEST_CALL(CVI_DeleteFile(""), UIEFileOpen));
    // Too few numbers, tokens that are no decimal integers, a lone sign, values out of the type's range.
    const std::string texts[] = {"1 2", "1 0x10 3", std::string("1 2\0 3", 6), "1 - 3", "1 4294967296 3", "1 -1 3",
                                 "1 99999999999999999999999999 3"};
    for (const std::string& text : texts) EXPECT_EQ(readText(text, v.data(), 3), UIEFileRead) << text;
    int16_t s = 99;
    for (const char* text : {"32768", "-32769"}) EXPECT_EQ(readText(text, &s, 1), UIEFileRead) << text;
    EXPECT_EQ(std::pair(v, s), std::pair(std::array<uint32_t, 3>{11, 22, 33}, int16_t{99}));
}

// Raw text and number rows.
TEST_F(FilesTest, AppendsAndLatin1Names) {
    const std::string f = path("rec.dat");
    const char label[] = "SETPOINT-VALUE [\xB5m]: ";
    const uint32_t setpoint = 37000;
    const int32_t row[] = {100, 65535, -12, -2147483647 - 1};
    for (int result : {ArrayToFileAppend(f.c_str(), label, 21), ArrayToFileAppend(f.c_str(), &setpoint, 1, 7),
                       ArrayToFileAppend(f.c_str(), row, 4, 0), ArrayToFileAppend(f.c_str(), row, 2, 7)})
        ASSERT_EQ(result, 0);
    EXPECT_EQ(slurp(f), std::string(label) + "  37000\n100\t65535\t-12\t-2147483648\n    100\t  65535\n");
    ASSERT_EQ(CVI_DeleteFile(f.c_str()), 0);
    const std::string latin1 = path("Me\xDF" "wert-\xB5.dat");  // ISO 8859-1 bytes, as the program holds them
    ASSERT_EQ(ArrayToFile(latin1.c_str(), &setpoint, 1, 10), 0);
    EXPECT_TRUE(QDir(dir.path()).exists(QString::fromUtf8("Me\xC3\x9Fwert-\xC2\xB5.dat")));
    EXPECT_EQ(CVI_DeleteFile(latin1.c_str()), 0);
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
    EXPECT_EQ(MakePathname(dirName.c_str(), (fits + "f").c_str(), out), -1);
    EXPECT_STREQ(out, "") << "one byte more leaves no path";
    // The executable's directory unless set.
    SetProjectDir("/tmp/kvor-project");
    EXPECT_TRUE(GetProjectDir(out) == 0 && std::string(out) == "/tmp/kvor-project") << out;
    SetProjectDir(nullptr);
    EXPECT_TRUE(GetProjectDir(out) == 0 && QString::fromLatin1(out) == QCoreApplication::applicationDirPath()) << out;
    // The user's files beside the program where files can be made there,
    // else in the documents folder, made if missing.
    QTemporaryDir home;
    SetProjectDir(home.path().toLatin1().constData());
    EXPECT_TRUE(GetUserFileDir(out) == 0 && QString::fromLatin1(out) == home.path()) << out;
    const QByteArray realHome = qgetenv("HOME");
    qputenv("HOME", home.path().toLatin1());
    SetProjectDir("/proc/self");
    EXPECT_TRUE(GetUserFileDir(out) == 0 && QString::fromLatin1(out) == home.path() + "/Documents") << out;
    EXPECT_TRUE(QFileInfo(QString::fromLatin1(out)).isDir());
    qputenv("HOME", realHome);
    SetProjectDir(nullptr);
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
    EXPECT_EQ(std::pair(StringLength("SETPOINT-VALUE [\xB5m]: "), StringLength(nullptr)), std::pair(21, 0));
}

class PopupTest : public FilesTest {
protected:
    void SetUp() override {
        TestResetPopups();
        std::ofstream(path("KVORpara.cfg")) << "1\n";
        std::memset(buf, 'Z', sizeof buf);
    }
    void TearDown() override { TestResetPopups(); }
    int select(int button, int restrictExtension = 1) {
        return FileSelectPopup(dir.path().toStdString().c_str(), "KVORpara.cfg", "*.cfg", "K-VOR-MS-Series Parameter File",
                               button, 0, restrictExtension, 1, 1, buf);
    }
    char buf[MAX_PATHNAME_LEN + 40];
};

// Typed names without the extension get it; relative ones land in the dialog's
// directory. A path too long for the buffer would name another file if cut.
// A file of nullptr: the path comes back empty.
TEST_F(PopupTest, AnswersTellExistingFromNewAndGiveNoFileOtherwise) {
    const struct { std::string answer; int button, restrict, result; const char* file; } cases[] = {
        {path("KVORpara.cfg"), VAL_OK_BUTTON, 1, VAL_EXISTING_FILE_SELECTED, "KVORpara.cfg"},
        {path("other.cfg"), VAL_SAVE_BUTTON, 1, VAL_NEW_FILE_SELECTED, "other.cfg"},
        {"typed", VAL_OK_BUTTON, 1, VAL_NEW_FILE_SELECTED, "typed.cfg"},
        {"KVORpara", VAL_OK_BUTTON, 1, VAL_EXISTING_FILE_SELECTED, "KVORpara.cfg"},
        {"UPPER.CFG", VAL_OK_BUTTON, 1, VAL_NEW_FILE_SELECTED, "UPPER.CFG"},
        {"free.txt", VAL_OK_BUTTON, 0, VAL_NEW_FILE_SELECTED, "free.txt"},
        {path("missing.cfg"), VAL_LOAD_BUTTON, 1, VAL_NO_FILE_SELECTED, nullptr},
        {dir.path().toStdString(), VAL_SELECT_BUTTON, 0, VAL_NO_FILE_SELECTED, nullptr},
        {"", VAL_OK_BUTTON, 1, VAL_NO_FILE_SELECTED, nullptr},
        {path(std::string(MAX_PATHNAME_LEN, 'n') + ".cfg"), VAL_OK_BUTTON, 1, VAL_NO_FILE_SELECTED, nullptr},
    };
    for (const auto& c : cases) {
        TestQueueFileSelect(c.answer);
        EXPECT_EQ(select(c.button, c.restrict), c.result) << c.answer;
        EXPECT_EQ(std::pair(std::string(buf), TestPopupLog().back().result), std::pair(c.file ? path(c.file) : "", c.result))
            << c.answer;
    }
    EXPECT_EQ(std::string(buf + MAX_PATHNAME_LEN, 40), std::string(40, 'Z')) << "written past the buffer";
}

// Scripted runs: queued answers still win; stderr says what was asked.
TEST_F(PopupTest, WithoutDialogsAnUnqueuedPopupAnswersNoAndSaysSo) {
    setenv("KVOR_NO_DIALOGS", "1", 1);
    TestQueueConfirm(1);
    testing::internal::CaptureStderr();
    const int file = select(VAL_OK_BUTTON);
    const int queued = ConfirmPopup("ATTENTION!", "Overwrite ?");
    const int unqueued = ConfirmPopup("ATTENTION!", "Overwrite ?");
    const std::string err = testing::internal::GetCapturedStderr();
    unsetenv("KVOR_NO_DIALOGS");
    EXPECT_EQ(std::tuple(file, queued, unqueued, std::string(buf)), std::tuple(VAL_NO_FILE_SELECTED, 1, 0, ""));
    EXPECT_TRUE(err.find("K-VOR-MS-Series Parameter File") != err.npos && err.find("ATTENTION!") != err.npos) << err;
}

// The real dialogs, answered by a "user" once they are up.
template <class Dialog, class Act>
void answerWhenShown(Act act) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        if (auto* d = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(d);
        }
    });
    poll->start(10);
}

// Types into the name field, which also drives the dialog's own matching.
void typeName(QFileDialog* d, const QString& name) {
    auto* edit = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    edit->setText(name);
}

TEST_F(PopupTest, RealDialogsAnswerAsTheUserDoes) {
    ASSERT_EQ(std::getenv("KVOR_NO_DIALOGS"), nullptr);
    // No default file to find: the dialog's background directory read would select it over the typed name.
    std::remove(path("KVORpara.cfg").c_str());
    std::string title;
    answerWhenShown<QFileDialog>([&title](QFileDialog* d) {
        title = d->windowTitle().toStdString();
        typeName(d, QStringLiteral("typed"));
        QMetaObject::invokeMethod(d, "accept");
    });
    EXPECT_EQ(select(VAL_OK_BUTTON), VAL_NEW_FILE_SELECTED);
    EXPECT_EQ(std::pair(std::string(buf), title), std::pair(path("typed.cfg"), std::string("K-VOR-MS-Series Parameter File")));

    // A name the program's ISO 8859-1 texts cannot hold is refused, not mangled.
    answerWhenShown<QFileDialog>([](QFileDialog* d) {
        typeName(d, QString::fromUtf8("\xCE\xA9mega"));
        QMetaObject::invokeMethod(d, "accept");
    });
    EXPECT_EQ(select(VAL_OK_BUTTON), VAL_NO_FILE_SELECTED);
    EXPECT_STREQ(buf, "");

    answerWhenShown<QFileDialog>([](QFileDialog* d) { d->reject(); });
    EXPECT_EQ(select(VAL_LOAD_BUTTON), VAL_NO_FILE_SELECTED);

    answerWhenShown<QMessageBox>([](QMessageBox* m) { m->button(QMessageBox::Yes)->click(); });
    EXPECT_EQ(ConfirmPopup("ATTENTION!", "Overwrite ?"), 1);
    answerWhenShown<QMessageBox>([](QMessageBox* m) { m->button(QMessageBox::No)->click(); });
    EXPECT_EQ(ConfirmPopup("ATTENTION!", "Overwrite ?"), 0);
}

}  // namespace
