#include "modalanswerer.h"
#include "testmain.h"

#include "text/plainmessage.h"

#include <QMessageBox>
#include <QStyle>

// The warning box on the handheld's narrow screen.
class TestPlainMessage : public QObject
{
    Q_OBJECT
private slots:
    void warningKeepsItsTitleWhole();
};

void TestPlainMessage::warningKeepsItsTitleWhole()
{
    MARLU_REQUIRE_HANDHELD_SCREEN();
    ModalAnswerer answerer(QMessageBox::Ok);
    int width = 0;
    answerer.setBeforeAnswer([&] { width = QApplication::activeModalWidget()->frameGeometry().width(); });
    PlainMessage::warning(nullptr, "Find Address", "No match.");
    QFont bold;
    bold.setBold(true);
    QVERIFY(width >= QFontMetrics(bold).horizontalAdvance("Find Address")
                         + 3 * QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight));
}

MARLU_TEST_MAIN(TestPlainMessage)
#include "tst_plainmessage.moc"
