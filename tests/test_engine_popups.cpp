// File selection and confirmation pop-ups answered from the test queue.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <tuple>

#include "engine/cvi.h"
#include "engine/testing_io.h"

namespace {

class PopupTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestResetPopups();
        std::ofstream(path("KVORpara.cfg")) << "1\n";
        std::memset(buf, 'Z', sizeof buf);
    }
    void TearDown() override { TestResetPopups(); }
    std::string path(const std::string& name) const { return dir.path().toStdString() + "/" + name; }
    int select(int button, int restrictExtension = 1) {
        return FileSelectPopup(dir.path().toStdString().c_str(), "KVORpara.cfg", "*.cfg", "K-VOR-MS-Series Parameter File",
                               button, 0, restrictExtension, 1, 1, buf);
    }
    bool guardIntact() const {
        for (std::size_t i = MAX_PATHNAME_LEN; i < sizeof buf; ++i)
            if (buf[i] != 'Z') return false;
        return true;
    }
    QTemporaryDir dir;
    char buf[MAX_PATHNAME_LEN + 40];
};

// Typed names without the extension get it; relative ones land in the
// dialog's directory. Loading takes only existing files; cancelling, and a
// path too long for the buffer (cut, it would name another file), give none.
TEST_F(PopupTest, AnswersTellExistingFromNewAndGiveNoFileOtherwise) {
    const struct {
        std::string answer;
        int button, restrict, result;
        const char* file;  // nullptr: the path comes back empty
    } cases[] = {
        {path("KVORpara.cfg"), VAL_OK_BUTTON, 1, VAL_EXISTING_FILE_SELECTED, "KVORpara.cfg"},
        {path("other.cfg"), VAL_SAVE_BUTTON, 1, VAL_NEW_FILE_SELECTED, "other.cfg"},
        {"typed", VAL_OK_BUTTON, 1, VAL_NEW_FILE_SELECTED, "typed.cfg"},
        {"KVORpara", VAL_OK_BUTTON, 1, VAL_EXISTING_FILE_SELECTED, "KVORpara.cfg"},
        {"UPPER.CFG", VAL_OK_BUTTON, 1, VAL_NEW_FILE_SELECTED, "UPPER.CFG"},
        {"free.txt", VAL_OK_BUTTON, 0, VAL_NEW_FILE_SELECTED, "free.txt"},
        {path("KVORpara.cfg"), VAL_LOAD_BUTTON, 1, VAL_EXISTING_FILE_SELECTED, "KVORpara.cfg"},
        {path("missing.cfg"), VAL_LOAD_BUTTON, 1, VAL_NO_FILE_SELECTED, nullptr},
        {dir.path().toStdString(), VAL_SELECT_BUTTON, 0, VAL_NO_FILE_SELECTED, nullptr},
        {"", VAL_OK_BUTTON, 1, VAL_NO_FILE_SELECTED, nullptr},
        {path(std::string(MAX_PATHNAME_LEN, 'n') + ".cfg"), VAL_OK_BUTTON, 1, VAL_NO_FILE_SELECTED, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        TestQueueFileSelect(c.answer);
        EXPECT_EQ(select(c.button, c.restrict), c.result);
        EXPECT_EQ(std::string(buf), c.file ? path(c.file) : "");
        EXPECT_EQ(TestPopupLog().back().result, c.result);
    }
    EXPECT_TRUE(guardIntact());
}

// Scripted runs without dialogs: queued answers still win; an unqueued
// pop-up answers no and says on stderr what it was asked.
TEST_F(PopupTest, WithoutDialogsAnUnqueuedPopupAnswersNoAndSaysSo) {
    setenv("KVOR_NO_DIALOGS", "1", 1);
    TestQueueConfirm(1);
    testing::internal::CaptureStderr();
    const int file = select(VAL_OK_BUTTON);
    const int queued = ConfirmPopup("ATTENTION!", "Overwrite ?");
    const int unqueued = ConfirmPopup("ATTENTION!", "Overwrite ?");
    const std::string err = testing::internal::GetCapturedStderr();
    unsetenv("KVOR_NO_DIALOGS");
    EXPECT_EQ(std::tuple(file, queued, unqueued), std::tuple(VAL_NO_FILE_SELECTED, 1, 0));
    EXPECT_STREQ(buf, "");
    EXPECT_NE(err.find("K-VOR-MS-Series Parameter File"), std::string::npos) << err;
    EXPECT_NE(err.find("ATTENTION!"), std::string::npos) << err;
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
    EXPECT_EQ(std::string(buf), path("typed.cfg"));
    EXPECT_EQ(title, "K-VOR-MS-Series Parameter File");

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
