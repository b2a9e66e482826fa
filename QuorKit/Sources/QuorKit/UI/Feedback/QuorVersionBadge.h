#pragma once

#include "QuorKit/Utilities/QuorAppVersion.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

// A small capsule that shows a version ("v1.4.2", or "v1.4.2 (57)" with the build).
class QuorVersionBadge : public QWidget {
    Q_OBJECT
public:
    struct Appearance {
        QString text;
        QColor textColor;
        QColor fill;
        QColor border;
        bool operator==(const Appearance& other) const = default;
    };

    // Padding around the text, in device-independent pixels.
    static constexpr double horizontalPadding = 7.0;
    static constexpr double verticalPadding = 2.5;
    static constexpr double borderWidth = 1.0;

    static Appearance appearance(const QuorAppVersion& version, bool showBuild);
    // 10 points, semibold, fixed pitch.
    static QFont badgeFont();

    QuorVersionBadge(const QuorAppVersion& version, bool showBuild, QWidget* parent = nullptr);

    QuorAppVersion version() const { return m_version; }
    bool showBuild() const { return m_showBuild; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QuorAppVersion m_version;
    bool m_showBuild;
};
