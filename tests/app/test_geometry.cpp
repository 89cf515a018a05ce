// The application's arithmetic: scale positions and result sizes, the window
// fitted to a movie against the worked examples, the crop cut to the frame and
// the crop drag's event sequence. The drawn rectangle and the crop mapping are
// tested through the real view (test_view).
#include "CropTracker.h"
#include "SizeArithmetic.h"
#include "ViewGeometry.h"

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
    void cropLimitedToFrame();
    void trackerDrag();
    void trackerClickWithoutDrag();
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

void TestGeometry::cropLimitedToFrame() {
    using ViewGeometry::limitCropToFrame;
    // Inside: unchanged.
    FloatRect c = limitCropToFrame({10, 10, 100, 50}, 640, 480);
    QVERIFY(c.x == 10 && c.y == 10 && c.width == 100 && c.height == 50);
    // Reaching out at the top-left and bottom-right: cut to the frame.
    c = limitCropToFrame({-20, -10, 100, 50}, 640, 480);
    QVERIFY(c.x == 0 && c.y == 0 && c.width == 80 && c.height == 40);
    c = limitCropToFrame({600, 450, 100, 50}, 640, 480);
    QVERIFY(c.x == 600 && c.y == 450 && c.width == 40 && c.height == 30);
    // Zero area (a click) and wholly outside (a drag in the margin): whole frame.
    c = limitCropToFrame({200, 100, 0, 0}, 640, 480);
    QVERIFY(c.x == 0 && c.y == 0 && c.width == 640 && c.height == 480);
    c = limitCropToFrame({-90, 10, 60, 50}, 640, 480);
    QVERIFY(c.x == 0 && c.y == 0 && c.width == 640 && c.height == 480);
    // Less than a pixel across is no area either.
    c = limitCropToFrame({5, 5, 0.5f, 40}, 640, 480);
    QVERIFY(c.width == 640 && c.height == 480);
}

void TestGeometry::trackerDrag() {
    CropTracker t;
    using E = CropTracker::Event;
    using O = CropTracker::Outcome;
    t.begin();
    QVERIFY(t.active() && !t.hasAnchor());
    // The first event after the press is the anchor, not the press itself.
    QCOMPARE(t.feed(E::Drag, 233, 50, 800, 400), O::Tracking);
    QVERIFY(t.hasAnchor());
    QCOMPARE(t.feed(E::Drag, 300, 80, 800, 400), O::Tracking);
    QCOMPARE(t.feed(E::Drag, 333, 100, 800, 400), O::Tracking);
    QCOMPARE(t.feed(E::Release, 333, 100, 800, 400), O::Released);
    QVERIFY(!t.active());
    QCOMPARE(t.anchorX(), 233.0f);
    QCOMPARE(t.anchorY(), 50.0f);
    QCOMPARE(t.extentX(), 100.0f);
    QCOMPARE(t.extentY(), 50.0f);
}

void TestGeometry::trackerClickWithoutDrag() {
    CropTracker t;
    using E = CropTracker::Event;
    using O = CropTracker::Outcome;
    t.begin();
    // The release of a plain click becomes the anchor; tracking goes on.
    QCOMPARE(t.feed(E::Release, 50, 60, 800, 400), O::Tracking);
    QVERIFY(t.active());
    // The next click moves the anchor, its release ends tracking there.
    QCOMPARE(t.feed(E::Press, 200, 120, 800, 400), O::Tracking);
    QCOMPARE(t.feed(E::Release, 200, 120, 800, 400), O::Released);
    QCOMPARE(t.anchorX(), 200.0f);
    QCOMPARE(t.anchorY(), 120.0f);
    QCOMPARE(t.extentX(), 0.0f);
    QCOMPARE(t.extentY(), 0.0f);
    // A press keeps the extents of an earlier drag.
    t.begin();
    t.feed(E::Drag, 10, 10, 800, 400);
    t.feed(E::Drag, 40, 30, 800, 400);
    t.feed(E::Press, 300, 200, 800, 400);
    QCOMPARE(t.feed(E::Release, 300, 200, 800, 400), O::Released);
    QCOMPARE(t.anchorX(), 300.0f);
    QCOMPARE(t.extentX(), 30.0f);
    QCOMPARE(t.extentY(), 20.0f);
}

QTEST_APPLESS_MAIN(TestGeometry)
#include "test_geometry.moc"
