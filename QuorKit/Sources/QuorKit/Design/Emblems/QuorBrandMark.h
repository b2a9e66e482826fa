#pragma once

#include "QuorKit/Design/Emblems/QuorAppIdentity.h"

#include <QWidget>

#include <optional>

// What a brand mark shows: one application's emblem, the running application's, or the suite mark.
struct QuorBrandMarkStyle {
    enum class Kind { app, currentApp, quorbelSuite };

    Kind kind = Kind::currentApp;
    std::optional<QuorAppIdentity> identity; // for Kind::app

    static QuorBrandMarkStyle app(QuorAppIdentity identity) { return {Kind::app, identity}; }
    static QuorBrandMarkStyle currentApp() { return {Kind::currentApp, std::nullopt}; }
    static QuorBrandMarkStyle quorbelSuite() { return {Kind::quorbelSuite, std::nullopt}; }
    // The emblem of the suite application of that name; else the running application's.
    static QuorBrandMarkStyle forAppName(const QString& appName)
    {
        const std::optional<QuorAppIdentity> identity = QuorAppIdentities::resolve(appName);
        return identity ? app(*identity) : currentApp();
    }

    bool operator==(const QuorBrandMarkStyle& other) const = default;
};

// The brand mark in a square of `size` logical pixels.
class QuorBrandMark : public QWidget {
    Q_OBJECT
public:
    QuorBrandMark(double size, QuorBrandMarkStyle style, QWidget* parent = nullptr);

    // The emblem to draw for a style given the running application's identity; nothing means the
    // suite mark.
    static std::optional<QuorAppIdentity> emblemFor(const QuorBrandMarkStyle& style,
                                                    std::optional<QuorAppIdentity> current);
    // The suite mark: three pieces filled with a pale metal shading and a diagonal sheen.
    static void paintSuiteMark(QPainter& painter, const QRectF& rect);
    static void paint(QPainter& painter, const QRectF& rect, const QuorBrandMarkStyle& style);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_size;
    QuorBrandMarkStyle m_style;
};
