#pragma once

#include <QAbstractButton>
#include <QString>

// A glass button whose title is in the caption font, after a small symbol: the compact buttons of
// toolbars and footers. Without a title it shows the symbol alone.
class QuorCaptionGlassButton : public QAbstractButton {
    Q_OBJECT
public:
    QuorCaptionGlassButton(const QString& title, QString symbolName, QWidget* parent = nullptr);

    QString symbolName() const { return m_symbolName; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbolName;
};
