#pragma once

#include <QLayout>
#include <QList>

// A grid with as many equal columns as fit at `minimumColumnWidth` or more (at least one), items
// placed row by row in insertion order, each as tall as its row's tallest item.
class QuorAdaptiveGridLayout : public QLayout {
    Q_OBJECT
public:
    QuorAdaptiveGridLayout(double minimumColumnWidth, double columnSpacing, double rowSpacing,
                          QWidget* parent = nullptr);
    ~QuorAdaptiveGridLayout() override;

    // How many columns fit in `width`.
    static int columnCount(double width, double minimumColumnWidth, double columnSpacing);

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override { return Qt::Horizontal; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    int arrange(const QRect& rect, bool apply) const;

    double m_minimumColumnWidth;
    double m_columnSpacing;
    double m_rowSpacing;
    QList<QLayoutItem*> m_items;
};
