#include "Support/QuorTestSupport.h"
#include "Support/QuorX11Input.h"

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
// tool needs: it is ready once it holds the pointer, and misses steps that come too fast.
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
            waitForTheTool();
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
            waitForTheTool();
            moveTo(QPoint(40, 40));
            step();
            pressEscape();
        });
    }

    // Held until the region tool lets go of the pointer: it polls the keyboard's state, at its own
    // pace, rather than reading events.
    void pressEscape()
    {
        const KeyCode escape = XKeysymToKeycode(m_display, XK_Escape);
        XTestFakeKeyEvent(m_display, escape, True, CurrentTime);
        step();
        const auto deadline = std::chrono::steady_clock::now() + quorPatience;
        while (quorPointerGrabbedElsewhere(m_display) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(50ms);
        }
        XTestFakeKeyEvent(m_display, escape, False, CurrentTime);
        XFlush(m_display);
    }

    bool toolHoldsThePointer() const { return quorPointerGrabbedElsewhere(m_display); }

    void finish()
    {
        if (m_worker.joinable()) {
            m_worker.join();
        }
    }

private:
    // The tool takes a moment to start and grab the pointer; a busy machine, longer.
    void waitForTheTool()
    {
        const auto deadline = std::chrono::steady_clock::now() + quorPatience;
        while (!quorPointerGrabbedElsewhere(m_display) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(20ms);
        }
    }

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
            check(quorAwait(std::move(task), 90s));
        } catch (const std::runtime_error& timeout) {
            input.finish();
            // Still holding the pointer, the tool missed the drag; else the reading took too long.
            const bool toolWaits = input.toolHoldsThePointer();
            input.pressEscape();
            QFAIL(qPrintable(QString::fromLatin1(timeout.what())
                             + (toolWaits ? QStringLiteral(" (the region tool still waited for a drag)")
                                          : QStringLiteral(" (the region was chosen)"))));
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
        QVERIFY(QTest::qWaitForWindowExposed(&window, quorPatienceMs));
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
            quorAwait(ScreenOCRService::captureAndRecognizeText({"en-US"}), 60s);
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
