#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QMargins>

class QTimer;

// The call to action of a sheet: a white semibold title on a rounded plate of the tint colour,
// faded while pressed or disabled. While busy a small turning ring stands before the title.
class QuorProminentButton : public QAbstractButton {
    Q_OBJECT
public:
    QuorProminentButton(const QString& title, QColor tint, QFont font, QMargins padding, QWidget* parent = nullptr);

    QColor tint() const { return m_tint; }
    bool isBusy() const { return m_busy; }
    void setBusy(bool busy);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    QColor m_tint;
    QFont m_font;
    QMargins m_padding;
    bool m_busy = false;
    int m_angle = 0;
    QTimer* m_spin = nullptr;
};
