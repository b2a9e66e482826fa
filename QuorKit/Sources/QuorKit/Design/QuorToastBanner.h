#pragma once

#include <QColor>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <optional>
#include <utility>

// A dark capsule with a status icon and a message, which assistive technology meets as a
// notification named by the message. A message wider than the room its owner gives it wraps to
// more lines, and the capsule becomes a rectangle with the capsule's rounded ends; nothing of the
// message is cut. It neither times out nor animates; its owner shows and removes it.
class QuorToastBanner : public QWidget {
    Q_OBJECT
public:
    struct Icon {
        QString symbolName;
        QColor color;
        bool operator==(const Icon& other) const = default;
    };

    // Where everything goes in a banner at most `maxWidth` wide (unbounded: on one line).
    struct Layout {
        QSize size;
        QRectF icon;
        // Where the lines go, and the message's lines in order, each a run of it as it stands.
        QRectF text;
        QStringList lines;
        double lineHeight = 0;
        double cornerRadius = 0;
        bool operator==(const Layout& other) const = default;
    };
    static Layout layout(const QString& message, std::optional<int> maxWidth = std::nullopt);

    QuorToastBanner(const QString& message, bool isError, QWidget* parent = nullptr);

    // Amber triangle for an error, green check mark otherwise.
    static Icon iconFor(bool isError);

    QString message() const { return m_message; }
    bool isError() const { return m_isError; }
    // The widest it may be, which its size hint keeps to.
    void setMaximumBannerWidth(int width);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_message;
    bool m_isError;
    std::optional<int> m_maximumWidth;
    // The layout last painted, by the width it was made for.
    std::optional<std::pair<int, Layout>> m_painted;
};
