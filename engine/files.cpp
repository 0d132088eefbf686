// Array files, path joining and the program's directory.
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <unistd.h>

#include <cstring>
#include <limits>
#include <vector>

#include "engine/cvi.h"
#include "engine/internal.h"
#include "engine/numlist.h"

namespace {

QByteArray g_projectDir;  // empty: the executable's directory

QByteArray executableDir() {
    if (QCoreApplication::instance()) return engine::toProgram(QCoreApplication::applicationDirPath());
    // Before the engine starts: ask the kernel where we run from.
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return QByteArray(".");
    QByteArray exe(buf, static_cast<int>(n));
    const int slash = exe.lastIndexOf('/');
    return slash > 0 ? exe.left(slash) : QByteArray("/");
}

// Right-aligns `text` in `width` characters; a wider text is kept whole.
void appendField(QByteArray& out, const QByteArray& text, int width) {
    if (width > text.size()) out.append(QByteArray(width - text.size(), ' '));
    out.append(text);
}

template <class T>
QByteArray numberRow(const T* values, int count, int fieldWidth) {
    QByteArray row;
    for (int i = 0; i < count; ++i) {
        if (i) row.append('\t');
        appendField(row, QByteArray::number(values[i]), fieldWidth);
    }
    row.append('\n');
    return row;
}

// Appends bytes to a file, creating it. Write errors (a full disk shows only
// when the data is flushed) are reported, not swallowed.
int appendBytes(const char* fileName, const QByteArray& bytes) {
    if (!fileName || !*fileName) return UIEFileOpen;
    QFile f(engine::fromProgram(fileName));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) return UIEFileOpen;
    if (f.write(bytes) != bytes.size() || !f.flush()) return UIEFileWrite;
    f.close();
    return f.error() == QFileDevice::NoError ? 0 : UIEFileWrite;
}

template <class T>
int appendRow(const char* fileName, const T* values, int count, int fieldWidth) {
    if (count < 0 || (count > 0 && !values)) return UIEBadValue;
    return appendBytes(fileName, numberRow(values, count, fieldWidth));
}

// Reads the first `count` numbers of a file into `values`, or leaves them
// untouched and returns an error.
template <class T>
int readArray(const char* fileName, T* values, int count) {
    if (count < 0 || (count > 0 && !values) || !fileName) return UIEBadValue;
    QFile f(engine::fromProgram(fileName));
    if (!f.open(QIODevice::ReadOnly)) return UIEFileOpen;
    engine::NumberListReader reader(static_cast<std::size_t>(count), std::numeric_limits<T>::min(),
                                    std::numeric_limits<T>::max());
    std::vector<char> chunk(64 * 1024);
    while (!reader.complete() && !reader.failed()) {
        const qint64 n = f.read(chunk.data(), static_cast<qint64>(chunk.size()));
        if (n < 0) return UIEFileRead;
        if (n == 0) {
            reader.finish();
            break;
        }
        reader.feed(chunk.data(), static_cast<std::size_t>(n));
    }
    if (!reader.complete()) return UIEFileRead;
    for (int i = 0; i < count; ++i) values[i] = static_cast<T>(reader.values()[static_cast<std::size_t>(i)]);
    return 0;
}

}  // namespace

int ArrayToFile(const char* fileName, const uint32_t* values, int count, int fieldWidth) {
    if (!fileName || !*fileName) return UIEFileOpen;
    if (count < 0 || (count > 0 && !values)) return UIEBadValue;
    QByteArray text;
    for (int i = 0; i < count; ++i) {
        appendField(text, QByteArray::number(values[i]), fieldWidth);
        text.append('\n');
    }
    // The old file is replaced only by a complete new one where that can be
    // made. Where no new file can be put beside it (a folder without write
    // access: open fails; a name with no room for a temporary one: commit
    // fails after the data was written), the old file is written in place;
    // QSaveFile's own fallback stays off so that this failure is told apart.
    const QString name = engine::fromProgram(fileName);
    QSaveFile f(name);
    if (f.open(QIODevice::WriteOnly)) {
        if (f.write(text) != text.size()) {
            f.cancelWriting();
            f.commit();
            return UIEFileWrite;
        }
        if (f.commit()) return 0;
        if (f.error() == QFileDevice::WriteError) return UIEFileWrite;
    }
    QFile old(name);
    if (!QFileInfo(name).isFile() || !old.open(QIODevice::WriteOnly | QIODevice::Truncate)) return UIEFileOpen;
    const bool written = old.write(text) == text.size() && old.flush() && ::fsync(old.handle()) == 0;
    return written ? 0 : UIEFileWriteInPlace;
}

int GetFileInfo(const char* fileName, long* fileSize) {
    const QFileInfo info(engine::fromProgram(fileName ? fileName : ""));
    if (!fileName || !info.isFile()) return 0;
    if (fileSize) *fileSize = static_cast<long>(info.size());
    return 1;
}

int ArrayToFileAppend(const char* fileName, const char* chars, int count) {
    if (count < 0 || (count > 0 && !chars)) return UIEBadValue;
    return appendBytes(fileName, QByteArray(chars, count));
}

int ArrayToFileAppend(const char* fileName, const int32_t* values, int count, int fieldWidth) {
    return appendRow(fileName, values, count, fieldWidth);
}

int ArrayToFileAppend(const char* fileName, const uint32_t* values, int count, int fieldWidth) {
    return appendRow(fileName, values, count, fieldWidth);
}

int FileToArray(const char* fileName, uint32_t* values, int count) { return readArray(fileName, values, count); }

int FileToArray(const char* fileName, int16_t* values, int count) { return readArray(fileName, values, count); }

int SyncFile(const char* fileName) {
    if (!fileName || !*fileName) return UIEFileOpen;
    QFile f(engine::fromProgram(fileName));
    if (!f.open(QIODevice::ReadOnly)) return UIEFileOpen;
    return ::fsync(f.handle()) == 0 ? 0 : UIEFileWrite;
}

int CVI_DeleteFile(const char* fileName) {
    if (!fileName || !*fileName) return UIEFileOpen;
    QFile f(engine::fromProgram(fileName));
    if (!f.exists()) return UIEFileOpen;
    return f.remove() ? 0 : UIEFileWrite;
}

int MakePathname(const char* directory, const char* fileName, char* pathName) {
    if (!pathName) return -1;
    const std::size_t dirLen = directory ? std::strlen(directory) : 0;
    const std::size_t nameLen = fileName ? std::strlen(fileName) : 0;
    const bool slash = dirLen > 0 && directory[dirLen - 1] != '/';
    const std::size_t total = dirLen + (slash ? 1 : 0) + nameLen;
    if (total + 1 > MAX_PATHNAME_LEN) {
        pathName[0] = '\0';
        return -1;
    }
    if (dirLen) std::memcpy(pathName, directory, dirLen);
    if (slash) pathName[dirLen] = '/';
    if (nameLen) std::memcpy(pathName + dirLen + (slash ? 1 : 0), fileName, nameLen);
    pathName[total] = '\0';
    return 0;
}

int GetProjectDir(char* directory) {
    if (!directory) return -1;
    const QByteArray dir = g_projectDir.isEmpty() ? executableDir() : g_projectDir;
    if (dir.size() + 1 > MAX_PATHNAME_LEN) {
        directory[0] = '\0';
        return -1;
    }
    std::memcpy(directory, dir.constData(), static_cast<std::size_t>(dir.size()));
    directory[dir.size()] = '\0';
    return 0;
}

void SetProjectDir(const char* directory) { g_projectDir = directory ? QByteArray(directory) : QByteArray(); }

int GetUserFileDir(char* directory) {
    if (!directory || GetProjectDir(directory) < 0) return -1;
    // Where a file can be made beside the program (the build tree, an
    // unpacked copy), the user's files go there too.
    QTemporaryFile probe(QString::fromLocal8Bit(directory) + QStringLiteral("/.kvor-XXXXXX"));
    if (probe.open()) return 0;
    QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (docs.isEmpty()) docs = QDir::homePath();
    QDir().mkpath(docs);
    const QByteArray path = docs.toLocal8Bit();
    if (path.size() + 1 > MAX_PATHNAME_LEN) return -1;
    std::memcpy(directory, path.constData(), static_cast<std::size_t>(path.size()) + 1);
    return 0;
}
