#pragma once

#include "QuorKit/Design/QuorCapsuleLook.h"

#include <QAbstractButton>

// A button drawn as a capsule look: a chip or pill. It takes the keyboard focus (a ring shows it)
// and is named by its text, or by its tooltip when it has none.
class QuorCapsuleButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit QuorCapsuleButton(QuorCapsuleLook look, QWidget* parent = nullptr);

    const QuorCapsuleLook& look() const { return m_look; }
    void setLook(const QuorCapsuleLook& look);
    // The tooltip, shown literally.
    void setHelpText(const QString& text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void updateAccessibleName();

    QuorCapsuleLook m_look;
};
