// A small editor for the end-to-end tests: one line of text that can be selected with the mouse,
// copied with Ctrl+C and pasted over with Ctrl+V, with a WM_CLASS of the test's choice. It
// publishes PRIMARY on the release that ends a selection (or not, with --no-primary), can be
// slowed down, logs the key chords it receives, and answers commands on stdin with JSON lines on
// stdout:
//   text | set-text <base64> | set-clipboard-text <base64> | set-clipboard-rich | dump-clipboard |
//   set-clipboard-slow <ms> (answers every request that late, each announced by a "serving" event) |
//   on-claim <off|fetch|take-over> <ms>[,<ms>...] (that long after another client claims the
//     clipboard, fetches its text, logged as "fetched-clipboard", once per time given; with
//     take-over it then claims the clipboard at the last time given, with "managed: " and the text
//     first fetched, as a clipboard manager might) |
//   publish-big <primary|clipboard> <lines> (bigText() below, without showing it) |
//   copy-delay <ms|hold> (hold: Ctrl+C copies only at copy-now) | copy-now | paste-delay <ms> |
//   ignore-paste <1|0> (Ctrl+V pastes and fetches nothing) |
//   keys | clear-keys | pty-input | activate | quit
// With --terminal it behaves like a terminal emulator: it holds the master side of a
// pseudo-terminal and writes the keys it is given there as a terminal does (a plain Ctrl+C is the
// interrupt byte 0x03, also logged as "interrupt"); Ctrl+Shift+C / Ctrl+Shift+V copy and paste.
// pty-input answers the bytes the program on the other side received, in hex. With --no-pid the
// window does not announce its process (_NET_WM_PID), as some clients do not.
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QCommandLineParser>
#include <QCryptographicHash>
#include <QFontMetrics>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <utility>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

// Xlib last: its macros clash with Qt's names.
#include <X11/Xlib.h>

namespace {

void emitLine(const QJsonObject& object)
{
    const QByteArray line = QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
    std::fflush(stdout);
}

QImage testImage()
{
    QImage image(37, 23, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, qRgba(x * 6, y * 11, (x * y) % 256, 255));
        }
    }
    return image;
}

QString imageDigest(const QImage& image)
{
    const QImage normalized = image.convertToFormat(QImage::Format_ARGB32);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (int y = 0; y < normalized.height(); ++y) {
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(normalized.constScanLine(y)), normalized.width() * 4));
    }
    return QString::fromLatin1(hash.result().toHex()) + QStringLiteral("@%1x%2").arg(normalized.width()).arg(normalized.height());
}

// The text publish-big offers: `lines` copies of one line with a few non-Latin-1 letters, joined.
QString bigText(int lines)
{
    return QStringLiteral("Çok büyük seçim · big selection 0123456789;").repeated(lines);
}

// Clipboard content whose owner takes its time over every request.
class SlowMimeData : public QMimeData {
public:
    explicit SlowMimeData(int delayMs) : m_delayMs(delayMs) {}

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override
    {
        emitLine(QJsonObject{{QStringLiteral("event"), QStringLiteral("serving")}});
        QThread::msleep(static_cast<unsigned long>(m_delayMs));
        return QMimeData::retrieveData(mimeType, type);
    }

private:
    int m_delayMs;
};

// The two sides of a pseudo-terminal: the master a terminal emulator writes keys to, and the slave
// side, in raw mode, where the program inside would read them (here: collected as they come).
class PseudoTerminal {
public:
    PseudoTerminal()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
            return;
        }
        m_slave = ::open(::ptsname(m_master), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios mode{};
        if (m_slave >= 0 && ::tcgetattr(m_slave, &mode) == 0) {
            ::cfmakeraw(&mode);
            ::tcsetattr(m_slave, TCSANOW, &mode);
        }
    }
    ~PseudoTerminal()
    {
        for (const int descriptor : {m_slave, m_master}) {
            if (descriptor >= 0) {
                ::close(descriptor);
            }
        }
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    void type(const QByteArray& bytes) const
    {
        if (m_master >= 0 && !bytes.isEmpty()) {
            [[maybe_unused]] const ssize_t written = ::write(m_master, bytes.constData(), static_cast<size_t>(bytes.size()));
        }
    }
    // Everything the program inside has received so far.
    QByteArray received()
    {
        char buffer[256];
        ssize_t count = 0;
        while (m_slave >= 0 && (count = ::read(m_slave, buffer, sizeof buffer)) > 0) {
            m_received.append(buffer, count);
        }
        return m_received;
    }

private:
    int m_master = -1;
    int m_slave = -1;
    QByteArray m_received;
};

class EditorLine : public QWidget {
public:
    EditorLine(QString text, bool publishPrimary, bool terminal)
        : m_text(std::move(text)), m_publishPrimary(publishPrimary), m_terminal(terminal)
    {
        QFont big = font();
        big.setPixelSize(28);
        setFont(big);
        setFocusPolicy(Qt::StrongFocus);
        setMinimumSize(900, 80);
    }

    // Negative: a copy waits for copyHeld().
    int copyDelay = 0;
    int pasteDelay = 0;
    bool copyPending = false;
    bool ignoresPaste = false;
    // What to do when another client claims the clipboard: "off", "fetch" or "take-over", and when.
    QByteArray onClaim = "off";
    QList<int> onClaimDelays;
    QJsonArray keys;
    std::unique_ptr<PseudoTerminal> pty;

    QString text() const { return m_text; }
    // Lets a held copy happen now; false when none was held.
    bool copyHeld()
    {
        if (!std::exchange(copyPending, false)) {
            return false;
        }
        copy();
        return true;
    }
    void setText(const QString& text)
    {
        m_text = text;
        m_anchor = m_cursor = 0;
        update();
    }

    // Global x of every character boundary and the global y of the text's middle.
    QJsonObject geometryReport() const
    {
        QJsonArray boundaries;
        for (int index = 0; index <= m_text.size(); ++index) {
            boundaries.append(mapToGlobal(QPoint(xOf(index), 0)).x());
        }
        return QJsonObject{{QStringLiteral("boundaries"), boundaries},
                           {QStringLiteral("y"), mapToGlobal(QPoint(0, height() / 2)).y()},
                           {QStringLiteral("right"), mapToGlobal(QPoint(width() - 10, 0)).x()}};
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        const auto [from, to] = selectionRange();
        if (to > from) {
            painter.fillRect(QRect(xOf(from), 10, xOf(to) - xOf(from), height() - 20), QColor(160, 200, 255));
        }
        painter.drawText(QPoint(margin, height() / 2 + QFontMetrics(font()).ascent() / 2), m_text);
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton) {
            m_anchor = m_cursor = indexAt(event->position().x());
            update();
        }
    }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        if ((event->buttons() & Qt::LeftButton) != 0) {
            m_cursor = indexAt(event->position().x());
            update();
        }
    }

    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        const int index = indexAt(event->position().x());
        if (index >= m_text.size() || m_text.at(index).isSpace()) {
            m_anchor = m_cursor = index;
        } else {
            int start = index;
            int end = index;
            while (start > 0 && !m_text.at(start - 1).isSpace()) {
                --start;
            }
            while (end < m_text.size() && !m_text.at(end).isSpace()) {
                ++end;
            }
            m_anchor = start;
            m_cursor = end;
        }
        update();
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && m_publishPrimary && !selectedText().isEmpty()) {
            QGuiApplication::clipboard()->setText(selectedText(), QClipboard::Selection);
        }
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        const Qt::KeyboardModifiers modifiers = event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
        if (event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z) {
            QString chord;
            chord += (modifiers & Qt::ControlModifier) != 0 ? QStringLiteral("ctrl+") : QString();
            chord += (modifiers & Qt::AltModifier) != 0 ? QStringLiteral("alt+") : QString();
            chord += (modifiers & Qt::ShiftModifier) != 0 ? QStringLiteral("shift+") : QString();
            chord += QChar(QLatin1Char(static_cast<char>('a' + (event->key() - Qt::Key_A))));
            keys.append(chord);
        }
        const Qt::KeyboardModifiers copyModifiers =
            m_terminal ? (Qt::ControlModifier | Qt::ShiftModifier) : Qt::KeyboardModifiers(Qt::ControlModifier);
        if (event->key() == Qt::Key_C && modifiers == copyModifiers) {
            if (copyDelay < 0) {
                copyPending = true;
            } else {
                QTimer::singleShot(copyDelay, this, [this] { copy(); });
            }
        } else if (event->key() == Qt::Key_V && modifiers == copyModifiers) {
            if (!ignoresPaste) {
                QTimer::singleShot(pasteDelay, this, [this] { paste(); });
            }
        } else if (m_terminal && event->key() == Qt::Key_C && modifiers == Qt::ControlModifier) {
            keys.append(QStringLiteral("interrupt"));
        }
        if (pty && modifiers != (Qt::ControlModifier | Qt::ShiftModifier)) {
            // What a terminal sends the program for the key: Ctrl+letter is its control byte.
            const bool control = (modifiers & Qt::ControlModifier) != 0;
            const bool letter = event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z;
            pty->type(control && letter ? QByteArray(1, static_cast<char>(event->key() - Qt::Key_A + 1))
                                        : event->text().toUtf8());
        }
    }

private:
    static constexpr int margin = 20;

    int xOf(int index) const { return margin + QFontMetrics(font()).horizontalAdvance(m_text.left(index)); }

    // Of boundaries at one place (around a line break, which takes no room) the last.
    int indexAt(double x) const
    {
        int best = 0;
        for (int index = 0; index <= m_text.size(); ++index) {
            if (std::abs(xOf(index) - x) <= std::abs(xOf(best) - x)) {
                best = index;
            }
        }
        return best;
    }

    std::pair<int, int> selectionRange() const { return {std::min(m_anchor, m_cursor), std::max(m_anchor, m_cursor)}; }
    QString selectedText() const
    {
        const auto [from, to] = selectionRange();
        return m_text.mid(from, to - from);
    }

    void copy()
    {
        if (!selectedText().isEmpty()) {
            QGuiApplication::clipboard()->setText(selectedText(), QClipboard::Clipboard);
        }
    }

    void paste()
    {
        const QString pasted = QGuiApplication::clipboard()->text(QClipboard::Clipboard);
        const auto [from, to] = selectionRange();
        m_text = m_text.left(from) + pasted + m_text.mid(to);
        m_anchor = m_cursor = from + static_cast<int>(pasted.size());
        update();
        emitLine(QJsonObject{{QStringLiteral("event"), QStringLiteral("pasted")}, {QStringLiteral("text"), pasted}});
    }

    QString m_text;
    bool m_publishPrimary;
    bool m_terminal;
    int m_anchor = 0;
    int m_cursor = 0;
};

// A user copies with a key press, whose time stamps the new ownership. A command from stdin
// carries no event, so first make the toolkit learn the current server time from a property
// change on our own window; an older stamp could lose against the last owner's.
void claimWithFreshTime(QWidget& editor, QMimeData* data, QClipboard::Mode mode, std::function<void()> claimed)
{
    static int stamp = 0;
    editor.window()->setWindowTitle(QStringLiteral("editor %1").arg(++stamp));
    QTimer::singleShot(150, &editor, [data, mode, claimed = std::move(claimed)] {
        QGuiApplication::clipboard()->setMimeData(data, mode);
        claimed();
    });
}

// Fetches what another client just put on the clipboard, and with take-over offers it as its own.
void reactToClaim(EditorLine& editor)
{
    if (editor.onClaim == "off" || editor.onClaimDelays.isEmpty() || QGuiApplication::clipboard()->ownsClipboard()) {
        return;
    }
    const bool takesOver = editor.onClaim == "take-over";
    if (takesOver) {
        // Learns a time later than the claim's at once (a property change of our own), so that the
        // take-over may come as soon as a manager's would.
        static int stamp = 0;
        editor.window()->setWindowTitle(QStringLiteral("manager %1").arg(++stamp));
    }
    auto firstFetched = std::make_shared<QString>();
    for (int index = 0; index < editor.onClaimDelays.size(); ++index) {
        const bool last = index + 1 == editor.onClaimDelays.size();
        QTimer::singleShot(editor.onClaimDelays.at(index), &editor, [firstFetched, takesOver, last] {
            const QString text = QGuiApplication::clipboard()->text(QClipboard::Clipboard);
            emitLine(QJsonObject{{QStringLiteral("event"), QStringLiteral("fetched-clipboard")}, {QStringLiteral("text"), text}});
            if (firstFetched->isEmpty()) {
                *firstFetched = text;
            }
            if (takesOver && last) {
                auto* data = new QMimeData();
                data->setText(QStringLiteral("managed: ") + *firstFetched);
                QGuiApplication::clipboard()->setMimeData(data, QClipboard::Clipboard);
            }
        });
    }
}

QJsonObject clipboardReport()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    QJsonObject report{{QStringLiteral("reply"), QStringLiteral("dump-clipboard")}};
    if (data == nullptr) {
        return report;
    }
    QJsonArray formats;
    for (const QString& format : data->formats()) {
        formats.append(format);
    }
    report.insert(QStringLiteral("formats"), formats);
    if (data->hasText()) {
        report.insert(QStringLiteral("text"), data->text());
    }
    if (data->hasHtml()) {
        report.insert(QStringLiteral("html"), data->html());
    }
    const QByteArray custom = data->data(QStringLiteral("application/x-quor-test"));
    if (!custom.isEmpty()) {
        report.insert(QStringLiteral("custom"), QString::fromLatin1(custom.toBase64()));
    }
    if (data->hasImage()) {
        report.insert(QStringLiteral("image"), imageDigest(qvariant_cast<QImage>(data->imageData())));
    }
    report.insert(QStringLiteral("empty"), data->formats().contains(QStringLiteral("application/x-quor-empty")));
    return report;
}

void handleCommand(EditorLine& editor, const QByteArray& line)
{
    const QList<QByteArray> parts = line.trimmed().split(' ');
    const QByteArray command = parts.value(0);
    const QByteArray argument = parts.value(1);
    QJsonObject reply{{QStringLiteral("reply"), QString::fromLatin1(command)}};
    if (command == "text") {
        reply.insert(QStringLiteral("value"), editor.text());
    } else if (command == "set-text") {
        editor.setText(QString::fromUtf8(QByteArray::fromBase64(argument)));
        reply = editor.geometryReport();
        reply.insert(QStringLiteral("reply"), QStringLiteral("set-text"));
    } else if (command == "set-clipboard-text" || command == "set-clipboard-rich" || command == "set-clipboard-slow"
               || command == "publish-big") {
        QMimeData* data = nullptr;
        QClipboard::Mode mode = QClipboard::Clipboard;
        if (command == "set-clipboard-text") {
            data = new QMimeData();
            data->setText(QString::fromUtf8(QByteArray::fromBase64(argument)));
        } else if (command == "set-clipboard-slow") {
            data = new SlowMimeData(argument.toInt());
            data->setText(QStringLiteral("slowly served"));
            data->setData(QStringLiteral("application/x-quor-test"), QByteArray("slow bytes"));
        } else if (command == "publish-big") {
            data = new QMimeData();
            data->setText(bigText(parts.value(2).toInt()));
            mode = argument == "primary" ? QClipboard::Selection : QClipboard::Clipboard;
        } else {
            data = new QMimeData();
            data->setText(QStringLiteral("User's clip: çalışma ✓"));
            data->setHtml(QStringLiteral("<b>User's</b> clip"));
            data->setImageData(testImage());
            data->setData(QStringLiteral("application/x-quor-test"), QByteArray("\x00\x01\x02 bytes \xff", 12));
            data->setData(QStringLiteral("application/x-quor-empty"), QByteArray());
        }
        claimWithFreshTime(editor, data, mode, [reply] { emitLine(reply); });
        return;
    } else if (command == "dump-clipboard") {
        reply = clipboardReport();
    } else if (command == "copy-delay") {
        editor.copyDelay = argument == "hold" ? -1 : argument.toInt();
        editor.copyPending = false;
    } else if (command == "copy-now") {
        // Stamped with a fresh time, as by a program that copies when it gets to it.
        if (!editor.copyPending) {
            reply.insert(QStringLiteral("copied"), false);
        } else {
            static int stamp = 0;
            editor.window()->setWindowTitle(QStringLiteral("late copy %1").arg(++stamp));
            QTimer::singleShot(150, &editor, [&editor, reply]() mutable {
                reply.insert(QStringLiteral("copied"), editor.copyHeld());
                emitLine(reply);
            });
            return;
        }
    } else if (command == "paste-delay") {
        editor.pasteDelay = argument.toInt();
    } else if (command == "ignore-paste") {
        editor.ignoresPaste = argument != "0";
    } else if (command == "on-claim") {
        editor.onClaim = argument;
        editor.onClaimDelays.clear();
        for (const QByteArray& delay : parts.value(2).split(',')) {
            if (!delay.isEmpty()) {
                editor.onClaimDelays.append(delay.toInt());
            }
        }
    } else if (command == "pty-input") {
        reply.insert(QStringLiteral("hex"), QString::fromLatin1(editor.pty ? editor.pty->received().toHex() : QByteArray()));
    } else if (command == "keys") {
        reply.insert(QStringLiteral("keys"), editor.keys);
    } else if (command == "clear-keys") {
        editor.keys = QJsonArray();
    } else if (command == "activate") {
        editor.window()->raise();
        editor.window()->activateWindow();
        editor.setFocus();
    } else if (command == "quit") {
        emitLine(reply);
        QCoreApplication::quit();
        return;
    }
    emitLine(reply);
}

} // namespace

int main(int argc, char** argv)
{
    // WM_CLASS is (RESOURCE_NAME, application name): set both before the first window exists.
    QString className = QStringLiteral("QuorTestEditor");
    for (int index = 1; index + 1 < argc; ++index) {
        if (QByteArray(argv[index]) == "--class") {
            className = QString::fromLocal8Bit(argv[index + 1]);
        }
    }
    qputenv("RESOURCE_NAME", className.toLower().toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setApplicationName(className);

    QCommandLineParser parser;
    parser.addOption({QStringLiteral("class"), QStringLiteral("WM_CLASS class"), QStringLiteral("name")});
    parser.addOption({QStringLiteral("text"), QStringLiteral("initial text"), QStringLiteral("text")});
    parser.addOption({QStringLiteral("no-primary"), QStringLiteral("never publish PRIMARY")});
    parser.addOption({QStringLiteral("terminal"), QStringLiteral("copy and paste like a terminal")});
    parser.addOption({QStringLiteral("at"), QStringLiteral("window position x,y"), QStringLiteral("x,y")});
    parser.addOption({QStringLiteral("no-pid"), QStringLiteral("do not announce the process (_NET_WM_PID)")});
    parser.process(app);

    EditorLine editor(parser.value(QStringLiteral("text")), !parser.isSet(QStringLiteral("no-primary")),
                      parser.isSet(QStringLiteral("terminal")));
    if (parser.isSet(QStringLiteral("terminal"))) {
        editor.pty = std::make_unique<PseudoTerminal>();
    }
    editor.setWindowTitle(className);
    const QStringList at = parser.value(QStringLiteral("at")).split(QLatin1Char(','));
    if (at.size() == 2) {
        editor.move(at.at(0).toInt(), at.at(1).toInt());
    }
    editor.show();
    editor.raise();
    editor.activateWindow();
    // The toolkit announces it when it makes the window.
    if (const auto* x11 = app.nativeInterface<QNativeInterface::QX11Application>();
        x11 != nullptr && parser.isSet(QStringLiteral("no-pid"))) {
        Display* display = x11->display();
        XDeleteProperty(display, editor.winId(), XInternAtom(display, "_NET_WM_PID", False));
        XFlush(display);
    }
    QObject::connect(QGuiApplication::clipboard(), &QClipboard::changed, &editor, [&editor](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard) {
            reactToClaim(editor);
        }
    });

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[4096];
        const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (count <= 0) {
            input.setEnabled(false);
            QCoreApplication::quit();
            return;
        }
        pending.append(buffer, count);
        qsizetype newline = 0;
        while ((newline = pending.indexOf('\n')) >= 0) {
            const QByteArray line = pending.left(newline);
            pending.remove(0, newline + 1);
            handleCommand(editor, line);
        }
    });

    // Ready once the window is mapped, placed and focused, so reported positions are final.
    auto* ready = new QTimer(&app);
    QObject::connect(ready, &QTimer::timeout, &app, [&editor, ready] {
        if (!editor.isActiveWindow()) {
            editor.activateWindow();
            return;
        }
        ready->stop();
        QJsonObject report = editor.geometryReport();
        report.insert(QStringLiteral("event"), QStringLiteral("ready"));
        report.insert(QStringLiteral("pid"), static_cast<qint64>(QCoreApplication::applicationPid()));
        report.insert(QStringLiteral("window"), static_cast<qint64>(editor.winId()));
        emitLine(report);
    });
    ready->start(50);
    return QApplication::exec();
}
