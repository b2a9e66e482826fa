#pragma once

#include "QuorKit/Design/QuorCapsuleLook.h"

#include <QWidget>

// A badge: a capsule look shown at its natural size (or stretched across its width, content
// centred). Its text is its accessible name.
class QuorCapsuleLabel : public QWidget {
    Q_OBJECT
public:
    explicit QuorCapsuleLabel(QuorCapsuleLook look, QWidget* parent = nullptr);

    const QuorCapsuleLook& look() const { return m_look; }
    void setLook(const QuorCapsuleLook& look);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QuorCapsuleLook m_look;
};
