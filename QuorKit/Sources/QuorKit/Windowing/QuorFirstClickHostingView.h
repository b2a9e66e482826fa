#pragma once

#include <QWidget>

// Hosts one content widget so that the first click acts on the content, and a press the content
// leaves unhandled stays here instead of moving the window.
class QuorFirstClickHostingView : public QWidget {
public:
    explicit QuorFirstClickHostingView(QWidget* content, QWidget* parent = nullptr);

    QWidget* content() const { return m_content; }

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QWidget* m_content;
};
