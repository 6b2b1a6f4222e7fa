// A small real file system that tests can fill up: a 64 KiB tmpfs mounted
// on a temporary folder. Only the superuser may mount (as in CI); elsewhere
// Mounted() is false and the test skips, or injects the failure instead.
#pragma once

#include <QFile>
#include <QTemporaryDir>

#include <sys/mount.h>
#include <unistd.h>

class SmallDisk {
public:
    SmallDisk() {
        if (::geteuid() != 0 || !FDir.isValid())
            return;
        FMounted = ::mount("tmpfs", QFile::encodeName(FDir.path()).constData(), "tmpfs", 0,
                           "size=64k,mode=0700") == 0;
    }
    ~SmallDisk() {
        if (FMounted)
            ::umount2(QFile::encodeName(FDir.path()).constData(), MNT_DETACH);
    }
    bool Mounted() const { return FMounted; }
    QString Path() const { return FDir.path(); }
    // Fills what is left with one file, so the next byte written fails.
    void Fill() {
        QFile filler(FDir.filePath(QStringLiteral("filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return;
        const QByteArray block(1024, 'f');
        while (filler.write(block) == block.size()) {
        }
        const QByteArray byte(1, 'f');
        while (filler.write(byte) == 1) {
        }
    }

private:
    QTemporaryDir FDir;
    bool FMounted = false;
};
