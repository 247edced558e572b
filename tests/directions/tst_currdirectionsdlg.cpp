#include "testmain.h"
#include "windowframe.h"

#include "cannedhttpserver.h"
#include "replyfixtures.h"

#include "directions/currdirectionsdlg.h"
#include "directions/googledirections.h"
#include "directions/maneuver.h"
#include "directions/stepdelegate.h"
#include "directions/tripfigures.h"

#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QNetworkAccessManager>
#include <QSettings>
#include <QTextDocumentFragment>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTimer>

static Directions route(QString summary, QString copyrights, QStringList instructions)
{
    Directions r;
    r.summary = summary;
    r.copyrights = copyrights;
    for (const QString &text : instructions) {
        Step step;
        step.setDescription(text);
        r.steps << step;
    }
    return r;
}

static QStringList rows(CurrDirectionsDlg &dlg)
{
    auto *list = dlg.findChild<QListWidget *>("directionsList");
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

static QComboBox *combo(CurrDirectionsDlg &dlg) { return dlg.findChild<QComboBox *>("routesCombo"); }
static QLabel *copyright(CurrDirectionsDlg &dlg) { return dlg.findChild<QLabel *>("copyrightLbl"); }

static QString describe(QLayoutItem *item)
{
    if (QWidget *w = item->widget())
        return QString("%1 %2 '%3'").arg(w->metaObject()->className(), w->objectName(), w->property("text").toString());
    QStringList children;
    for (int i = 0; i < item->layout()->count(); ++i)
        children << describe(item->layout()->itemAt(i));
    return QString("%1 %2 [%3]").arg(item->layout()->metaObject()->className(), item->layout()->objectName(),
                                    children.join(", "));
}

// The route sheet: how it lists the steps of the chosen alternative and which
// choice it leaves for the main window.
class TestCurrDirectionsDlg : public QObject
{
    Q_OBJECT
private slots:
    void formAndInitialState();
    void stepTextsLoseTheirMarkup_data();
    void stepTextsLoseTheirMarkup();
    void stepTextsMatchTheRegularExpressions();
    void routesComboOnlyForAlternatives_data();
    void routesComboOnlyForAlternatives();
    void choosingARouteListsItsStepsOnce();
    void copyrightFollowsTheSelectedRoute();
    void buttonsLeaveTheirChoice_data();
    void buttonsLeaveTheirChoice();
    void publishedRouteTellsTheTrip();
    void figuresRoundAsWritten_data();
    void figuresRoundAsWritten();
    void sheetFitsTheHandheldScreen();
    void roundaboutIconIsNoMaleSign();
};

void TestCurrDirectionsDlg::formAndInitialState()
{
    CurrDirectionsDlg dlg({route("A1", "", {"go"})}, nullptr);
    QCOMPARE(dlg.objectName(), QString("CurrDirectionsDlg"));
    QCOMPARE(dlg.size(), QSize(640, 480));
    QCOMPARE(dlg.windowTitle(), QString("Dialog"));
    QCOMPARE(dlg.windowFlags(), QDialog(nullptr).windowFlags());
    QCOMPARE(int(dlg.m_action), 0);
    QCOMPARE(describe(dlg.layout()),
             QString("QVBoxLayout verticalLayout [QHBoxLayout horizontalLayout [QComboBox routesCombo '', "
                     "QPushButton recalculateBtt 'Recalculate', QPushButton clearBtt 'Clear', "
                     "QPushButton newBtt 'New'], QLabel tripLbl '<b>via A1</b>', QListWidget directionsList '', "
                     "QLabel copyrightLbl 'Copyright...']"));
    QCOMPARE(copyright(dlg)->styleSheet(), QString("QLabel{font: 'Nokia Sans'; font-size: 8pt;}"));

    const QMetaObject *mo = dlg.metaObject();
    QCOMPARE(mo->className(), "CurrDirectionsDlg");
    QStringList slotNames;
    for (int i = mo->methodOffset(); i < mo->methodCount(); ++i) {
        QCOMPARE(mo->method(i).access(), QMetaMethod::Private);
        slotNames << mo->method(i).methodSignature();
    }
    QCOMPARE(slotNames, (QStringList{"on_clearBtt_clicked()", "on_newBtt_clicked()", "on_recalculateBtt_clicked()",
                                     "on_routesCombo_currentIndexChanged(int)"}));
}

void TestCurrDirectionsDlg::stepTextsLoseTheirMarkup_data()
{
    QTest::addColumn<QString>("instruction");
    QTest::addColumn<QString>("shown");
    QTest::newRow("bold and div")
        << "Head <b>north</b> on <b>Main St</b><div style=\"font-size:0.9em\">Destination will be on the right</div>"
        << "Head north on Main St. Your destination is on the right";
    QTest::newRow("attributes") << "Turn <span class=\"road\" id='r1'>right</span> here" << "Turn right here";
    QTest::newRow("between words") << "Main<br/>Street" << "Main Street";
    QTest::newRow("less-than and space") << "if x < b go" << "if x < b go";
    QTest::newRow("less-than and digit") << "Exit <12> ahead" << "Exit <12> ahead";
    QTest::newRow("unclosed tag") << "Keep <b left" << "Keep <b left";
    QTest::newRow("three spaces become two") << "a   b" << "a  b";
    QTest::newRow("tab and space") << "a\t b" << "a b";
    QTest::newRow("non-breaking spaces") << QString("a") + QChar(0xA0) + QChar(0xA0) + "b" << "a b";
    QTest::newRow("empty") << "" << "";
}

void TestCurrDirectionsDlg::stepTextsLoseTheirMarkup()
{
    QFETCH(QString, instruction);
    CurrDirectionsDlg dlg({route("A1", "", {"first", instruction, "last"})}, nullptr);
    const QStringList shown = rows(dlg);
    QCOMPARE(shown.size(), 3);
    QCOMPARE(shown.at(0), QString("first"));
    QTEST(shown.at(1), "shown");
    QCOMPARE(shown.at(2), QString("last"));
}

// Random texts of the characters that matter, rendered by the sheet and by the
// two regular expressions that define the rendering.
void TestCurrDirectionsDlg::stepTextsMatchTheRegularExpressions()
{
    const QString alphabet = QString("<>/aZ19 \t\n=\"-") + QChar(0xA0) + QChar(0x3000) + QChar(0x2028) + QChar(0xE9);
    QRandomGenerator random(20100613);
    QStringList texts;
    for (int i = 0; i < 3000; ++i) {
        QString text;
        for (int j = random.bounded(40); j > 0; --j)
            text += alphabet.at(random.bounded(alphabet.size()));
        texts << text;
    }
    texts << QString("a") + QChar(0xD83D) + QChar(0xDE97) + "  <b>" + QChar(0xD83D) + QChar(0xDE97) + "</b>";

    const QRegularExpression tag("<[/A-Za-z][a-zA-Z0-9]*[^>]*>", QRegularExpression::UseUnicodePropertiesOption);
    const QRegularExpression twoSpaces("\\s\\s", QRegularExpression::UseUnicodePropertiesOption);
    CurrDirectionsDlg dlg({route("A", "", texts)}, nullptr);
    const QStringList shown = rows(dlg);
    QCOMPARE(shown.size(), texts.size());
    for (int i = 0; i < texts.size(); ++i) {
        const QString expected = QString(texts.at(i)).replace(tag, " ").replace(twoSpaces, " ");
        QVERIFY2(shown.at(i) == expected,
                 qPrintable(QString("\"%1\" shown as \"%2\", not \"%3\"").arg(texts.at(i), shown.at(i), expected)));
    }
}

void TestCurrDirectionsDlg::routesComboOnlyForAlternatives_data()
{
    QTest::addColumn<int>("routes");
    QTest::addColumn<bool>("shown");
    QTest::newRow("none") << 0 << false;
    QTest::newRow("one") << 1 << false;
    QTest::newRow("two") << 2 << true;
    QTest::newRow("three") << 3 << true;
}

void TestCurrDirectionsDlg::routesComboOnlyForAlternatives()
{
    QFETCH(int, routes);
    QList<Directions> list;
    QStringList summaries;
    for (int i = 0; i < routes; ++i) {
        summaries << QString("Route %1").arg(i);
        list << route(summaries.last(), "", {QString("step of %1").arg(i)});
    }
    CurrDirectionsDlg dlg(list, nullptr);
    dlg.show();
    QTEST(combo(dlg)->isVisible(), "shown");
    QStringList items;
    for (int i = 0; i < combo(dlg)->count(); ++i)
        items << combo(dlg)->itemText(i);
    QCOMPARE(items, summaries);
    QCOMPARE(dlg.selectedIndex(), routes ? 0 : -1);
    QCOMPARE(rows(dlg), routes ? QStringList{"step of 0"} : QStringList());
    if (!routes) {
        QCOMPARE(copyright(dlg)->text(), QString("Copyright..."));
        QVERIFY(copyright(dlg)->isVisible());
    }
}

void TestCurrDirectionsDlg::choosingARouteListsItsStepsOnce()
{
    CurrDirectionsDlg dlg({route("Fast", "c", {"a1", "a2", "a3"}), route("Short", "c", {"<b>b1</b>", "b2"})}, nullptr);
    dlg.show();
    QCOMPARE(rows(dlg), (QStringList{"a1", "a2", "a3"}));
    QSignalSpy refills(dlg.findChild<QListWidget *>("directionsList")->model(), SIGNAL(modelReset()));

    combo(dlg)->setFocus();
    QTest::keyClick(combo(dlg), Qt::Key_Down);
    QCOMPARE(dlg.selectedIndex(), 1);
    QCOMPARE(rows(dlg), (QStringList{" b1 ", "b2"}));
    QCOMPARE(refills.count(), 1);
    QTest::keyClick(combo(dlg), Qt::Key_Up);
    QCOMPARE(rows(dlg), (QStringList{"a1", "a2", "a3"}));
    QCOMPARE(refills.count(), 2);

    // No selection: the list empties, the rest stays.
    combo(dlg)->setCurrentIndex(-1);
    QCOMPARE(dlg.selectedIndex(), -1);
    QVERIFY(rows(dlg).isEmpty());
    QCOMPARE(copyright(dlg)->text(), QString("c"));
}

void TestCurrDirectionsDlg::copyrightFollowsTheSelectedRoute()
{
    CurrDirectionsDlg dlg({route("A", "Map data A", {"a"}), route("B", "", {"b"}),
                           route("C", "<img src=\"/etc/hostname\"><b>Map data</b> &copy;", {"c"})},
                          nullptr);
    dlg.show();
    QCOMPARE(copyright(dlg)->text(), QString("Map data A"));
    QVERIFY(copyright(dlg)->isVisible());
    combo(dlg)->setCurrentIndex(1);
    QVERIFY(!copyright(dlg)->isVisible());
    combo(dlg)->setCurrentIndex(2);
    QVERIFY(copyright(dlg)->isVisible());
    // Text from the network is shown as it came, never interpreted as markup.
    QCOMPARE(copyright(dlg)->text(), QString("<img src=\"/etc/hostname\"><b>Map data</b> &copy;"));
    QCOMPARE(copyright(dlg)->textFormat(), Qt::PlainText);

    CurrDirectionsDlg single({route("A", "", {"a"})}, nullptr);
    single.show();
    QVERIFY(!copyright(single)->isVisible());
}

void TestCurrDirectionsDlg::buttonsLeaveTheirChoice_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("action");
    QTest::newRow("clear") << "clearBtt" << int(QDialog::Accepted) << 1;
    QTest::newRow("recalculate") << "recalculateBtt" << int(QDialog::Accepted) << 2;
    QTest::newRow("new") << "newBtt" << int(QDialog::Accepted) << 3;
    QTest::newRow("closed") << "" << int(QDialog::Rejected) << 0;
}

void TestCurrDirectionsDlg::buttonsLeaveTheirChoice()
{
    QFETCH(QString, button);
    CurrDirectionsDlg dlg({route("A", "", {"a"}), route("B", "", {"b"})}, nullptr);
    combo(dlg)->setCurrentIndex(1);
    QTimer::singleShot(0, &dlg, [&] {
        if (!button.isEmpty())
            QTest::mouseClick(dlg.findChild<QPushButton *>(button), Qt::LeftButton);
        if (dlg.isVisible())
            dlg.close();
    });
    QTEST(dlg.exec(), "result");
    QTEST(int(dlg.m_action), "action");
    QCOMPARE(dlg.selectedIndex(), 1);
}

// The published Toronto-Montreal reply read by the real client: its leg gives
// 541 km and 5 hours 40 mins, which its 17 steps add up to.
void TestCurrDirectionsDlg::publishedRouteTellsTheTrip()
{
    CannedHttpServer server;
    server.setBody(publishedReply("directions-ok-1route-17steps-google-toronto-montreal.xml"));
    QSettings().setValue("Servers/DirectionsHost", server.hostPort());
    QNetworkAccessManager network;
    GoogleDirections client(&network, nullptr);
    QSignalSpy spy(&client, &GoogleDirections::finish);
    client.query("Toronto", "Montreal", "driving", false, "metric", {});
    QVERIFY(spy.wait(5000));
    QCOMPARE(client.m_routes.size(), 1);

    CurrDirectionsDlg dlg(client.m_routes, nullptr);
    dlg.show();
    auto *trip = dlg.findChild<QLabel *>("tripLbl");
    QVERIFY(trip->isVisible());
    QCOMPARE(QTextDocumentFragment::fromHtml(trip->text()).toPlainText(),
             QString("via ON-401 E, 541 km, 5 h 40 min"));

    // Beside each instruction its figures; a turn icon where the step names one.
    auto *list = dlg.findChild<QListWidget *>("directionsList");
    auto *steps = qobject_cast<StepDelegate *>(list->itemDelegate());
    QVERIFY(steps);
    // Worded from the maneuver; figures from the numbers, in the sheet's own
    // format, a step under a minute in seconds.
    QCOMPARE(rows(dlg).at(9), QString("Keep left onto ON-401 E"));
    QCOMPARE(steps->figures(0), QString("270 m · 45 s"));
    QCOMPARE(steps->figures(9), QString("180 km · 1 h 46 min"));
    QCOMPARE(steps->figures(17), QString());
    const QList<Step> read = client.m_routes.first().steps;
    QStringList words;
    for (const Step &step : read) {
        words << step.m_maneuver;
        const QString file = Maneuver::iconFile(step.m_maneuver);
        QCOMPARE(file.isEmpty(), step.m_maneuver.isEmpty());
        if (!file.isEmpty())
            QVERIFY2(!QIcon(file).pixmap(32).isNull(), qPrintable(file));
    }
    QCOMPARE(words.mid(0, 5), (QStringList{"", "turn-right", "ramp-left", "merge", "ramp-right"}));
    QCOMPARE(words.count("keep-left"), 5);
    QCOMPARE(Maneuver::iconFile("ferry"), QString());
}

void TestCurrDirectionsDlg::figuresRoundAsWritten_data()
{
    QTest::addColumn<int>("metres");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<bool>("imperial");
    QTest::addColumn<QString>("line");
    QTest::newRow("short") << 999 << 20 << false << "via R, 999 m, 1 min";
    QTest::newRow("kilometres") << 4250 << 3600 << false << "via R, 4.3 km, 1 h";
    QTest::newRow("long") << 465499 << 16319 << false << "via R, 465 km, 4 h 32 min";
    QTest::newRow("nothing known") << 0 << -5 << false << "via R";
    QTest::newRow("feet") << 100 << 60 << true << "via R, 328 ft, 1 min";
    QTest::newRow("miles") << 465499 << 60 << true << "via R, 289 mi, 1 min";
}

// Two steps of half the figures each: the line gives their sums.
void TestCurrDirectionsDlg::figuresRoundAsWritten()
{
    QFETCH(int, metres);
    QFETCH(int, seconds);
    QFETCH(bool, imperial);
    Directions r = route("R", "", {"a", "b"});
    for (Step &step : r.steps) {
        step.m_distance = metres / 2;
        step.m_duration = seconds / 2;
    }
    r.steps.first().m_distance += metres % 2;
    r.steps.first().m_duration += seconds % 2;
    QTEST(TripFigures::routeLine(r, imperial), "line");
}

// At 800x480 less the status panel: the whole sheet on the screen, every step's
// figures in view without sideways scrolling, equal summaries told apart, the
// mode and both ends named.
void TestCurrDirectionsDlg::sheetFitsTheHandheldScreen()
{
    MARLU_REQUIRE_HANDHELD_SCREEN();
    const QString text("Turn <b>left</b> onto <b>Boulevard du Larvotto</b>, past the Grimaldi Forum and the "
                       "Japanese Garden, then along Port Hercule towards the Rock and Fontvieille");
    QList<Directions> routes{route("Avenue Princesse Grace", "", {text, text}), route("Avenue Princesse Grace", "", {text})};
    routes[0].steps[0].m_distance = 3700;
    routes[1].steps[0].m_distance = 3200;
    routes[0].steps[0].m_durationText = "1 hour 46 mins";
    QWidget window;
    window.setGeometry(0, 56, 800, 424);
    window.show();
    CurrDirectionsDlg dlg(routes, &window);
    dlg.setTrip("walking", "La Condamine", "Fontvieille, Monaco");
    dlg.show();
    QTRY_COMPARE(WindowFrame::misfit(&dlg), QString());
    QCOMPARE(combo(dlg)->itemText(1), QString("Avenue Princesse Grace, 3.2 km"));
    QVERIFY(dlg.findChild<QLabel *>("tripLbl")->text().startsWith("Walking from La Condamine to Fontvieille, Monaco<br>"));

    auto *list = dlg.findChild<QListWidget *>("directionsList");
    QCOMPARE(list->horizontalScrollBar()->maximum(), 0);
    const QRect row = list->visualItemRect(list->item(0));
    QVERIFY(row.right() < list->viewport()->width());
    QVERIFY(row.height() >= 3 * list->fontMetrics().lineSpacing());   // wrapped
}

// The male sign is a ring with an arrow leaving it towards the top right corner.
void TestCurrDirectionsDlg::roundaboutIconIsNoMaleSign()
{
    for (const QString side : {"left", "right"}) {
        const QImage icon(Maneuver::iconFile("roundabout-" + side));
        for (int y = 4; y < 13; ++y)
            for (int x = 33; x < 44; ++x)
                QVERIFY2(qGray(icon.pixel(x, y)) > 200 || qAlpha(icon.pixel(x, y)) < 100, qPrintable(side));
    }
}

MARLU_TEST_MAIN(TestCurrDirectionsDlg)
#include "tst_currdirectionsdlg.moc"
