// The window fitted to a movie, against worked examples. The drawn rectangle
// and the crop drag are tested through the real view (test_view).
#include "SizeArithmetic.h"

#include <QtTest>

#include <cmath>

class TestGeometry : public QObject {
    Q_OBJECT
private slots:
    void windowFit();
};

void TestGeometry::windowFit() {
    // Movie size, minimum size, and the window's size in a visible area of
    // 1280 x 800 at (0, 25).
    for (const auto& [mw, mh, minW, minH, w, h] :
         {std::tuple{720.0f, 576.0f, 100.0f, 100.0f, 739.0f, 715.0f}, // fits
          {1920.0f, 1080.0f, 100.0f, 100.0f, 1194.1111f, 800.0f},     // height-limited
          {1920.0f, 800.0f, 100.0f, 100.0f, 1280.0f, 664.4166f},      // width-limited
          {160.0f, 120.0f, 400.0f, 300.0f, 400.0f, 424.75f},          // raised to the minimum
          {100.0f, 100.0f, 100.0f, 400.0f, 280.0f, 400.0f},           // minimum height
          {1.0f, 1.0f, 100.0f, 100.0f, 100.0f, 220.0f}}) {            // no movie
        const SizeArithmetic::FloatRect r =
            SizeArithmetic::fitWindowToMovie(mw, mh, minW, minH, {0, 25, 1280, 800});
        QVERIFY2(std::fabs(r.width - w) <= 1e-3f && std::fabs(r.height - h) <= 1e-3f,
                 qPrintable(QString("%1 x %2").arg(r.width).arg(r.height)));
        // The window moves to the visible area's origin corner.
        QCOMPARE(r.x, 0.0f);
        QCOMPARE(r.y, 25.0f);
    }
}

QTEST_APPLESS_MAIN(TestGeometry)
#include "test_geometry.moc"
