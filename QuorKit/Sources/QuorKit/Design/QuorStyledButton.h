#pragma once

#include "QuorKit/Design/QuorButtonLook.h"
#include "QuorKit/Design/QuorGlassButtonStyle.h"
#include "QuorKit/Design/QuorPrimaryButtonStyle.h"

#include <QAbstractButton>
#include <QPointer>

#include <optional>
#include <utility>
#include <variant>

class QPainter;
class QTimer;
class QVariantAnimation;

using QuorButtonStyle = std::variant<QuorPrimaryButtonStyle, QuorGlassButtonStyle>;

// A push button drawn in one of the kit's button styles, with a title and an optional symbol
// before it, on one line.
class QuorStyledButton : public QAbstractButton {
    Q_OBJECT
public:
    QuorStyledButton(const QString& title, const QString& symbolName, QuorButtonStyle style,
                     QWidget* parent = nullptr);

    void setButtonStyle(QuorButtonStyle style);
    const QuorButtonStyle& buttonStyle() const { return m_style; }
    void setSymbolName(const QString& symbolName);
    QString symbolName() const { return m_symbolName; }
    // While busy a small spinner stands where the symbol is (before the title when there is none).
    void setBusy(bool busy);
    bool isBusy() const { return m_busyTicker != nullptr; }

    // Sets the title in `size` and `weight` instead of the style's font, for buttons that stand
    // among caption or badge texts.
    void setLabelFont(double size, QFont::Weight weight);

    QuorButtonLook currentLook() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    // Sets `painter` up for `look` (opacity, press scale) and paints the button's plate: what every
    // look of the button draws under its content. Returns the button's bounds.
    QRectF paintPlate(QPainter& painter, const QuorButtonLook& look) const;

private:
    void animatePress(bool pressed);
    bool hasSymbolSlot() const { return !m_symbolName.isEmpty() || isBusy(); }
    QuorButtonLook styledLook(bool pressed) const;

    QuorButtonStyle m_style;
    QString m_symbolName;
    std::optional<std::pair<double, QFont::Weight>> m_labelFont;
    double m_pressProgress = 0; // 0 resting, 1 pressed
    QPointer<QVariantAnimation> m_pressAnimation;
    QTimer* m_busyTicker = nullptr;
    int m_busyAngle = 0;
};
