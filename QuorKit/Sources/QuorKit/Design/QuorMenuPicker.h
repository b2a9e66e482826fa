#pragma once

#include "QuorKit/Design/QuorGlassButtonStyle.h"

#include <QAbstractButton>
#include <QList>
#include <QString>

#include <optional>

class QMenu;

// A pop-up menu picker drawn as a glass button: the chosen item's title (after an optional symbol)
// with an up-down chevron; a click opens the items as a menu below it. The picker never changes its
// own choice: it reports the picked index and its owner sets the current index from its model.
class QuorMenuPicker : public QAbstractButton {
    Q_OBJECT
public:
    struct Item {
        QString title;
        bool isSeparator = false;
        bool operator==(const Item& other) const = default;
    };

    explicit QuorMenuPicker(QWidget* parent = nullptr);

    void setItems(const QList<Item>& items);
    const QList<Item>& items() const { return m_items; }
    // -1 (or an index out of range, or a separator) shows `placeholder` and marks nothing.
    void setCurrentIndex(int index);
    int currentIndex() const { return m_currentIndex; }
    void setSymbolName(const QString& symbolName);
    // Whether the open menu shows a check mark at the current item.
    void setMarksCurrent(bool marks) { m_marksCurrent = marks; }
    void setPlaceholder(const QString& placeholder);

    // The label the button shows now.
    QString labelText() const;
    // The menu as it would open, parented to the picker (the caller owns it).
    QMenu* buildMenu();
    // Acts as if the user picked `index` from the menu (separators and out-of-range do nothing).
    void pick(int index);

    // The dark glass look shared by every menu of the kit.
    static void styleMenu(QMenu* menu);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void activated(int index);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void openMenu();

    QList<Item> m_items;
    int m_currentIndex = -1;
    QString m_symbolName;
    QString m_placeholder;
    bool m_marksCurrent = true;
    QuorGlassButtonStyle m_style{false};
};
