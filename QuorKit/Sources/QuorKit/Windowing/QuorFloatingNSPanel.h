#pragma once

#include <QWidget>

#include <functional>

// The window of QuorFloatingPanelController: frameless and on top of other windows. By default it
// never takes the keyboard and shows without activating, so the application the user works in
// stays active; a panel asked to take the keyboard (for a field in it) is activated when shown.
// It moves when dragged by its background.
class QuorFloatingNSPanel : public QWidget {
public:
    QuorFloatingNSPanel();

    std::function<void()> onEscapePressed;

    bool takesKeyboard() const { return m_takesKeyboard; }
    // Takes effect at the next show.
    void setTakesKeyboard(bool takesKeyboard);

    // Replaces the content (the previous one is deleted).
    void setContent(QWidget* content);
    QWidget* content() const { return m_content; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QWidget* m_content = nullptr;
    bool m_takesKeyboard = false;
};
