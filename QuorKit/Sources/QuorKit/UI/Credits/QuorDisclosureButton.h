#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QFont>

// A row that opens and closes what lies under it: a chevron, a title, and at the far end an
// optional word ("Edit", "Hide"). The whole row is the hit area.
class QuorDisclosureButton : public QAbstractButton {
    Q_OBJECT
public:
    QuorDisclosureButton(const QFont& titleFont, const QColor& titleColor, QWidget* parent = nullptr);

    // `symbol` is the chevron's name; an empty `trailing` shows nothing at the end.
    void setContent(const QString& symbol, const QString& title, const QString& trailing);
    QString symbolName() const { return m_symbol; }
    QString trailingText() const { return m_trailing; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont m_titleFont;
    QColor m_titleColor;
    QString m_symbol;
    QString m_trailing;
};
