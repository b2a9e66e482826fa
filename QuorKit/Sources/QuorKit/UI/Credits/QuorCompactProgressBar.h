#pragma once

#include <QColor>
#include <QWidget>

// A thin capsule bar, 5 points high across the offered width: a faint track and a tinted fill.
class QuorCompactProgressBar : public QWidget {
    Q_OBJECT
public:
    static constexpr double barHeight = 5;
    static constexpr double minimumFill = 4;

    QuorCompactProgressBar(double ratio, const QColor& tint, QWidget* parent = nullptr);

    // The fill's width on a track `width` wide: the ratio clamped to 0...1 (not a number counts as
    // 0), and at least 4 points when above 0.
    static double fillWidth(double ratio, double width);

    void setRatio(double ratio);
    void setTint(const QColor& tint);
    double ratio() const { return m_ratio; }
    QColor tint() const { return m_tint; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_ratio;
    QColor m_tint;
};
