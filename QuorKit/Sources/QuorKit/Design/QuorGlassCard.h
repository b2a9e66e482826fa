#pragma once

#include <QWidget>

// A padded content widget on a faint glass rounded rectangle with a hairline border.
class QuorGlassCard : public QWidget {
    Q_OBJECT
public:
    // Takes ownership of `content`.
    QuorGlassCard(double padding, double cornerRadius, QWidget* content, QWidget* parent = nullptr);

    QWidget* content() const { return m_content; }
    double padding() const { return m_padding; }
    double cornerRadius() const { return m_cornerRadius; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_padding;
    double m_cornerRadius;
    QWidget* m_content;
};
