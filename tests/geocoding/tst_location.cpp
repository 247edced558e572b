#include "testmain.h"

#include "geocoding/location.h"

#include <cmath>
#include <limits>

class TestLocation : public QObject
{
    Q_OBJECT
private slots:
    void equalityComparesCoordinatesOnly();
    void nanNeverEqualsEvenItself();
    void coordinatesRoundTripExactly();
    void copiesCarryAllThreeFields();
};

void TestLocation::equalityComparesCoordinatesOnly()
{
    Location a, b;
    a.setCoordinates(48.8566, 2.3522);
    b.setCoordinates(48.8566, 2.3522);
    a.setDescription("Paris");
    b.setDescription("somewhere else");
    QVERIFY(a == b);
    b.setCoordinates(48.8566, 2.3523);
    QVERIFY(!(a == b));
    // 0.0 and -0.0 are the same number.
    a.setCoordinates(0.0, -0.0);
    b.setCoordinates(-0.0, 0.0);
    QVERIFY(a == b);
}

void TestLocation::nanNeverEqualsEvenItself()
{
    Location a;
    a.setCoordinates(std::numeric_limits<double>::quiet_NaN(), 10.0);
    QVERIFY(!(a == a));
    Location b = a;
    QVERIFY(!(a == b));
}

void TestLocation::coordinatesRoundTripExactly()
{
    Location a;
    const double lat = 35.81851234567891, lng = -122.41941550000001;
    a.setCoordinates(lat, lng);
    QVERIFY(a.latitude() == lat);
    QVERIFY(a.longitude() == lng);
    // Stored as received: no range check.
    a.setCoordinates(123.0, -540.5);
    QCOMPARE(a.latitude(), 123.0);
    QCOMPARE(a.longitude(), -540.5);
}

void TestLocation::copiesCarryAllThreeFields()
{
    Location a;
    QCOMPARE(a.latitude(), 0.0);
    QVERIFY(a.description().isEmpty());
    a.setCoordinates(1.5, 2.5);
    a.setDescription("here");
    Location b(a);
    Location c;
    c = a;
    for (const Location &l : {b, c}) {
        QCOMPARE(l.latitude(), 1.5);
        QCOMPARE(l.longitude(), 2.5);
        QCOMPARE(l.description(), QString("here"));
    }
    a.setDescription("changed");
    QCOMPARE(b.description(), QString("here"));
}

MARLU_TEST_MAIN(TestLocation)
#include "tst_location.moc"
