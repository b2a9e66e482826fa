#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

// A dark capsule with a status icon and a message, which assistive technology meets as a
// notification named by the message. It neither times out nor animates; its owner shows and
// removes it.
class QuorToastBanner : public QWidget {
    Q_OBJECT
public:
    struct Icon {
        QString symbolName;
        QColor color;
        bool operator==(const Icon& other) const = default;
    };

    QuorToastBanner(const QString& message, bool isError, QWidget* parent = nullptr);

    // Amber triangle for an error, green check mark otherwise.
    static Icon iconFor(bool isError);

    QString message() const { return m_message; }
    bool isError() const { return m_isError; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_message;
    bool m_isError;
};
