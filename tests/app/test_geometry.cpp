// The controller's arithmetic: scale positions and result sizes, and the
// window fitted to a movie against the worked examples. The drawn rectangle,
// the crop mapping and the crop drag's event sequence are tested through the
// real view (test_view).
#include "SizeArithmetic.h"

#include <QtTest>

#include <cmath>

using SizeArithmetic::FloatRect;

namespace {

bool near(float a, float b, float tol = 1e-3f) {
    return std::fabs(a - b) <= tol;
}

} // namespace

class TestGeometry : public QObject {
    Q_OBJECT
private slots:
    void scaleTable_data();
    void scaleTable();
    void resultSizes();
    void windowFit_data();
    void windowFit();
};

void TestGeometry::scaleTable_data() {
    QTest::addColumn<float>("position");
    QTest::addColumn<float>("scale");
    QTest::newRow("0") << 0.0f << 10.0f;
    QTest::newRow("1") << 1.0f << 9.0f;
    QTest::newRow("5") << 5.0f << 5.0f;
    QTest::newRow("7") << 7.0f << 3.0f;
    QTest::newRow("8") << 8.0f << 2.0f;
    QTest::newRow("9") << 9.0f << 1.0f;
    QTest::newRow("10") << 10.0f << 0.5f;
    QTest::newRow("11") << 11.0f << 0.33333334f;
    QTest::newRow("12") << 12.0f << 0.25f;
}

void TestGeometry::scaleTable() {
    QFETCH(float, position);
    QFETCH(float, scale);
    QCOMPARE(SizeArithmetic::scaleForPosition(position), scale);
}

void TestGeometry::resultSizes() {
    using SizeArithmetic::resultExtent;
    using SizeArithmetic::scaleForPosition;
    QCOMPARE(resultExtent(641, scaleForPosition(9)), 641);
    QCOMPARE(resultExtent(481, scaleForPosition(9)), 481);
    QCOMPARE(resultExtent(641, scaleForPosition(8)), 320);
    QCOMPARE(resultExtent(481, scaleForPosition(8)), 240);
    QCOMPARE(resultExtent(641, scaleForPosition(10)), 1282);
    QCOMPARE(resultExtent(481, scaleForPosition(10)), 962);
    QCOMPARE(resultExtent(641, scaleForPosition(0)), 64);
    QCOMPARE(resultExtent(481, scaleForPosition(0)), 48);
    QCOMPARE(resultExtent(641, scaleForPosition(11)), 1923);
    QCOMPARE(resultExtent(641, scaleForPosition(12)), 2564);
    // Truncated toward zero, not rounded.
    QCOMPARE(resultExtent(641, scaleForPosition(5)), 128);
    QCOMPARE(resultExtent(1, scaleForPosition(8)), 0);
    // A divisor of 0 would overflow the int: it yields 0.
    QCOMPARE(resultExtent(640, 0.0f), 0);
}

void TestGeometry::windowFit_data() {
    QTest::addColumn<float>("mw");
    QTest::addColumn<float>("mh");
    QTest::addColumn<float>("minW");
    QTest::addColumn<float>("minH");
    QTest::addColumn<float>("w");
    QTest::addColumn<float>("h");
    QTest::newRow("PAL fits") << 720.0f << 576.0f << 100.0f << 100.0f << 739.0f << 715.0f;
    QTest::newRow("HD height-limited")
        << 1920.0f << 1080.0f << 100.0f << 100.0f << 1194.1111f << 800.0f;
    QTest::newRow("wide width-limited")
        << 1920.0f << 800.0f << 100.0f << 100.0f << 1280.0f << 664.4166f;
    QTest::newRow("small raised to minimum")
        << 160.0f << 120.0f << 400.0f << 300.0f << 400.0f << 424.75f;
    QTest::newRow("tall raised to minimum height")
        << 100.0f << 100.0f << 100.0f << 400.0f << 280.0f << 400.0f;
    QTest::newRow("no movie") << 1.0f << 1.0f << 100.0f << 100.0f << 100.0f << 220.0f;
}

void TestGeometry::windowFit() {
    QFETCH(float, mw);
    QFETCH(float, mh);
    QFETCH(float, minW);
    QFETCH(float, minH);
    QFETCH(float, w);
    QFETCH(float, h);
    const FloatRect visible{0, 25, 1280, 800};
    const FloatRect r = SizeArithmetic::fitWindowToMovie(mw, mh, minW, minH, visible);
    QVERIFY2(near(r.width, w) && near(r.height, h),
             qPrintable(QString("%1 x %2").arg(r.width).arg(r.height)));
    // The window moves to the visible area's origin corner.
    QCOMPARE(r.x, 0.0f);
    QCOMPARE(r.y, 25.0f);
}

QTEST_APPLESS_MAIN(TestGeometry)
#include "test_geometry.moc"
