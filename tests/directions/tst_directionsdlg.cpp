#include "testmain.h"

#include "directions/directionsdlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMetaEnum>
#include <QPushButton>
#include <QTimer>

// The form's tree as text: layouts with their children, spacers with size and
// policies, widgets with their text or items.
static QString describe(QLayoutItem *item)
{
    if (QSpacerItem *spacer = item->spacerItem()) {
        const QMetaEnum policy = QMetaEnum::fromType<QSizePolicy::Policy>();
        return QString("spacer %1x%2 %3/%4").arg(spacer->sizeHint().width()).arg(spacer->sizeHint().height())
            .arg(policy.valueToKey(spacer->sizePolicy().horizontalPolicy()),
                 policy.valueToKey(spacer->sizePolicy().verticalPolicy()));
    }
    if (QWidget *w = item->widget()) {
        QString text = w->property("text").toString();
        if (auto *combo = qobject_cast<QComboBox *>(w))
            for (int i = 0; i < combo->count(); ++i)
                text += (i ? "|" : "") + combo->itemText(i);
        return QString("%1 %2 '%3'").arg(w->metaObject()->className(), w->objectName(), text);
    }
    QLayout *layout = item->layout();
    QStringList children;
    if (auto *form = qobject_cast<QFormLayout *>(layout)) {
        for (int row = 0; row < form->rowCount(); ++row)
            children << describe(form->itemAt(row, QFormLayout::LabelRole))
                     << describe(form->itemAt(row, QFormLayout::FieldRole));
    } else {
        for (int i = 0; i < layout->count(); ++i)
            children << describe(layout->itemAt(i));
    }
    return QString("%1 %2 [%3]").arg(layout->metaObject()->className(), layout->objectName(), children.join(", "));
}

template <typename T>
static T *child(DirectionsDlg &dlg, const char *name)
{
    return dlg.findChild<T *>(name);
}

static void clickOk(DirectionsDlg &dlg)
{
    QTest::mouseClick(child<QPushButton>(dlg, "okBtt"), Qt::LeftButton);
}

// The request form and the values it turns the user's choices into.
class TestDirectionsDlg : public QObject
{
    Q_OBJECT
private slots:
    void formHasItsWidgetsInPlace();
    void avoidListsHighwaysBeforeTolls_data();
    void avoidListsHighwaysBeforeTolls();
    void modeAndUnitsAreWireValuesOfTheItems();
    void onlyCalculateAccepts();
    void hiddenStartStillGivesItsText();
    void languageChangeStartsTheFormOver();
};

void TestDirectionsDlg::formHasItsWidgetsInPlace()
{
    DirectionsDlg dlg(nullptr);
    QCOMPARE(dlg.metaObject()->className(), "DirectionsDlg");
    QCOMPARE(dlg.metaObject()->methodCount(), dlg.metaObject()->methodOffset());
    QCOMPARE(dlg.objectName(), QString("DirectionsDlg"));
    QCOMPARE(dlg.size(), QSize(310, 184));
    QCOMPARE(dlg.windowTitle(), QString("Directions"));
    QCOMPARE(dlg.windowFlags(), QDialog(nullptr).windowFlags());
    QCOMPARE(describe(dlg.layout()),
             QString("QVBoxLayout verticalLayout ["
                     "QFormLayout formLayout [QLabel startLbl 'Start:', QLineEdit startEdit '', "
                     "QLabel label_2 'Destination:', QLineEdit destinationEdit ''], "
                     "QHBoxLayout horizontalLayout_2 [QComboBox travelModelCombo 'Driving|Walking|Bicycling', "
                     "QCheckBox avoidTollsCheck 'Avoid Tolls', QCheckBox avoidHighwaysCheck 'Avoid Highways'], "
                     "QHBoxLayout horizontalLayout_3 [QComboBox unitsCombo 'Metric|Imperial', "
                     "spacer 40x20 Expanding/Minimum, QCheckBox alternativesCheck 'Multiple Alternatives'], "
                     "spacer 20x76 Minimum/Expanding, "
                     "QHBoxLayout horizontalLayout [QPushButton okBtt 'Calculate Directions']]"));
    QCOMPARE(child<QComboBox>(dlg, "travelModelCombo")->currentIndex(), 0);
    QCOMPARE(child<QComboBox>(dlg, "unitsCombo")->currentIndex(), 0);
    QVERIFY(dlg.avoid().isEmpty());
    QVERIFY(!dlg.showAlternatives());
}

void TestDirectionsDlg::avoidListsHighwaysBeforeTolls_data()
{
    QTest::addColumn<bool>("tolls");
    QTest::addColumn<bool>("highways");
    QTest::addColumn<QStringList>("avoid");
    QTest::newRow("neither") << false << false << QStringList();
    QTest::newRow("tolls") << true << false << QStringList{"tolls"};
    QTest::newRow("highways") << false << true << QStringList{"highways"};
    QTest::newRow("both") << true << true << QStringList{"highways", "tolls"};
}

void TestDirectionsDlg::avoidListsHighwaysBeforeTolls()
{
    QFETCH(bool, tolls);
    QFETCH(bool, highways);
    DirectionsDlg dlg(nullptr);
    dlg.show();
    // Ticked the way a user does, tolls first.
    if (tolls)
        QTest::mouseClick(child<QCheckBox>(dlg, "avoidTollsCheck"), Qt::LeftButton);
    if (highways)
        QTest::mouseClick(child<QCheckBox>(dlg, "avoidHighwaysCheck"), Qt::LeftButton);
    QTEST(dlg.avoid(), "avoid");
}

void TestDirectionsDlg::modeAndUnitsAreWireValuesOfTheItems()
{
    DirectionsDlg dlg(nullptr);
    auto *mode = child<QComboBox>(dlg, "travelModelCombo");
    auto *units = child<QComboBox>(dlg, "unitsCombo");
    QStringList modes, unitSystems;
    for (int i = 0; i < mode->count(); ++i) {
        mode->setCurrentIndex(i);
        modes << dlg.mode();
    }
    for (int i = 0; i < units->count(); ++i) {
        units->setCurrentIndex(i);
        unitSystems << dlg.units();
    }
    QCOMPARE(modes, (QStringList{"driving", "walking", "bicycling"}));
    QCOMPARE(unitSystems, (QStringList{"metric", "imperial"}));

    // A translated item still sends what the service understands.
    mode->setItemText(mode->currentIndex(), "Par Route");
    units->setItemText(units->currentIndex(), "Système");
    QCOMPARE(dlg.mode(), QString("bicycling"));
    QCOMPARE(dlg.units(), QString("imperial"));
}

void TestDirectionsDlg::onlyCalculateAccepts()
{
    DirectionsDlg dlg(nullptr);
    dlg.setDestinationAddress("Somewhere");
    QTimer::singleShot(0, &dlg, [&] { dlg.close(); });
    QCOMPARE(dlg.exec(), int(QDialog::Rejected));

    // The same instance is shown again: options stay, an empty destination is no obstacle.
    child<QComboBox>(dlg, "travelModelCombo")->setCurrentIndex(2);
    child<QCheckBox>(dlg, "alternativesCheck")->setChecked(true);
    dlg.setDestinationAddress(QString());
    QTimer::singleShot(0, &dlg, [&] {
        clickOk(dlg);
        if (dlg.isVisible())
            dlg.reject();
    });
    QCOMPARE(dlg.exec(), int(QDialog::Accepted));
    QCOMPARE(dlg.destinationAddress(), QString());
    QCOMPARE(dlg.mode(), QString("bicycling"));
    QVERIFY(dlg.showAlternatives());
}

void TestDirectionsDlg::hiddenStartStillGivesItsText()
{
    DirectionsDlg dlg(nullptr);
    dlg.show();
    auto *edit = child<QLineEdit>(dlg, "startEdit");
    auto *label = child<QLabel>(dlg, "startLbl");
    dlg.setStartAddress("52.5 13.4");
    dlg.setStartAddressToCurrentPos(true);
    QVERIFY(!edit->isVisible());
    QVERIFY(!label->isVisible());
    QCOMPARE(dlg.startAddress(), QString("52.5 13.4"));
    dlg.setStartAddress("48.1 11.6");
    QCOMPARE(dlg.startAddress(), QString("48.1 11.6"));

    dlg.setStartAddressToCurrentPos(false);
    QVERIFY(edit->isVisible());
    QVERIFY(label->isVisible());
    QCOMPARE(edit->text(), QString("48.1 11.6"));
}

void TestDirectionsDlg::languageChangeStartsTheFormOver()
{
    DirectionsDlg dlg(nullptr);
    dlg.setStartAddress("here");
    dlg.setDestinationAddress("there");
    child<QComboBox>(dlg, "travelModelCombo")->setCurrentIndex(1);
    child<QComboBox>(dlg, "unitsCombo")->setCurrentIndex(1);
    child<QCheckBox>(dlg, "avoidTollsCheck")->setChecked(true);
    child<QPushButton>(dlg, "okBtt")->setText("x");

    QEvent change(QEvent::LanguageChange);
    QCoreApplication::sendEvent(&dlg, &change);
    QCOMPARE(child<QPushButton>(dlg, "okBtt")->text(), QString("Calculate Directions"));
    QCOMPARE(dlg.startAddress(), QString());
    QCOMPARE(dlg.destinationAddress(), QString());
    QCOMPARE(child<QComboBox>(dlg, "travelModelCombo")->count(), 3);
    QCOMPARE(dlg.mode(), QString("driving"));
    QCOMPARE(dlg.units(), QString("metric"));
    QCOMPARE(dlg.avoid(), QStringList{"tolls"});
}

MARLU_TEST_MAIN(TestDirectionsDlg)
#include "tst_directionsdlg.moc"
