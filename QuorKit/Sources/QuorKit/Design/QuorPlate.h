#pragma once

#include <QColor>
#include <QWidget>

#include <optional>

// A background for a group of widgets: a rounded rectangle (or a capsule) filled with one
// colour and optionally edged inside with a 1-point line.
class QuorPlate : public QWidget {
    Q_OBJECT
public:
    // A negative `cornerRadius` draws a capsule.
    QuorPlate(const QColor& fill, std::optional<QColor> border, double cornerRadius, QWidget* parent = nullptr);

    void setColors(const QColor& fill, std::optional<QColor> border);
    QColor fill() const { return m_fill; }
    std::optional<QColor> border() const { return m_border; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_fill;
    std::optional<QColor> m_border;
    double m_cornerRadius;
};
