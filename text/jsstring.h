#ifndef JSSTRING_H
#define JSSTRING_H

#include <QString>

// Text that goes between the double quotes of a JavaScript string literal in a
// snippet: whatever it holds, the page sees exactly that text and runs nothing.
class JsString
{
public:
    static QString escape(const QString &text);
};

#endif
