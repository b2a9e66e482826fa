#pragma once

#include "QuorKit/Localization/QuorLanguage.h"

#include <QColor>
#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <QString>

class QAction;
class QCloseEvent;
class QMenu;
class MainZubStudioView;
class ZubStudioViewModel;

// The studio window: the studio's views under the application's command menu. Closing it keeps
// where the shown tab was scrolled in the view model and announces closed(); its owner then
// releases it, and the application keeps running in the tray. GUI thread only.
class ZubStudioWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr QSize minimumStudioSize{1020, 680};
    static constexpr QSize defaultStudioSize{1160, 740};
    // Room kept for the window manager's frame around the window's content.
    static constexpr QSize frameAllowance{16, 48};

    // The window's minimum size and its first frame (content, without the window manager's frame)
    // on a screen whose available area is `available`: never larger than that area, centred in it.
    struct Placement {
        QSize minimum;
        QRect frame;
        bool operator==(const Placement& other) const = default;
    };
    static Placement placement(const QRect& available);

    // The command menu's texts for one state.
    struct Commands {
        QString menuTitle;
        QString trigger;
        QString screenOCR;
        QString autoShow;
        QString quit;
        bool operator==(const Commands& other) const = default;
    };
    static Commands commands(bool autoShowOnSelection, QuorLanguage language);

    ZubStudioWindow(ZubStudioViewModel* viewModel, QColor accent, QWidget* parent = nullptr);

    QAction* triggerAction() const { return m_trigger; }
    QAction* screenOCRAction() const { return m_screenOCR; }
    QAction* autoShowAction() const { return m_autoShow; }
    QAction* quitAction() const { return m_quit; }

signals:
    // The window was closed by the user or the window manager (not hidden by the program).
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void sync();
    // Sized and placed for the screen under the pointer.
    void placeOnScreen();

    QPointer<ZubStudioViewModel> m_viewModel;
    MainZubStudioView* m_view = nullptr;
    QMenu* m_menu = nullptr;
    QAction* m_trigger = nullptr;
    QAction* m_screenOCR = nullptr;
    QAction* m_autoShow = nullptr;
    QAction* m_quit = nullptr;
};
