#include "QuorKit/Windowing/QuorApplicationHiding.h"

#include "QuorPlatform/Workspace/QuorX11Workspace.h"

#include <QApplication>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <utility>

QuorApplicationHiding::QuorApplicationHiding(QObject* parent) : QObject(parent) {}

bool QuorApplicationHiding::isDocumentWindow(const QWidget* window)
{
    const Qt::WindowType type = window->windowType();
    return type == Qt::Window || type == Qt::Dialog;
}

bool QuorApplicationHiding::isPanel(const QWidget* window)
{
    return window->windowType() == Qt::Tool;
}

void QuorApplicationHiding::hide()
{
    // Windows the user brought back or closed since an earlier Hide are forgotten.
    m_minimizedOwn.removeIf([](const OwnWindow& own) { return !own.widget || !own.widget->isMinimized(); });
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (!widget->isVisible()) {
            continue;
        }
        if (isPanel(widget)) {
            m_hiddenPanels.append(widget);
            widget->hide();
        } else if (isDocumentWindow(widget) && !widget->isMinimized()) {
            m_minimizedOwn.append({widget, widget->winId(), widget->windowState() & ~Qt::WindowMinimized});
            widget->showMinimized();
        }
    }
    watchForReturn();
}

void QuorApplicationHiding::watchForReturn()
{
    if (m_hiddenPanels.isEmpty() || m_returnWatch) {
        return;
    }
    // The user brings the application back from the taskbar: it becomes active again with one of
    // its windows no longer minimized (as the window manager, not a passing state, says).
    m_leftSinceHide = QGuiApplication::applicationState() != Qt::ApplicationActive;
    m_returnWatch = connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive) {
            m_leftSinceHide = true;
            return;
        }
        const bool back = std::any_of(m_minimizedOwn.cbegin(), m_minimizedOwn.cend(), [](const OwnWindow& own) {
            return own.widget && !quor::platform::X11Workspace::isMinimized(own.window);
        });
        if (m_leftSinceHide && back) {
            showHiddenPanels();
        }
    });
}

void QuorApplicationHiding::hideOthers()
{
    const QList<unsigned long> minimized =
        quor::platform::X11Workspace::minimizeOtherApplications(QCoreApplication::applicationPid());
    for (const unsigned long window : minimized) {
        if (!m_minimizedOthers.contains(window)) {
            m_minimizedOthers.append(window);
        }
    }
}

void QuorApplicationHiding::showAll()
{
    QWidget* const active = QApplication::activeWindow();
    // Only what Hide Others put away: a window the user minimized stays where the user put it.
    quor::platform::X11Workspace::restoreWindows(std::exchange(m_minimizedOthers, {}));
    // The application's own windows come back in the state each had: showNormal() would bring a
    // maximized window back unmaximized. Qt's idea of a window's state can lag behind the window
    // manager's, so the state Hide saw is asked for, and the window manager maps what is still
    // minimized (it kept each window's state meanwhile).
    QList<unsigned long> own;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (!widget->isVisible() || !isDocumentWindow(widget)) {
            continue;
        }
        if (widget->isMinimized()) {
            Qt::WindowStates wanted = widget->windowState() & ~Qt::WindowMinimized;
            for (const OwnWindow& hidden : std::as_const(m_minimizedOwn)) {
                if (hidden.widget == widget) {
                    wanted = hidden.statesBefore;
                }
            }
            widget->setWindowState(wanted);
        }
        own.append(widget->winId());
    }
    quor::platform::X11Workspace::restoreWindows(own);
    showHiddenPanels();
    if (active != nullptr && active->isVisible()) {
        active->raise();
        active->activateWindow();
    }
}

void QuorApplicationHiding::showHiddenPanels()
{
    disconnect(m_returnWatch);
    m_returnWatch = {};
    m_minimizedOwn.clear();
    for (const QPointer<QWidget>& panel : std::exchange(m_hiddenPanels, {})) {
        if (panel) {
            panel->show();
        }
    }
}
