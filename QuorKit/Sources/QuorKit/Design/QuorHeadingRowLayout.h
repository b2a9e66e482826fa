#pragma once

#include <QLayout>
#include <QList>
#include <QRect>
#include <QSize>

#include <functional>

// A heading and the controls that follow it: on one line, the controls at the trailing edge, when
// the line holds both at their ideal widths; otherwise the controls take a line of their own below
// the heading, still at the trailing edge. The heading is never shrunk, so it always shows whole;
// controls wider than the line that can wrap (a flow of buttons) wrap within it.
// The first item added is the heading, the second the controls.
class QuorHeadingRowLayout : public QLayout {
    Q_OBJECT
public:
    QuorHeadingRowLayout(double spacing, double lineSpacing, QWidget* parent = nullptr);
    ~QuorHeadingRowLayout() override;

    // Frames of the heading and the controls inside `bounds`.
    struct Frames {
        QRect heading;
        QRect controls;
        bool oneLine = true;
        bool operator==(const Frames& other) const = default;
    };
    // `controlsHeightForWidth`, when given, is how tall the controls are once wrapped to a width.
    static Frames arrange(QSize heading, QSize controls, const QRect& bounds, int spacing, int lineSpacing,
                          const std::function<int(int)>& controlsHeightForWidth = {});

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
    QSize hint(int index) const;
    Frames frames(const QRect& bounds) const;

    int m_spacing;
    int m_lineSpacing;
    QList<QLayoutItem*> m_items;
};
