#include "keyfile.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString KeyFile::path()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime))
        return runtime + "/marlu/mapservice.secret";
    return QDir::homePath() + "/.marlu/mapservice.secret";
}

QByteArray KeyFile::read(const QString &path, QString *why)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        *why = error == ELOOP
            ? tr("The map service's key %1 is a symbolic link, not the key file.").arg(path)
            : tr("The map service's key %1 cannot be read: %2.")
                  .arg(path, QString::fromLocal8Bit(std::strerror(error)));
        return QByteArray();
    }
    struct stat st;
    QByteArray data;
    if (::fstat(fd, &st) != 0) {
        *why = tr("The map service's key %1 cannot be read: %2.")
                   .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    } else if (!S_ISREG(st.st_mode)) {
        *why = tr("The map service's key %1 is not a plain file.").arg(path);
    } else if (st.st_uid != ::getuid()) {
        *why = tr("The map service's key %1 belongs to another user.").arg(path);
    } else if (st.st_mode & 077) {
        *why = tr("The map service's key %1 can be read by other users.").arg(path);
    } else {
        data.resize(1024);
        const ssize_t got = ::read(fd, data.data(), size_t(data.size()));
        data.resize(got > 0 ? int(got) : 0);
        data = data.trimmed();
        static const QRegularExpression hex("^[0-9a-f]{64}$");
        if (!hex.match(QString::fromLatin1(data)).hasMatch()) {
            *why = tr("The map service's key %1 is not 64 hexadecimal characters.").arg(path);
            data.clear();
        }
    }
    ::close(fd);
    return data;
}
