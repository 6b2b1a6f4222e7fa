// Writing the files that must never be lost: a full disk, a read-only file, a
// link, modes, folders made with their parents, and the writers' lock.
#include "../common/SmallDisk.h"
#include "UFileIO.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray readBytes(const QString& Path) {
    QFile f(Path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& Path, const QByteArray& Bytes) {
    QFile f(Path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(Bytes), Bytes.size());
}

mode_t modeOf(const QString& Path) {
    struct stat st {};
    if (::stat(QFile::encodeName(Path).constData(), &st) != 0)
        return 0;
    return st.st_mode & 07777;
}

QStringList entries(const QString& Dir) {
    return QDir(Dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class TestFileIO : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void fullDiskKeepsOldFile_data();
    void fullDiskKeepsOldFile();
    void newFilesArePrivateExistingKeepTheirMode();
    void readOnlyFileRefusedAlsoForRoot();
    void linkKeepsPointingAtItsTarget();
    void interruptedWriteLeavesNoTrace();
    void dataFolderMadeWithParents();
    void folderInTheWayOfAFile();
    void lockHeldByAnotherWriter();
    void lockOfADeadProcessTakenOver();
};

void TestFileIO::cleanup() {
    FileIOTesting::SetWriteFault(0);
    FileIOTesting::SetBeforeCommitHook({});
}

void TestFileIO::fullDiskKeepsOldFile_data() {
    QTest::addColumn<bool>("realDisk");
    QTest::addColumn<int>("newSize");
    // Small files are the ones a buffered writer lost: the whole file sat in
    // the buffer, and only the flush found the disk full.
    QTest::newRow("full tmpfs, small file") << true << 2000;
    QTest::newRow("full tmpfs, larger file") << true << 20000;
    QTest::newRow("injected, small file") << false << 2000;
    QTest::newRow("injected, larger file") << false << 20000;
}

void TestFileIO::fullDiskKeepsOldFile() {
    QFETCH(bool, realDisk);
    QFETCH(int, newSize);
    SmallDisk disk;
    QTemporaryDir plain;
    QString dir = plain.path();
    if (realDisk) {
        if (!disk.Mounted())
            QSKIP("a real small disk needs the superuser (as in CI); the injected rows cover it");
        dir = disk.Path();
    }
    const QString path = dir + QStringLiteral("/Notes.xml");
    const QByteArray old(1500, 'o');
    writeBytes(path, old);
    if (realDisk)
        disk.Fill();
    else
        FileIOTesting::SetWriteFault(ENOSPC, 100);
    const QStringList before = entries(dir);
    try {
        FileIO::WriteFileAtomically(path, QByteArray(newSize, 'n'));
        QFAIL("a write onto a full disk must fail");
    } catch (const FileError& e) {
        QVERIFY2(e.Message().contains(QStringLiteral("磁盘空间不足")), qPrintable(e.Message()));
        QVERIFY2(e.Message().contains(path), qPrintable(e.Message()));
    }
    QCOMPARE(readBytes(path), old);
    QCOMPARE(entries(dir), before);
}

void TestFileIO::newFilesArePrivateExistingKeepTheirMode() {
    QTemporaryDir dir;
    const QString fresh = dir.filePath(QStringLiteral("Notes.xml"));
    FileIO::WriteFileAtomically(fresh, "new");
    QCOMPARE(modeOf(fresh), mode_t(0600));
    QCOMPARE(readBytes(fresh), QByteArray("new"));

    const QString shared = dir.filePath(QStringLiteral("Config.ini"));
    writeBytes(shared, "old");
    QVERIFY(::chmod(QFile::encodeName(shared).constData(), 0640) == 0);
    FileIO::WriteFileAtomically(shared, "newer");
    QCOMPARE(modeOf(shared), mode_t(0640));
    QCOMPARE(readBytes(shared), QByteArray("newer"));
}

void TestFileIO::readOnlyFileRefusedAlsoForRoot() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Notes.xml"));
    writeBytes(path, "kept");
    QVERIFY(::chmod(QFile::encodeName(path).constData(), 0444) == 0);
    try {
        FileIO::WriteFileAtomically(path, "replaced");
        QFAIL("a file without write bits must not be replaced");
    } catch (const FileError& e) {
        QVERIFY2(e.Message().contains(QStringLiteral("没有写入权限")), qPrintable(e.Message()));
    }
    QCOMPARE(readBytes(path), QByteArray("kept"));
    QCOMPARE(modeOf(path), mode_t(0444));
}

void TestFileIO::linkKeepsPointingAtItsTarget() {
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("synced/Notes.xml"));
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("synced"))));
    writeBytes(target, "old");
    const QString link = dir.filePath(QStringLiteral("Notes.xml"));
    QVERIFY(QFile::link(target, link));
    FileIO::WriteFileAtomically(link, "new");
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readBytes(target), QByteArray("new"));
}

void TestFileIO::interruptedWriteLeavesNoTrace() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Notes.xml"));
    writeBytes(path, "old");
    FileIOTesting::SetBeforeCommitHook([] { throw FileError(QStringLiteral("停电")); });
    QVERIFY_THROWS_EXCEPTION(FileError, FileIO::WriteFileAtomically(path, "new"));
    QCOMPARE(readBytes(path), QByteArray("old"));
    QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("Notes.xml")});
}

void TestFileIO::dataFolderMadeWithParents() {
    // A new account: not even ~/.local/share exists yet.
    QTemporaryDir home;
    QVERIFY(::chmod(QFile::encodeName(home.path()).constData(), 0755) == 0);
    const QString data = home.filePath(QStringLiteral(".local/share/VORNCalendar"));
    FileIO::MakePrivateDir(data);
    QVERIFY(QFileInfo(data).isDir());
    QCOMPARE(modeOf(home.filePath(QStringLiteral(".local"))), mode_t(0700));
    QCOMPARE(modeOf(home.filePath(QStringLiteral(".local/share"))), mode_t(0700));
    QCOMPARE(modeOf(data), mode_t(0700));
    QCOMPARE(modeOf(home.path()), mode_t(0755)); // what existed stays as it was
    FileIO::MakePrivateDir(data);                // and again is no failure
    FileIO::WriteFileAtomically(data + QStringLiteral("/Notes.xml"), "x");
    QCOMPARE(modeOf(data + QStringLiteral("/Notes.xml")), mode_t(0600));
}

void TestFileIO::folderInTheWayOfAFile() {
    QTemporaryDir dir;
    writeBytes(dir.filePath(QStringLiteral("VORNCalendar")), "a file, not a folder");
    QVERIFY_THROWS_EXCEPTION(FileError,
                             FileIO::MakePrivateDir(dir.filePath(QStringLiteral("VORNCalendar"))));
    QVERIFY_THROWS_EXCEPTION(
        FileError, FileIO::MakePrivateDir(dir.filePath(QStringLiteral("VORNCalendar/sub"))));
    QVERIFY_THROWS_EXCEPTION(
        FileError,
        FileIO::WriteFileAtomically(dir.filePath(QStringLiteral("VORNCalendar/Notes.xml")), "x"));
}

void TestFileIO::lockHeldByAnotherWriter() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Notes.xml"));
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        // Another process holds the lock for a while.
        FileIO::TFileLock lock(path);
        ::usleep(600 * 1000);
        ::_exit(0);
    }
    // Wait until the child holds it.
    ::usleep(150 * 1000);
    try {
        FileIO::TFileLock lock(path, 50);
        QFAIL("the lock is held by the other process");
    } catch (const FileError& e) {
        QVERIFY2(e.Message().contains(QStringLiteral("另一个程序正在修改")),
                 qPrintable(e.Message()));
    }
    // A patient writer gets it once the other is done.
    FileIO::TFileLock lock(path, 5000);
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
}

void TestFileIO::lockOfADeadProcessTakenOver() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Notes.xml"));
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        // Dies holding the lock, as a crash would.
        FileIO::TFileLock lock(path);
        ::_exit(0);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(QFile::exists(FileIO::TFileLock::LockPathFor(path)));
    FileIO::TFileLock lock(path, 1000);
}

QTEST_GUILESS_MAIN(TestFileIO)
#include "tst_fileio.moc"
