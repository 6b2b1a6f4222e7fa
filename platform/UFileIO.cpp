#include "UFileIO.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

std::function<void()>& beforeCommitHook() {
    static std::function<void()> hook;
    return hook;
}

struct WriteFault {
    int Errno = 0;
    qint64 Budget = 0;
};

WriteFault& writeFault() {
    static WriteFault fault;
    return fault;
}

QString systemDetail(int Errno) {
    return QString::fromLocal8Bit(std::strerror(Errno));
}

// "无法写入文件 …：磁盘空间不足（No space left on device）"
[[noreturn]] void fail(const QString& What, const QString& Path, int Errno) {
    throw FileError(QStringLiteral("%1 %2：%3（%4）")
                        .arg(What, QDir::toNativeSeparators(Path), FileIO::DescribeErrno(Errno),
                             systemDetail(Errno)));
}

[[noreturn]] void failPlain(const QString& What, const QString& Path, const QString& Why) {
    throw FileError(QStringLiteral("%1 %2：%3").arg(What, QDir::toNativeSeparators(Path), Why));
}

const QString CannotWrite = QStringLiteral("无法写入文件");

} // namespace

FileError::FileError(const QString& Message) : std::runtime_error(Message.toStdString()) {}

namespace FileIO {

QString DescribeErrno(int Errno) {
    switch (Errno) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return QStringLiteral("磁盘空间不足");
    case EACCES:
    case EPERM:
        return QStringLiteral("没有写入权限");
#ifdef EROFS
    case EROFS:
        return QStringLiteral("磁盘是只读的");
#endif
    case ENOENT:
        return QStringLiteral("文件或文件夹不存在");
    case ENOTDIR:
        return QStringLiteral("路径中有一项不是文件夹");
    case EISDIR:
        return QStringLiteral("这是一个文件夹，不是文件");
    case EIO:
        return QStringLiteral("磁盘读写出错");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("打开的文件太多");
    case ENAMETOOLONG:
        return QStringLiteral("文件名太长");
    case EFBIG:
        return QStringLiteral("文件太大");
    default:
        return QStringLiteral("系统错误 %1").arg(Errno);
    }
}

void MakePrivateDir(const QString& Dir) {
    const QString clean = QDir::cleanPath(QDir(Dir).absolutePath());
    QFileInfo info(clean);
    if (info.isDir())
        return;
    if (info.exists())
        failPlain(QStringLiteral("无法建立文件夹"), clean, QStringLiteral("同名的文件已经存在"));
    // The missing folders, outermost first.
    QStringList missing;
    QString at = clean;
    while (!QFileInfo(at).exists()) {
        missing.prepend(at);
        const QString parent = QFileInfo(at).absolutePath();
        if (parent == at)
            break;
        at = parent;
    }
    for (const QString& folder : missing) {
#ifdef Q_OS_UNIX
        const QByteArray native = QFile::encodeName(folder);
        if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
            fail(QStringLiteral("无法建立文件夹"), folder, errno);
#else
        if (!QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) &&
            !QFileInfo(folder).isDir())
            failPlain(QStringLiteral("无法建立文件夹"), folder, QStringLiteral("没有写入权限"));
#endif
    }
    if (!QFileInfo(clean).isDir())
        failPlain(QStringLiteral("无法建立文件夹"), clean, QStringLiteral("同名的文件已经存在"));
}

QByteArray ReadWholeFile(const QString& Path) {
    QFile file(Path);
    if (!file.exists())
        failPlain(QStringLiteral("无法读取文件"), Path, QStringLiteral("文件不存在"));
    if (QFileInfo(Path).isDir())
        failPlain(QStringLiteral("无法读取文件"), Path, QStringLiteral("这是一个文件夹，不是文件"));
    if (!file.open(QIODevice::ReadOnly))
        failPlain(QStringLiteral("无法读取文件"), Path,
                  QStringLiteral("没有读取权限（%1）").arg(file.errorString()));
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        failPlain(QStringLiteral("无法读取文件"), Path,
                  QStringLiteral("磁盘读写出错（%1）").arg(file.errorString()));
    return data;
}

#ifdef Q_OS_UNIX

namespace {

// Writes all of Bytes to Fd, honouring the test fault.
int writeAll(int Fd, const QByteArray& Bytes) {
    const char* data = Bytes.constData();
    qint64 left = Bytes.size();
    qint64 written = 0;
    while (left > 0) {
        qint64 chunk = left;
        WriteFault& fault = writeFault();
        if (fault.Errno != 0) {
            const qint64 room = fault.Budget - written;
            if (room <= 0)
                return fault.Errno;
            chunk = std::min(chunk, room);
        }
        const ssize_t n = ::write(Fd, data, size_t(chunk));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        data += n;
        left -= n;
        written += n;
    }
    return 0;
}

void syncFolder(const QByteArray& Folder) {
    const int fd = ::open(Folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    // Some file systems cannot flush a folder (EINVAL); the rename stands.
    ::fsync(fd);
    ::close(fd);
}

} // namespace

void WriteFileAtomically(const QString& Path, const QByteArray& Bytes) {
    // A link stays a link: its target is what gets replaced.
    QString target = QFileInfo(Path).absoluteFilePath();
    const QFileInfo linkInfo(target);
    if (linkInfo.isSymLink())
        target = linkInfo.exists() ? linkInfo.canonicalFilePath() : linkInfo.symLinkTarget();
    const QByteArray native = QFile::encodeName(target);
    const QString folder = QFileInfo(target).absolutePath();
    const QByteArray nativeFolder = QFile::encodeName(folder);

    struct stat old {};
    const bool exists = ::stat(native.constData(), &old) == 0;
    if (!exists && errno != ENOENT)
        fail(CannotWrite, target, errno);
    if (exists) {
        if (!S_ISREG(old.st_mode))
            failPlain(CannotWrite, target, QStringLiteral("这不是一个普通文件"));
        // A rename would replace a read-only file, and the superuser passes
        // every permission check: a file without write bits is refused here.
        if ((old.st_mode & 0222) == 0 || ::access(native.constData(), W_OK) != 0)
            failPlain(CannotWrite, target, QStringLiteral("没有写入权限（文件是只读的）"));
    }

    QByteArray temp =
        nativeFolder + "/." + QFile::encodeName(QFileInfo(target).fileName()) + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC); // mode 0600
    if (fd < 0)
        fail(CannotWrite, target, errno);
    auto abandon = [&](int Errno) {
        ::close(fd);
        ::unlink(temp.constData());
        fail(CannotWrite, target, Errno);
    };
    if (const int err = writeAll(fd, Bytes))
        abandon(err);
    if (::fsync(fd) != 0)
        abandon(errno);
    if (exists) {
        if (::fchmod(fd, old.st_mode & 07777) != 0)
            abandon(errno);
        // Only the superuser may give the file back to its owner; for anyone
        // else the file is theirs already.
        if (::geteuid() == 0 && (old.st_uid != 0 || old.st_gid != 0))
            (void)::fchown(fd, old.st_uid, old.st_gid);
    }
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temp.constData());
        fail(CannotWrite, target, err);
    }
    if (const auto& hook = beforeCommitHook()) {
        try {
            hook();
        } catch (...) {
            ::unlink(temp.constData());
            throw;
        }
    }
    if (::rename(temp.constData(), native.constData()) != 0) {
        const int err = errno;
        ::unlink(temp.constData());
        fail(CannotWrite, target, err);
    }
    syncFolder(nativeFolder);
}

#else // not Unix: QSaveFile, with the flush checked before the commit

void WriteFileAtomically(const QString& Path, const QByteArray& Bytes) {
    const QFileInfo info(Path);
    if (info.exists()) {
        constexpr QFile::Permissions anyWrite =
            QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
        if (!info.isFile())
            failPlain(CannotWrite, Path, QStringLiteral("这不是一个普通文件"));
        if (!info.isWritable() || !(info.permissions() & anyWrite))
            failPlain(CannotWrite, Path, QStringLiteral("没有写入权限（文件是只读的）"));
    }
    QSaveFile file(Path);
    if (!file.open(QIODevice::WriteOnly))
        failPlain(CannotWrite, Path, file.errorString());
    if (file.write(Bytes) != Bytes.size() || !file.flush()) {
        const QString why = file.errorString();
        file.cancelWriting();
        failPlain(CannotWrite, Path, why);
    }
    if (const auto& hook = beforeCommitHook()) {
        try {
            hook();
        } catch (...) {
            file.cancelWriting();
            throw;
        }
    }
    if (!file.commit())
        failPlain(CannotWrite, Path, file.errorString());
    if (!info.exists())
        QFile::setPermissions(Path, QFile::ReadOwner | QFile::WriteOwner);
}

#endif

#ifdef Q_OS_UNIX

TFileLock::TFileLock(const QString& Path, int TimeoutMs) {
    const QString lockPath = LockPathFor(QFileInfo(Path).absoluteFilePath());
    const QByteArray native = QFile::encodeName(lockPath);
    FFd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (FFd < 0)
        fail(QStringLiteral("无法建立锁文件"), lockPath, errno);
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (::flock(FFd, LOCK_EX | LOCK_NB) == 0)
            return;
        const int err = errno;
        if (err != EWOULDBLOCK && err != EINTR) {
            ::close(FFd);
            FFd = -1;
            fail(QStringLiteral("无法锁定文件"), lockPath, err);
        }
        if (waited.elapsed() >= TimeoutMs)
            break;
        ::usleep(10 * 1000);
    }
    ::close(FFd);
    FFd = -1;
    failPlain(QStringLiteral("无法修改文件"), Path,
              QStringLiteral("另一个程序正在修改它，请稍后再试"));
}

TFileLock::~TFileLock() {
    if (FFd >= 0)
        ::close(FFd); // closing lets go of the lock
}

#else

TFileLock::TFileLock(const QString& Path, int TimeoutMs)
    : FLock(std::make_unique<QLockFile>(LockPathFor(Path))) {
    if (FLock->tryLock(TimeoutMs))
        return;
    if (FLock->error() == QLockFile::LockFailedError)
        failPlain(QStringLiteral("无法修改文件"), Path,
                  QStringLiteral("另一个程序正在修改它，请稍后再试"));
    failPlain(QStringLiteral("无法建立锁文件"), LockPathFor(Path), QStringLiteral("没有写入权限"));
}

TFileLock::~TFileLock() = default;

#endif

} // namespace FileIO

namespace FileIOTesting {
void SetBeforeCommitHook(std::function<void()> Hook) {
    beforeCommitHook() = std::move(Hook);
}
void SetWriteFault(int Errno, qint64 Budget) {
    writeFault() = {Errno, Budget};
}
} // namespace FileIOTesting
