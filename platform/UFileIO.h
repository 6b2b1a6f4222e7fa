// Files that must never be lost: the notes and the settings. Every write goes
// through WriteFileAtomically, every folder the program makes through
// MakePrivateDir, and every read-modify-write of a shared file holds a
// TFileLock on a lock file beside it.
//
// Errors of this layer are thrown as FileError, whose text is meant for the
// user: Chinese, naming the file and what happened (for example 磁盘空间不足
// or 没有写入权限), with the system's own detail in brackets.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <stdexcept>

class QLockFile;

class FileError : public std::runtime_error {
public:
    explicit FileError(const QString& Message);
    QString Message() const { return QString::fromUtf8(what()); }
};

namespace FileIO {

// What a failed system call with the error number Errno means to the user:
// 磁盘空间不足, 没有写入权限, 文件夹不存在, … (Chinese, no full stop).
QString DescribeErrno(int Errno);

// Makes Dir and every missing parent. Folders made here get mode 0700
// (readable by the user alone); folders that exist are left as they are.
// FileError when a folder cannot be made or Dir exists as a file.
void MakePrivateDir(const QString& Dir);

// Replaces the file at Path with Bytes so that, whatever happens, Path holds
// either its old bytes or all of the new ones:
//  - a file without any write bit (or one the user may not write) is refused,
//    also for the superuser;
//  - the new bytes go to a fresh file in the same folder; every write and
//    the flush to disk are checked, and only then does a rename put it in
//    place; the folder entry is flushed after the rename where the system
//    allows it;
//  - an existing file keeps its mode (and its owner where the process may
//    set it); a new file is made 0600; a symbolic link keeps pointing where
//    it did, and its target is replaced.
// FileError on any failure; the file is then byte for byte as it was, and no
// temporary file is left behind.
void WriteFileAtomically(const QString& Path, const QByteArray& Bytes);

// The whole file. FileError when it is missing or cannot be read.
QByteArray ReadWholeFile(const QString& Path);

// An exclusive advisory lock on the lock file Path + ".lock", held from
// construction to destruction. Every process that changes the file takes it,
// so each read-modify-write sees the file as the one before left it. On Unix
// it is a flock() on an empty file that stays in place (made 0600): the
// system lets go of it when its holder ends, however it ends, and an empty
// file can still be made on a full disk. Throws FileError when the lock cannot
// be had within Timeout milliseconds (another writer holds it that long) or
// the lock file cannot be made.
class TFileLock {
public:
    explicit TFileLock(const QString& Path, int TimeoutMs = 5000);
    ~TFileLock();
    TFileLock(const TFileLock&) = delete;
    TFileLock& operator=(const TFileLock&) = delete;

    static QString LockPathFor(const QString& Path) { return Path + QStringLiteral(".lock"); }

private:
    int FFd = -1;
    std::unique_ptr<QLockFile> FLock; // where there is no flock()
};

} // namespace FileIO

namespace FileIOTesting {
// Called after the new bytes are written and flushed to the temporary file,
// before it replaces the old one: lets tests break a save at its most
// delicate moment. An empty function removes the hook.
void SetBeforeCommitHook(std::function<void()> Hook);
// Makes every write of WriteFileAtomically fail with the error number Errno
// once Budget bytes have been written (0 fails the first write), as a full
// disk would; Errno 0 removes the fault.
void SetWriteFault(int Errno, qint64 Budget = 0);
} // namespace FileIOTesting
