#include "logexcerpt.h"

#include <QLocale>

QString LogExcerpt::of(const QString &text)
{
    if (text.size() <= MaxChars)
        return text;
    return text.left(MaxChars) + QStringLiteral(" ... (%1 bytes)")
        .arg(QLocale(QLocale::English).toString(text.toUtf8().size()));
}
