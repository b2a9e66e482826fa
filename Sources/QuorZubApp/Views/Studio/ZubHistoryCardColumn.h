#pragma once

#include <QLayout>
#include <QList>

#include <optional>

// The history list's column: its cards one under the other, as wide as the column and each as tall
// as it has made itself (a card fixes its height at the list's width). A long list is laid out
// again after every few cards built while it scrolls; a box layout then asked each of thousands of
// cards for its sizes and placed every one again, longer than a scroll step may take. This one
// reads a fixed height as it stands and moves only the cards whose place changed.
class ZubHistoryCardColumn : public QLayout {
public:
    explicit ZubHistoryCardColumn(QWidget* parent = nullptr);
    ~ZubHistoryCardColumn() override;

    void insertWidget(int index, QWidget* widget);

    void addItem(QLayoutItem* item) override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    int count() const override { return static_cast<int>(m_items.size()); }
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    Qt::Orientations expandingDirections() const override { return {}; }
    void setGeometry(const QRect& rect) override;
    void invalidate() override;

private:
    struct Entry {
        QLayoutItem* item = nullptr;
        // Taken once, as the card was put in: asking again at every layout is what took long.
        int minimumWidth = 0;
    };

    QSize size() const;

    QList<Entry> m_items;
    mutable std::optional<QSize> m_size;
};
