// File selection and confirmation pop-ups over Qt dialogs, or over scripted
// answers when tests or scripted runs have queued them.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/cvi.h"
#include "engine/internal.h"
#include "engine/popup_queue.h"

namespace engine {
PopupScript& popupScript() {
    static PopupScript s;
    return s;
}
}  // namespace engine

namespace {

bool dialogsDisabled() { return std::getenv("KVOR_NO_DIALOGS") != nullptr; }

QWidget* dialogParent() { return QApplication::activeWindow(); }

// The first pattern of a list like "*.cfg" or "*.cfg;*.txt" as a suffix
// without the dot ("cfg"); empty when it names no single extension.
QString firstSuffix(const QString& fileTypeList) {
    const QString first = fileTypeList.split(QRegularExpression(QStringLiteral("[;, ]")), Qt::SkipEmptyParts).value(0);
    if (!first.startsWith(QLatin1String("*.")) || first.size() < 3) return {};
    const QString suffix = first.mid(2);
    if (suffix.contains(QLatin1Char('*')) || suffix.contains(QLatin1Char('?'))) return {};
    return suffix;
}

bool acceptsNewName(int buttonLabel) { return buttonLabel == VAL_OK_BUTTON || buttonLabel == VAL_SAVE_BUTTON; }

// Resolves a chosen name as the dialog would: relative to the start
// directory, with the extension appended when it must be that one.
QString completePath(QString chosen, const QString& directory, const QString& suffix, bool restrictExtension) {
    if (QFileInfo(chosen).isRelative()) chosen = QDir(directory.isEmpty() ? QDir::currentPath() : directory).filePath(chosen);
    if (restrictExtension && !suffix.isEmpty() &&
        QFileInfo(chosen).suffix().compare(suffix, Qt::CaseInsensitive) != 0)
        chosen += QLatin1Char('.') + suffix;
    return QDir::cleanPath(chosen);
}

QString showFileDialog(const QString& directory, const QString& fileName, const QString& filter, const QString& title,
                       int buttonLabel, bool restrictDirectory, const QString& suffix, bool restrictExtension,
                       bool allowMakeDirectory) {
    QFileDialog dlg(dialogParent(), title);
    dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    // The program asks its own overwrite question.
    dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!allowMakeDirectory) dlg.setOption(QFileDialog::ReadOnly, true);
    if (!directory.isEmpty()) dlg.setDirectory(directory);
    if (!filter.isEmpty()) dlg.setNameFilter(filter);
    if (acceptsNewName(buttonLabel)) {
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setFileMode(QFileDialog::AnyFile);
    } else {
        dlg.setAcceptMode(QFileDialog::AcceptOpen);
        dlg.setFileMode(QFileDialog::ExistingFile);
    }
    static const char* labels[] = {"OK", "Save", "Select", "Load"};
    if (buttonLabel >= 0 && buttonLabel <= 3) dlg.setLabelText(QFileDialog::Accept, QString::fromLatin1(labels[buttonLabel]));
    if (restrictExtension && !suffix.isEmpty()) dlg.setDefaultSuffix(suffix);
    if (!fileName.isEmpty()) dlg.selectFile(fileName);
    if (restrictDirectory && !directory.isEmpty())
        QObject::connect(&dlg, &QFileDialog::directoryEntered, &dlg, [&dlg, directory](const QString& entered) {
            if (QDir(entered) != QDir(directory)) dlg.setDirectory(directory);
        });
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
    return dlg.selectedFiles().first();
}

}  // namespace

int FileSelectPopup(const char* defaultDirectory, const char* defaultFileName, const char* fileTypeList,
                    const char* title, int buttonLabel, int restrictDirectory, int restrictExtension, int allowCancel,
                    int allowMakeDirectory, char* pathName) {
    engine::PopupCall call;
    call.kind = "FileSelectPopup";
    call.title = title ? title : "";
    call.defaultDirectory = defaultDirectory ? defaultDirectory : "";
    call.defaultFileName = defaultFileName ? defaultFileName : "";
    call.fileTypeList = fileTypeList ? fileTypeList : "";
    call.buttonLabel = buttonLabel;
    call.restrictDirectory = restrictDirectory;
    call.restrictExtension = restrictExtension;
    call.allowCancel = allowCancel;
    call.allowMakeDirectory = allowMakeDirectory;

    const QString directory = engine::fromProgram(defaultDirectory);
    const QString suffix = firstSuffix(engine::fromProgram(fileTypeList));
    engine::PopupScript& script = engine::popupScript();

    QString chosen;
    if (!script.fileAnswers.empty()) {
        chosen = engine::fromProgram(script.fileAnswers.front().c_str());
        script.fileAnswers.pop_front();
    } else if (dialogsDisabled()) {
        std::fprintf(stderr, "kvor: file selection \"%s\" answered cancel (KVOR_NO_DIALOGS)\n", call.title.c_str());
    } else {
        chosen = showFileDialog(directory, engine::fromProgram(defaultFileName), engine::fromProgram(fileTypeList),
                                engine::fromProgram(title), buttonLabel, restrictDirectory != 0, suffix,
                                restrictExtension != 0, allowMakeDirectory != 0);
    }

    int result = VAL_NO_FILE_SELECTED;
    QByteArray path;
    if (!chosen.isEmpty()) {
        const QString full = completePath(chosen, directory, suffix, restrictExtension != 0);
        const QFileInfo info(full);
        path = engine::toProgram(full);
        if (info.exists() && !info.isDir())
            result = VAL_EXISTING_FILE_SELECTED;
        else if (acceptsNewName(buttonLabel) && !info.exists())
            result = VAL_NEW_FILE_SELECTED;
        // A path cut to fit the buffer, or with characters the program's
        // ISO 8859-1 texts cannot hold, would name some other file.
        if (path.size() + 1 > MAX_PATHNAME_LEN) {
            std::fprintf(stderr, "kvor: chosen path is longer than %d bytes, ignored\n", MAX_PATHNAME_LEN - 1);
            result = VAL_NO_FILE_SELECTED;
        } else if (engine::fromProgram(path.constData()) != full) {
            std::fprintf(stderr, "kvor: chosen path has characters outside ISO 8859-1, ignored\n");
            result = VAL_NO_FILE_SELECTED;
        }
    }
    if (result == VAL_NO_FILE_SELECTED) path.clear();
    if (pathName) {
        if (result != VAL_NO_FILE_SELECTED) {
            std::memcpy(pathName, path.constData(), static_cast<std::size_t>(path.size()));
            pathName[path.size()] = '\0';
        } else {
            pathName[0] = '\0';
        }
    }
    call.result = result;
    call.path = path.toStdString();
    script.log.push_back(call);
    return result;
}

int ConfirmPopup(const char* title, const char* message) {
    engine::PopupCall call;
    call.kind = "ConfirmPopup";
    call.title = title ? title : "";
    call.message = message ? message : "";
    engine::PopupScript& script = engine::popupScript();
    int answer = 0;
    if (!script.confirmAnswers.empty()) {
        answer = script.confirmAnswers.front() ? 1 : 0;
        script.confirmAnswers.pop_front();
    } else if (dialogsDisabled()) {
        std::fprintf(stderr, "kvor: question \"%s\" answered no (KVOR_NO_DIALOGS)\n", call.title.c_str());
    } else {
        answer = QMessageBox::question(dialogParent(), engine::fromProgram(title), engine::fromProgram(message),
                                       QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
    }
    call.result = answer;
    script.log.push_back(call);
    return answer;
}
