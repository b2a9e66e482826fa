#pragma once

#include <QWidget>

#include <functional>

// The window of QuorFloatingPanelController: frameless, on top of other windows, never takes the
// keyboard and shows without activating, so the application the user works in stays active. It
// moves when dragged by its background.
class QuorFloatingNSPanel : public QWidget {
public:
    QuorFloatingNSPanel();

    std::function<void()> onEscapePressed;

    // Replaces the content (the previous one is deleted).
    void setContent(QWidget* content);
    QWidget* content() const { return m_content; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QWidget* m_content = nullptr;
};
