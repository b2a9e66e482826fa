#pragma once

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QWindow>

class QWidget;

// Hide, Hide Others and Show All of an application's menu, on a desktop where hiding means
// minimizing to the taskbar. Hide minimizes the application's windows and hides its panels, which
// have no taskbar entry to come back from; they return with Show All, or as soon as the user
// brings one of the minimized windows back. Hide Others minimizes the other applications' taskbar
// windows, and Show All brings back exactly those, each in the state it had. GUI thread only.
class QuorApplicationHiding : public QObject {
public:
    explicit QuorApplicationHiding(QObject* parent = nullptr);

    void hide();
    void hideOthers();
    void showAll();

    // Windows that stand for the application in the taskbar; panels are its tool windows, which
    // float beside them without an entry of their own.
    static bool isDocumentWindow(const QWidget* window);
    static bool isPanel(const QWidget* window);

private:
    void watchForReturn();
    void showHiddenPanels();

    struct OwnWindow {
        QPointer<QWidget> widget;
        WId window = 0;
        Qt::WindowStates statesBefore; // as it was when Hide minimized it
    };

    QList<QPointer<QWidget>> m_hiddenPanels;
    QList<OwnWindow> m_minimizedOwn;
    QMetaObject::Connection m_returnWatch;
    bool m_leftSinceHide = false;
    QList<unsigned long> m_minimizedOthers;
};
