#pragma once

#include <QAbstractButton>
#include <QColor>

#include <optional>

// A plain button of the studio: whatever its layout holds, on a rounded rectangle (or capsule) that
// its owner colours, dimmed slightly while pressed. It tracks the pointer for hover looks.
class ZubStudioButton : public QAbstractButton {
    Q_OBJECT
public:
    // A negative `cornerRadius` draws a capsule.
    explicit ZubStudioButton(double cornerRadius, QWidget* parent = nullptr);

    void setColors(const QColor& fill, std::optional<QColor> border = std::nullopt);
    bool isHovered() const { return m_hovered; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void hoverChanged(bool hovered);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    double m_cornerRadius;
    QColor m_fill = Qt::transparent;
    std::optional<QColor> m_border;
    bool m_hovered = false;
};
