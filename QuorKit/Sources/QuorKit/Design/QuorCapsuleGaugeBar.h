#pragma once

#include <QColor>
#include <QWidget>

// A capsule bar across the offered width: a track and a fill with a gradient along it. Any
// positive fraction shows at least `minimumFill` points, so a started run is never invisible.
class QuorCapsuleGaugeBar : public QWidget {
    Q_OBJECT
public:
    struct Look {
        double height = 6;
        double minimumFill = 4;
        QColor track;
        QColor fillStart; // at the leading edge
        QColor fillEnd;
        bool operator==(const Look& other) const = default;
    };

    QuorCapsuleGaugeBar(double fraction, Look look, QWidget* parent = nullptr);

    // The fill's width on a track `width` wide: the fraction clamped to 0...1 first (not a number
    // counts as 0), and at least `minimumFill` when above 0.
    static double fillWidth(double fraction, double width, double minimumFill);

    double fraction() const { return m_fraction; }
    const Look& look() const { return m_look; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_fraction;
    Look m_look;
};
