#pragma once

#include <QAbstractButton>
#include <QColor>

// A switch without a label: a capsule track with a round knob, accent-filled when on.
class ZubStudioSwitch : public QAbstractButton {
    Q_OBJECT
public:
    explicit ZubStudioSwitch(QColor accent, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_accent;
};
