#include "guardeddom.h"

#include <QDomDocument>
#include <QVector>
#include <QXmlStreamReader>

namespace {
bool allowedEncoding(const QStringRef &declared)
{
    static const char *const allowed[] = {"UTF-8", "UTF-16", "ISO-8859-1"};
    if (declared.isEmpty())
        return true;   // no declaration: the reader goes by the byte order mark, else UTF-8
    for (const char *name : allowed) {
        if (declared.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// Adjacent character data (split by the reader at references) becomes one node.
class Builder
{
public:
    explicit Builder(QDomDocument *document)
        : m_document(document)
        , m_current(*document)
    {
    }

    QString refusal;

    void startElement(const QXmlStreamReader &reader)
    {
        flushText();
        if (++m_depth > GuardedDom::MaxDepth) {
            refusal = QStringLiteral("reply nests elements deeper than %1 levels")
                          .arg(GuardedDom::MaxDepth);
            return;
        }
        QDomElement element = m_document->createElement(name(reader.qualifiedName()));
        const QXmlStreamAttributes attributes = reader.attributes();
        for (const QXmlStreamAttribute &attribute : attributes) {
            if (!checkText(attribute.value().size()))
                return;
            element.setAttribute(attribute.qualifiedName().toString(), attribute.value().toString());
        }
        append(element);
        m_current = element;
    }

    void endElement()
    {
        flushText();
        --m_depth;
        m_current = m_current.parentNode();
    }

    void characters(const QXmlStreamReader &reader)
    {
        if (!m_text.isEmpty() && reader.isCDATA() != m_textIsCData)
            flushText();
        m_textIsCData = reader.isCDATA();
        if (!reader.isWhitespace())
            m_textIsWhitespace = false;
        if (checkText(m_text.size() + reader.text().size()))
            m_text += reader.text();
    }

    void comment(const QXmlStreamReader &reader)
    {
        flushText();
        if (checkText(reader.text().size()))
            append(m_document->createComment(reader.text().toString()));
    }

    void processingInstruction(const QXmlStreamReader &reader)
    {
        flushText();
        if (checkText(reader.processingInstructionData().size()))
            append(m_document->createProcessingInstruction(
                reader.processingInstructionTarget().toString(),
                reader.processingInstructionData().toString()));
    }

    // m_text is a buffer kept for the whole document: most texts are the
    // indentation between elements, dropped without an allocation; the others
    // are copied out at their size.
    void flushText()
    {
        if (m_text.isEmpty())
            return;
        if (m_textIsCData)
            append(m_document->createCDATASection(QString(m_text.constData(), m_text.size())));
        else if (!m_textIsWhitespace)
            append(m_document->createTextNode(QString(m_text.constData(), m_text.size())));
        m_text.resize(0);
        m_textIsWhitespace = true;
    }

private:
    // A reply repeats a few element names thousands of times; its elements
    // share one copy of each (the list stays short: it is searched in order).
    QString name(const QStringRef &qualifiedName)
    {
        for (const QString &known : m_names) {
            if (qualifiedName == known)
                return known;
        }
        const QString copy = qualifiedName.toString();
        if (m_names.size() < MaxSharedNames)
            m_names.append(copy);
        return copy;
    }

    bool checkText(int length)
    {
        if (length <= GuardedDom::MaxTextLength)
            return true;
        refusal = QStringLiteral("reply holds a text longer than %1 characters")
                      .arg(GuardedDom::MaxTextLength);
        return false;
    }

    void append(const QDomNode &node)
    {
        if (++m_nodes > GuardedDom::MaxNodes) {
            refusal = QStringLiteral("reply holds more than %1 nodes").arg(GuardedDom::MaxNodes);
            return;
        }
        m_current.appendChild(node);
    }

    QDomDocument *const m_document;
    QDomNode m_current;
    static constexpr int MaxSharedNames = 64;
    QVector<QString> m_names;
    QString m_text;
    bool m_textIsCData = false;
    bool m_textIsWhitespace = true;
    int m_depth = 0;
    int m_nodes = 0;
};
}

bool GuardedDom::build(const QByteArray &body, QDomDocument *document, QString *why,
                       qint64 *line, qint64 *column)
{
    // A document with its own implementation, so that the builder can append to it.
    *document = QDomDocument(QDomDocumentType());
    QXmlStreamReader reader(body);
    reader.setNamespaceProcessing(false);
    Builder builder(document);
    while (builder.refusal.isEmpty() && !reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartDocument:
            if (!allowedEncoding(reader.documentEncoding()))
                builder.refusal = QStringLiteral("reply declares the encoding %1")
                                      .arg(reader.documentEncoding().left(40).toString());
            break;
        case QXmlStreamReader::DTD:
            builder.refusal = QStringLiteral("reply declares a DOCTYPE or an entity");
            break;
        case QXmlStreamReader::EntityReference:
            builder.refusal = QStringLiteral("reply refers to the entity %1")
                                  .arg(reader.name().left(40).toString());
            break;
        case QXmlStreamReader::StartElement:
            builder.startElement(reader);
            break;
        case QXmlStreamReader::EndElement:
            builder.endElement();
            break;
        case QXmlStreamReader::Characters:
            builder.characters(reader);
            break;
        case QXmlStreamReader::Comment:
            builder.comment(reader);
            break;
        case QXmlStreamReader::ProcessingInstruction:
            builder.processingInstruction(reader);
            break;
        default:
            break;
        }
    }
    *line = reader.lineNumber();
    *column = reader.columnNumber();
    if (builder.refusal.isEmpty() && reader.hasError())
        builder.refusal = reader.errorString();
    if (builder.refusal.isEmpty() && document->documentElement().isNull())
        builder.refusal = QStringLiteral("reply holds no element");
    if (builder.refusal.isEmpty())
        return true;
    *why = builder.refusal;
    *document = QDomDocument();
    return false;
}
