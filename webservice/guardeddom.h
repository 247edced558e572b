#ifndef GUARDEDDOM_H
#define GUARDEDDOM_H

#include <QByteArray>
#include <QString>

class QDomDocument;

// Builds a DOM from an untrusted XML body in one pass of QXmlStreamReader, which
// decodes the body and tokenizes it without recursion. Nothing a reply could use
// to cost time, memory or stack gets into the document: a DTD, an entity other
// than the five predefined ones, a declared encoding other than UTF-8, UTF-16 or
// ISO-8859-1, nesting beyond MaxDepth, a text beyond MaxTextLength or more than
// MaxNodes nodes. Whitespace-only text is dropped, as QDomDocument::setContent does.
class GuardedDom
{
public:
    static constexpr int MaxDepth = 256;
    static constexpr int MaxTextLength = 64 * 1024;
    static constexpr int MaxNodes = 500000;

    // On failure, `why` says what was refused or malformed, and where.
    static bool build(const QByteArray &body, QDomDocument *document, QString *why,
                      qint64 *line, qint64 *column);
};

#endif
