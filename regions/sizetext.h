#ifndef SIZETEXT_H
#define SIZETEXT_H

#include <QCoreApplication>
#include <QString>

// A size in bytes as a person reads it: "512 KB", "38.2 MB", "1.4 GB".
class SizeText
{
    Q_DECLARE_TR_FUNCTIONS(SizeText)
public:
    static QString of(qint64 bytes);
};

#endif
