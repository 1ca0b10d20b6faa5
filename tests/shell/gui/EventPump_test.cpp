#include "shell/gui/ProgressCaption.h"
#include "shell/gui/QtPlatform.h"

#include <QTest>
#include <QWidget>

using namespace orv;

class EventPumpTest : public QObject {
    Q_OBJECT
private slots:
    // The event loop runs on the first pump, then again only once a whole
    // interval has passed since it last ran.
    void theEventLoopRunsAtMostOncePerInterval() {
        std::int64_t now = 1000;
        QtEventPump pump([&] { return now; });
        int handled = 0;
        auto post = [&] {
            QMetaObject::invokeMethod(
                this, [&] { ++handled; }, Qt::QueuedConnection);
        };

        post();
        pump.pump();
        QCOMPARE(handled, 1);
        post();
        now += QtEventPump::kIntervalMs - 1;
        pump.pump();
        pump.pump();
        QCOMPARE(handled, 1); // too soon: the posted call waits
        now += 1;
        pump.pump();
        QCOMPARE(handled, 2);
        post();
        pump.pump();
        QCOMPARE(handled, 2);
        now += 10 * QtEventPump::kIntervalMs;
        pump.pump();
        QCOMPARE(handled, 3);
    }

    void theCaptionWaitsHalfASecondThenRefreshesAFewTimesASecond() {
        QWidget window;
        window.setWindowTitle(QStringLiteral("Title"));
        std::int64_t now = 0;
        int asked = 0;
        const auto progress = [&] { return QStringLiteral("step %1").arg(++asked); };
        {
            ProgressCaption caption(window, QStringLiteral("Title"), [&] { return now; });
            now = ProgressCaption::kDelayMs - 1;
            caption.update(progress);
            QCOMPARE(window.windowTitle(), QStringLiteral("Title"));
            QCOMPARE(asked, 0); // the text is not even made
            now += 1;
            caption.update(progress);
            QCOMPARE(window.windowTitle(), ProgressCaption::Caption(QStringLiteral("step 1"), "Title"));
            now += ProgressCaption::kRefreshMs - 1;
            caption.update(progress);
            QCOMPARE(asked, 1);
            now += 1;
            caption.update(progress);
            QCOMPARE(window.windowTitle(), QStringLiteral("step 2 \u2014 Title"));
        }
        QCOMPARE(window.windowTitle(), QStringLiteral("Title"));
    }
};

QTEST_MAIN(EventPumpTest)
#include "EventPump_test.moc"
