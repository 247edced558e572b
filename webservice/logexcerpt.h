#ifndef LOGEXCERPT_H
#define LOGEXCERPT_H

#include <QString>

// What of a long text (a whole reply) goes into the log: its beginning, and
// how long it was, so that one answer does not flood the terminal.
class LogExcerpt
{
public:
    static const int MaxChars = 300;

    // text itself when short; else its first MaxChars characters followed by
    // " ... (28,600 bytes)", the size of the whole text in UTF-8.
    static QString of(const QString &text);
};

#endif
