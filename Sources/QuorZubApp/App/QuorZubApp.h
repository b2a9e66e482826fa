#pragma once

#include "QuorPlatform/Memory/QuorResidentProgramPages.h"

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QObject>
#include <QPointer>

#include <memory>
#include <optional>

class QuorAppActivationDelegate;
class ZubDesktopNotifier;
class ZubMenuBarExtra;
class ZubStudioEnvironment;
class ZubStudioViewModel;
class ZubStudioWindow;

// The running application: its activation delegate, its one view model, the studio window with
// the command menu, and the tray icon with its window. The studio window exists only while it is
// open: closed, it is released with everything it drew, and built again from the view model when it
// is opened. Lives for the whole process, on the GUI thread.
class QuorZubApp : public QObject {
    Q_OBJECT
public:
    explicit QuorZubApp(std::unique_ptr<ZubStudioEnvironment> environment, QObject* parent = nullptr);
    ~QuorZubApp() override;

    // The launch step of the activation delegate; call once the event loop is about to run.
    void didFinishLaunching();
    // A second start of the application.
    void reopen();
    // Opens the studio window (again, when it was closed) and brings it to the front.
    void openStudioWindow();

    ZubStudioViewModel* viewModel() const { return m_viewModel.get(); }
    // Null until the event loop first runs (the tray icon is up before the studio window is built)
    // and from the moment the window is closed until it is opened again.
    ZubStudioWindow* studioWindow() const { return m_studioWindow.get(); }
    ZubMenuBarExtra* menuBarExtra() const { return m_menuBarExtra.get(); }

signals:
    // A closed studio window is gone and the memory it held was handed back.
    void studioWindowReleased();

private:
    ZubStudioWindow& studioWindowCreatingIt();
    void releaseStudioWindow();
    // Hands back what the released window held: the heap it freed and the program's pages it
    // brought in.
    void returnStudioMemory();

    std::unique_ptr<QuorAppActivationDelegate> m_delegate;
    std::unique_ptr<ZubStudioViewModel> m_viewModel;
    std::unique_ptr<ZubStudioWindow> m_studioWindow;
    // Closed windows waiting for their deferred deletion.
    QList<QPointer<ZubStudioWindow>> m_closedStudioWindows;
    // Where the window stood when it closed, for the next one.
    QByteArray m_studioGeometry;
    // The program's pages mapped in before the studio was first built: what the studio brought in
    // beyond them is let go when it closes.
    std::optional<quor::platform::ResidentProgramPages> m_residentBeforeStudio;
    QColor m_accent;
    std::unique_ptr<ZubMenuBarExtra> m_menuBarExtra;
    std::unique_ptr<ZubDesktopNotifier> m_notifier;
};
