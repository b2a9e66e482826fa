#include "QuorKit/Windowing/QuorFloatingNSPanel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <QWindow>

QuorFloatingNSPanel::QuorFloatingNSPanel()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetNoConstraint);
}

void QuorFloatingNSPanel::setTakesKeyboard(bool takesKeyboard)
{
    if (takesKeyboard == m_takesKeyboard) {
        return;
    }
    m_takesKeyboard = takesKeyboard;
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowDoesNotAcceptFocus, !takesKeyboard);
    setAttribute(Qt::WA_ShowWithoutActivating, !takesKeyboard);
    if (wasVisible) {
        show(); // a change of window flags hides a visible window
    }
}

void QuorFloatingNSPanel::setContent(QWidget* content)
{
    if (m_content != nullptr) {
        layout()->removeWidget(m_content);
        m_content->deleteLater();
    }
    m_content = content;
    layout()->addWidget(content);
}

void QuorFloatingNSPanel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        if (onEscapePressed) {
            onEscapePressed();
        }
        return;
    }
    QWidget::keyPressEvent(event);
}

void QuorFloatingNSPanel::mousePressEvent(QMouseEvent* event)
{
    // Presses the content leaves alone land here: the background moves the panel.
    if (event->button() == Qt::LeftButton && windowHandle() != nullptr) {
        windowHandle()->startSystemMove();
        return;
    }
    QWidget::mousePressEvent(event);
}
