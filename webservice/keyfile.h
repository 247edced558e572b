#ifndef KEYFILE_H
#define KEYFILE_H

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

// The per-user key of the local map service. The path is whatever the user's
// folders hold, so it is opened without following a link or waiting on a pipe,
// and used only when it is a plain file of this user that no one else can read.
class KeyFile
{
    Q_DECLARE_TR_FUNCTIONS(KeyFile)
public:
    // $XDG_RUNTIME_DIR/marlu/mapservice.secret, or ~/.marlu/mapservice.secret.
    static QString path();
    // The 64 hex characters of the file at path; empty with *why, naming the
    // file, otherwise.
    static QByteArray read(const QString &path, QString *why);
};

#endif
