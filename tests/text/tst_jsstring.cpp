#include "testmain.h"

#include "text/jsstring.h"

// The escaping that keeps texts from the network inside a snippet's string literal.
class TestJsString : public QObject
{
    Q_OBJECT
private slots:
    void escape_data();
    void escape();
};

void TestJsString::escape_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("escaped");
    QTest::newRow("ordinary text unchanged")
        << QString::fromUtf8("Zürich, 8001 Schweiz – O'Brien's <b>&</b>")
        << QString::fromUtf8("Zürich, 8001 Schweiz – O'Brien's <b>&</b>");
    QTest::newRow("quote") << "a\"b" << "a\\\"b";
    QTest::newRow("backslash") << "x\\y" << "x\\\\y";
    QTest::newRow("breaks") << "a\nb\rc\td" << "a\\nb\\rc\\td";
    QTest::newRow("separators") << QString("a") + QChar(0x2028) + "b" + QChar(0x2029)
                                << "a\\u2028b\\u2029";
    QTest::newRow("controls") << QString("a") + QChar(0) + QChar(0x1b) + QChar(0x7f)
                              << "a\\u0000\\u001b\\u007f";
    QTest::newRow("breakout") << "\"); alert(1); (\"" << "\\\"); alert(1); (\\\"";
    QTest::newRow("empty") << "" << "";
}

void TestJsString::escape()
{
    QFETCH(QString, text);
    QFETCH(QString, escaped);
    QCOMPARE(JsString::escape(text), escaped);
}

MARLU_TEST_MAIN(TestJsString)
#include "tst_jsstring.moc"
