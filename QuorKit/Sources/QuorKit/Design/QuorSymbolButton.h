#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QString>

// A bare symbol that acts as a button, as large as the symbol's frame.
class QuorSymbolButton : public QAbstractButton {
    Q_OBJECT
public:
    // `pressedOpacity` is how opaque the symbol draws while pressed (1 keeps it unchanged).
    QuorSymbolButton(QString symbol, double size, QColor color, double pressedOpacity, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
    double m_size;
    QColor m_color;
    double m_pressedOpacity;
};
