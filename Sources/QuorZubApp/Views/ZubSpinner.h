#pragma once

#include <QColor>
#include <QWidget>

// A small spinning ring in the accent colour, on a faint track of the same colour; it stands still
// when animations are off.
class ZubSpinner : public QWidget {
    Q_OBJECT
public:
    explicit ZubSpinner(QColor accent, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_accent;
    int m_angle = 0;
};
