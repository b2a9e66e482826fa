// A plain window standing for the application the user types into. It writes "ready <window id>"
// once it has the keyboard, then "key <name>" for every key press it receives ("key Esc"), and
// quits when its standard input closes.
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <unistd.h>

namespace {

void writeLine(const QByteArray& line)
{
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

class KeyWitness : public QWidget {
protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        writeLine("key " + QKeySequence(event->key()).toString(QKeySequence::PortableText).toUtf8());
    }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    KeyWitness window;
    window.setWindowTitle(QStringLiteral("Key witness"));
    window.setFocusPolicy(Qt::StrongFocus);
    window.setGeometry(100, 100, 400, 200);
    window.show();
    window.activateWindow();

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&input] {
        char buffer[256];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) {
            input.setEnabled(false);
            QCoreApplication::quit();
        }
    });

    QTimer ready;
    QObject::connect(&ready, &QTimer::timeout, &app, [&window, &ready] {
        if (!window.isActiveWindow()) {
            window.activateWindow();
            return;
        }
        ready.stop();
        writeLine("ready " + QByteArray::number(static_cast<qulonglong>(window.winId())));
    });
    ready.start(50);
    return QApplication::exec();
}
