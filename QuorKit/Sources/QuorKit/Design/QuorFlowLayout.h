#pragma once

#include <QLayout>
#include <QList>
#include <QRectF>
#include <QSizeF>

#include <optional>

// Places items left to right at their ideal sizes, `spacing` apart, and wraps to a new line
// `lineSpacing` below when the next item does not fit. An item wider than the line gets a line of
// its own and is not shrunk.
class QuorFlowLayout : public QLayout {
    Q_OBJECT
public:
    QuorFlowLayout(double spacing, double lineSpacing, QWidget* parent = nullptr);
    ~QuorFlowLayout() override;

    // The size the items need for a proposed width (none: never wrap). The width is the proposal
    // when there is one, else the widest line.
    static QSizeF measure(const QList<QSizeF>& sizes, std::optional<double> proposedWidth, double spacing,
                          double lineSpacing);
    // Item frames inside `bounds`; an item may overshoot the right edge by half a point before it wraps.
    static QList<QRectF> place(const QList<QSizeF>& sizes, const QRectF& bounds, double spacing,
                               double lineSpacing);

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    QList<QSizeF> itemSizes() const;

    double m_spacing;
    double m_lineSpacing;
    QList<QLayoutItem*> m_items;
};
