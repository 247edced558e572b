#include "logcapture.h"
#include "testmain.h"

#include "platform/maemo5listpickselector.h"
#include "platform/maemo5valuebutton.h"
#include "platform/pickselectoraction.h"

#include <QListWidget>
#include <QSignalSpy>
#include <QStringListModel>

// The menu picker: index rules, the widget it builds and the user's pick.
class TestPickSelectorAction : public QObject
{
    Q_OBJECT
private slots:
    void metaObjectHasSignalThenSlot();
    void indexRangeRule();
    void constructorsKeepWhatTheyAreGiven();
    void pickingMapsTextToLowestIndex();
    void widgetShowsIndexCurrentWhenBuilt();
    void eachWidgetReplacesTheModel();
    void tappingTheButtonAndAnEntryPicksIt();
};

// Builds a widget the way a menu does.
static Maemo5ValueButton *buildWidget(PickSelectorAction &action, QWidget *parent)
{
    return qobject_cast<Maemo5ValueButton *>(action.requestWidget(parent));
}

void TestPickSelectorAction::metaObjectHasSignalThenSlot()
{
    const QMetaObject &mo = PickSelectorAction::staticMetaObject;
    QCOMPARE(mo.methodCount() - mo.methodOffset(), 2);
    const QMetaMethod signal = mo.method(mo.methodOffset());
    QCOMPARE(signal.methodSignature(), QByteArray("selectionChanged(int)"));
    QCOMPARE(signal.methodType(), QMetaMethod::Signal);
    QCOMPARE(signal.parameterNames(), QList<QByteArray>{"index"});
    const QMetaMethod slot = mo.method(mo.methodOffset() + 1);
    QCOMPARE(slot.methodSignature(), QByteArray("optionSelected(QString)"));
    QCOMPARE(slot.access(), QMetaMethod::Public);
}

void TestPickSelectorAction::indexRangeRule()
{
    PickSelectorAction action(nullptr);
    QSignalSpy changed(&action, &PickSelectorAction::selectionChanged);

    action.setSelectedIndex(0);   // an empty list takes no index at all
    QCOMPARE(action.selectedIndex(), 0);

    action.items() << "Auto" << "Landscape" << "Portrait";
    action.setSelectedIndex(3);
    QCOMPARE(action.selectedIndex(), 0);
    action.setSelectedIndex(-1);
    QCOMPARE(action.selectedIndex(), 0);
    action.setSelectedIndex(2);
    QCOMPARE(action.selectedIndex(), 2);
    QCOMPARE(changed.count(), 0);
}

void TestPickSelectorAction::constructorsKeepWhatTheyAreGiven()
{
    QObject owner;
    PickSelectorAction plain(&owner);
    QCOMPARE(plain.parent(), &owner);
    QVERIFY(plain.items().isEmpty());
    QCOMPARE(plain.selectedIndex(), 0);

    // The full constructor takes the index unchecked.
    PickSelectorAction full(QStringList{"a", "b"}, 5, &owner);
    QCOMPARE(full.items(), (QStringList{"a", "b"}));
    QCOMPARE(full.selectedIndex(), 5);
}

void TestPickSelectorAction::pickingMapsTextToLowestIndex()
{
    PickSelectorAction action(nullptr);
    action.items() << "Auto" << "Landscape" << "Portrait" << "Landscape";
    QSignalSpy changed(&action, &PickSelectorAction::selectionChanged);
    LogCapture log;

    action.optionSelected("Portrait");
    QCOMPARE(action.selectedIndex(), 2);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.takeFirst().first().toInt(), 2);

    action.optionSelected("Landscape");
    QCOMPARE(action.selectedIndex(), 1);
    QCOMPARE(changed.takeFirst().first().toInt(), 1);

    action.optionSelected("landscape");   // case matters
    QCOMPARE(action.selectedIndex(), 1);
    QCOMPARE(changed.count(), 0);

    QCOMPARE(log.lines(), (QStringList{"Item Selected:  \"Portrait\" , index= \"2\"",
                                       "Item Selected:  \"Landscape\" , index= \"1\"",
                                       "Not find item...how?"}));
}

void TestPickSelectorAction::widgetShowsIndexCurrentWhenBuilt()
{
    QWidget menu;
    PickSelectorAction action(nullptr);
    action.setText("Position Updates");
    action.items() << "Off" << "every second" << "every 2 seconds";

    Maemo5ValueButton *early = buildWidget(action, &menu);
    QVERIFY(early);
    QCOMPARE(early->valueText(), QString("Off"));

    action.setSelectedIndex(1);
    QCOMPARE(early->valueText(), QString("Off"));   // built earlier: keeps its entry
    QVERIFY(early->text().startsWith("Position Updates"));
    QCOMPARE(early->valueLayout(), Maemo5ValueButton::ValueUnderTextCentered);

    Maemo5ValueButton *late = buildWidget(action, &menu);
    QCOMPARE(late->valueText(), QString("every second"));
    QVERIFY(late->text().contains("every second"));
}

void TestPickSelectorAction::eachWidgetReplacesTheModel()
{
    QWidget menu;
    PickSelectorAction action(nullptr);
    action.items() << "one";
    Maemo5ValueButton *first = buildWidget(action, &menu);
    QPointer<QAbstractItemModel> firstModel = first->pickSelector()->model();
    QVERIFY(firstModel);
    QCOMPARE(firstModel->parent(), &action);

    action.items() << "two";   // reaches the next model only
    QCOMPARE(firstModel->rowCount(), 1);

    Maemo5ValueButton *second = buildWidget(action, &menu);
    QVERIFY(!firstModel);      // deleted when the next widget was built
    QCOMPARE(second->pickSelector()->model()->rowCount(), 2);
    QCOMPARE(action.findChildren<QStringListModel *>().size(), 1);
}

void TestPickSelectorAction::tappingTheButtonAndAnEntryPicksIt()
{
    QWidget menu;
    PickSelectorAction action(nullptr);
    action.setText("Orientation");
    action.items() << "Auto" << "Landscape" << "Portrait";
    QSignalSpy changed(&action, &PickSelectorAction::selectionChanged);
    Maemo5ValueButton *button = buildWidget(action, &menu);
    menu.show();

    QTest::mouseClick(button, Qt::LeftButton);
    auto *list = qobject_cast<QListWidget *>(
        QApplication::activeModalWidget() ? QApplication::activeModalWidget()->findChild<QListWidget *>("maemo5PickerList")
                                          : nullptr);
    QVERIFY(list);
    QCOMPARE(list->window()->windowTitle(), QString("Orientation"));
    QCOMPARE(list->count(), 3);
    QCOMPARE(list->currentRow(), 0);

    QListWidgetItem *portrait = list->item(2);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(portrait).center());
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().first().toInt(), 2);
    QCOMPARE(action.selectedIndex(), 2);
    QCOMPARE(button->valueText(), QString("Portrait"));
    QTRY_VERIFY(!QApplication::activeModalWidget());
}

MARLU_TEST_MAIN(TestPickSelectorAction)
#include "tst_pickselectoraction.moc"
