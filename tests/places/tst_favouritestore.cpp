#include "testmain.h"

#include "places/favouritestore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>

// The saved places on the disk: kept across starts, written whole or not at
// all, and a file that cannot be read is kept aside, never overwritten.
class TestFavouriteStore : public QObject
{
    Q_OBJECT
private slots:
    void keptAcrossStartsWithHomeAndWorkReplaced();
    void damagedFileIsKeptAsideAndReported_data();
    void damagedFileIsKeptAsideAndReported();
    void failedSaveChangesNothing();

private:
    static QByteArray readAll(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

namespace {
Favourite place(const QString &name, double lat, double lng, Favourite::Kind kind = Favourite::Place)
{
    Favourite f;
    f.name = name;
    f.latitude = lat;
    f.longitude = lng;
    f.kind = kind;
    return f;
}
}

void TestFavouriteStore::keptAcrossStartsWithHomeAndWorkReplaced()
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/sub/favourites.json";
    {
        FavouriteStore store(path);
        QVERIFY(store.load());
        QVERIFY(store.add(place("Casino", 43.7393, 7.4278)));
        QVERIFY(store.add(place("<b>Quai</b> \"Antoine\" \\1er", 43.7347, 7.4213)));
        QVERIFY(store.add(place("Old home", 43.73, 7.42, Favourite::Home)));
        QVERIFY(store.add(place("Home", 43.7311, 7.4197, Favourite::Home)));
        // A name taken gets a number instead of replacing the place.
        QVERIFY(store.add(place("casino", 43.0, 7.0)));
        QVERIFY(!store.add(place("Nowhere", 91, 0)));
        QVERIFY(!store.add(place("  ", 43, 7)));
        QVERIFY(store.rename(0, "Casino de Monte-Carlo"));
        QVERIFY(store.remove(3));
    }
    FavouriteStore again(path);
    QVERIFY(again.load());
    QCOMPARE(again.names(), (QStringList{"Casino de Monte-Carlo", "<b>Quai</b> \"Antoine\" \\1er", "Home"}));
    QCOMPARE(again.favourites().at(2).kind, Favourite::Home);
    QCOMPARE(again.favourites().at(2).latitude, 43.7311);
    QCOMPARE(again.indexOf(Favourite::Work), -1);
    QCOMPARE(again.indexOfName("  casino de MONTE-carlo "), 0);
    QCOMPARE(QDir(dir.path() + "/sub").entryList(QDir::Files), QStringList{"favourites.json"});
}

void TestFavouriteStore::damagedFileIsKeptAsideAndReported_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("why");
    const QByteArray good = R"({"version":1,"places":[{"name":"Casino","lat":43.7393,"lng":7.4278,"kind":"place"}]})";
    QTest::newRow("truncated") << good.left(good.size() - 7) << "";
    QTest::newRow("not an object") << QByteArray("[1,2,3]") << "no list of places";
    QTest::newRow("coordinate as text") << QByteArray(good).replace("43.7393", "\"43.7393\"") << "entry 1";
    QTest::newRow("off the Earth") << QByteArray(good).replace("43.7393", "143.7") << "entry 1";
    QTest::newRow("unknown kind") << QByteArray(good).replace("\"place\"", "\"castle\"") << "entry 1";
    QTest::newRow("control characters in a name") << QByteArray(good).replace("Casino", "Cas\\u0007ino") << "entry 1";
    QTest::newRow("deeply nested") << QByteArray(100000, '[') << "";
    QTest::newRow("too large") << QByteArray(good).replace("Casino", QByteArray(5 << 20, 'x')) << "too large";
}

void TestFavouriteStore::damagedFileIsKeptAsideAndReported()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, why);
    QTemporaryDir dir;
    const QString path = dir.path() + "/favourites.json";
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    FavouriteStore store(path);
    QVERIFY(!store.load());
    QVERIFY(store.favourites().isEmpty());
    QVERIFY2(store.problem().contains(why) && store.problem().contains(path + ".damaged"), qPrintable(store.problem()));
    QCOMPARE(readAll(path + ".damaged"), content);

    // Saving starts a new file; the one kept aside stays as it was.
    QVERIFY(store.add(place("Casino", 43.7393, 7.4278)));
    QCOMPARE(readAll(path + ".damaged"), content);
    FavouriteStore again(path);
    QVERIFY(again.load());
    QCOMPARE(again.names(), QStringList{"Casino"});

    // A second damaged file does not replace the first one kept.
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("{");
    file.close();
    QVERIFY(!again.load());
    QCOMPARE(readAll(path + ".damaged"), content);
    QCOMPARE(QDir(dir.path()).entryList({"favourites.json.damaged*"}, QDir::Files).size(), 2);
}

void TestFavouriteStore::failedSaveChangesNothing()
{
    QTemporaryDir dir;
    // A folder that cannot be made (a file holds its name), whoever runs the test.
    QFile blocker(dir.path() + "/data");
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    FavouriteStore store(dir.path() + "/data/marlu/favourites.json");
    QVERIFY(store.load());
    QSignalSpy changed(&store, &FavouriteStore::changed);
    QVERIFY(!store.add(place("Port", 43.735, 7.42)));
    QVERIFY2(store.lastError().startsWith("The places could not be saved"), qPrintable(store.lastError()));
    QVERIFY(store.favourites().isEmpty());
    QCOMPARE(changed.count(), 0);
}

MARLU_TEST_MAIN(TestFavouriteStore)
#include "tst_favouritestore.moc"
