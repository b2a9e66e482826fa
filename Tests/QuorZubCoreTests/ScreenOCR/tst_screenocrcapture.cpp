#include "Support/QuorTestSupport.h"

#include "QuorZubCore/Services/ScreenOCRService.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QWidget>
#include <QtTest>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;

const QStringList shownLines{QStringLiteral("İstanbul'da güzel bir gün"),
                             QStringLiteral("The quick brown fox jumps over the lazy dog")};

// A plain window showing known text, as any application would.
class TextWindow : public QWidget {
public:
    TextWindow()
    {
        setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        setGeometry(160, 140, 820, 170);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(28);
        painter.setFont(font);
        painter.setPen(Qt::black);
        const QFontMetrics metrics(font);
        int baseline = 30 + metrics.ascent();
        for (const QString& line : shownLines) {
            painter.drawText(30, baseline, line);
            baseline += metrics.lineSpacing();
        }
    }
};

// Drives the pointer and keyboard through XTest on its own connection, paced the way the region
// tool needs: it takes a moment to grab the pointer and misses steps that come too fast.
class PacedInput {
public:
    PacedInput() : m_display(XOpenDisplay(nullptr)) {}
    ~PacedInput()
    {
        if (m_worker.joinable()) {
            m_worker.join();
        }
        if (m_display != nullptr) {
            XCloseDisplay(m_display);
        }
    }
    PacedInput(const PacedInput&) = delete;
    PacedInput& operator=(const PacedInput&) = delete;

    bool isConnected() const { return m_display != nullptr; }

    void dragLater(QPoint from, QPoint to)
    {
        m_worker = std::thread([this, from, to] {
            std::this_thread::sleep_for(1200ms);
            moveTo(from);
            step();
            XTestFakeButtonEvent(m_display, 1, True, CurrentTime);
            step();
            for (int i = 1; i <= 8; ++i) {
                moveTo(from + (to - from) * i / 8);
                step();
            }
            XTestFakeButtonEvent(m_display, 1, False, CurrentTime);
            step();
        });
    }

    void escapeLater()
    {
        m_worker = std::thread([this] {
            std::this_thread::sleep_for(1200ms);
            moveTo(QPoint(40, 40));
            step();
            pressEscape();
        });
    }

    // Held for a moment: the region tool polls the keyboard's state rather than reading events.
    void pressEscape()
    {
        const KeyCode escape = XKeysymToKeycode(m_display, XK_Escape);
        XTestFakeKeyEvent(m_display, escape, True, CurrentTime);
        step();
        XTestFakeKeyEvent(m_display, escape, False, CurrentTime);
        XFlush(m_display);
    }

    void finish()
    {
        if (m_worker.joinable()) {
            m_worker.join();
        }
    }

private:
    void moveTo(QPoint point) { XTestFakeMotionEvent(m_display, -1, point.x(), point.y(), CurrentTime); }
    void step()
    {
        XFlush(m_display);
        std::this_thread::sleep_for(150ms);
    }

    Display* m_display;
    std::thread m_worker;
};

} // namespace

class TestScreenOCRCapture : public QObject {
    Q_OBJECT
private:
    QString temporaryFolder() const { return quorTestSandboxPath() + QStringLiteral("/tmp"); }
    QStringList leftoverCaptures() const
    {
        return QDir(temporaryFolder()).entryList({QStringLiteral("quorzub-ocr-*")}, QDir::Files);
    }

    // Awaits the capture; if it outlives its time the region tool still holds the pointer, so it is
    // sent Escape before the test fails.
    template <typename Body>
    void awaitCapture(QCoro::Task<ScreenOCRResult> task, PacedInput& input, Body&& check)
    {
        try {
            check(quorAwait(std::move(task), 30s));
        } catch (const std::runtime_error& timeout) {
            input.finish();
            input.pressEscape();
            QFAIL(timeout.what());
        }
        input.finish();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(QDir().mkpath(temporaryFolder()));
        qputenv("TMPDIR", QFile::encodeName(temporaryFolder()));
    }

    void draggedRegionIsRead()
    {
        TextWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window, 5000));
        QTRY_VERIFY_WITH_TIMEOUT(window.isActiveWindow() || window.isVisible(), 2000);
        const QRect area(window.mapToGlobal(QPoint(0, 0)), window.size());

        PacedInput input;
        QVERIFY(input.isConnected());
        input.dragLater(area.topLeft() + QPoint(6, 6), area.bottomRight() - QPoint(6, 6));
        awaitCapture(ScreenOCRService::captureAndRecognizeText(
                         {"tr-TR", "en-US", "de-DE", "fr-FR", "es-ES"}),
                     input, [](const ScreenOCRResult& result) {
                         QCOMPARE(result.text, shownLines.join(QLatin1Char('\n')));
                         QCOMPARE(result.lineCount, 2);
                         QVERIFY(result.durationMs >= 1);
                     });
        QVERIFY(leftoverCaptures().isEmpty());
    }

    void escapeCancelsTheCapture()
    {
        PacedInput input;
        QVERIFY(input.isConnected());
        input.escapeLater();
        bool cancelled = false;
        try {
            quorAwait(ScreenOCRService::captureAndRecognizeText({"en-US"}), 30s);
        } catch (const ScreenOCRError& error) {
            cancelled = error.kind() == ScreenOCRError::Kind::cancelled;
        } catch (const std::runtime_error& timeout) {
            input.finish();
            input.pressEscape();
            QFAIL(timeout.what());
        }
        input.finish();
        QVERIFY(cancelled);
        QVERIFY(leftoverCaptures().isEmpty());
    }
};

QUOR_TEST_MAIN(TestScreenOCRCapture)
#include "tst_screenocrcapture.moc"
