#pragma once

#include <QWidget>

#include <functional>

class ZubFloatingBarContentView;

// The bar's window: frameless, on top, never takes the keyboard and shows without activating, so
// the application the text came from stays active; clicks act at once. Where no compositor draws
// translucent windows, its shape is cut to the bar's frosted surfaces.
class ZubFloatingPanel : public QWidget {
public:
    ZubFloatingPanel();
    ~ZubFloatingPanel() override;

    void setContent(ZubFloatingBarContentView* content);
    ZubFloatingBarContentView* content() const { return m_content; }

    std::function<void()> onEscapePressed;

    // Re-reads whether a compositing manager runs and reshapes the window to match.
    void refreshShape();
    bool usesShapeMask() const { return m_usesShapeMask; }

    // Whether a compositing manager owns the screen's selection; true when that cannot be asked.
    static bool isCompositingManagerRunning();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void applyShape();

    ZubFloatingBarContentView* m_content = nullptr;
    bool m_usesShapeMask = false;
};
