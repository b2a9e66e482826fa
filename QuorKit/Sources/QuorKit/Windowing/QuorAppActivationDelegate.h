#pragma once

#include <QList>
#include <QObject>
#include <QString>

class QuorBundle;
class QWidget;

// "com.tallowmer.reopenStudioWindow": posted (no object) when the user reopens the application and
// no window of it can be brought forward, so the application opens its studio window again.
inline const QString quorReopenStudioWindow = QStringLiteral("com.tallowmer.reopenStudioWindow");

// The application's activation behaviour: at launch it writes one lifecycle log line and, a moment
// later, brings the studio window to the front; when the user reopens the application (on this
// platform: starts it a second time) it fronts a window or asks for the studio window to be
// reopened. GUI thread only.
class QuorAppActivationDelegate : public QObject {
    Q_OBJECT
public:
    explicit QuorAppActivationDelegate(QObject* parent = nullptr);

    // Once, when the event loop is about to run.
    void applicationDidFinishLaunching();
    // The reopen request; always true (handled).
    bool applicationShouldHandleReopen(bool hasVisibleWindows);

    // The first visible top-level window that is a real window (not a panel, popup or tool window)
    // is restored when minimized, raised and activated. Nothing when there is none.
    static void bringStudioWindowToFront();
    // Whether bringStudioWindowToFront() would find a window.
    static bool hasVisibleWindows();

    // Display name, else name, else the process name.
    static QString resolvedAppName(const QuorBundle& bundle, const QString& processName);
    // "<name> v<version> (<build>) launched (<system>)".
    static QString launchMessage(const QuorBundle& bundle, const QString& processName, const QString& system);
    // The distribution's name and the kernel, e.g. "Debian GNU/Linux 12 (bookworm), Linux 6.1.0-18-amd64".
    static QString systemDescription();
    // The window bringStudioWindowToFront() picks among `windows`, in their order.
    static QWidget* studioWindowCandidate(const QList<QWidget*>& windows);
};
