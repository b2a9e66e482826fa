#include "QuorKit/Cloud/QuorFeedbackKind.h"

#include "QuorKit/Localization/QuorLocalization.h"

#include <QHash>

namespace {
struct KindInfo {
    QuorFeedbackKind kind;
    QString rawValue;
    QString symbolName;
    QString titleEN;
    QString titleTR;
};

const QList<KindInfo>& table()
{
    static const QList<KindInfo> rows{
        {QuorFeedbackKind::bug, QStringLiteral("bug"), QStringLiteral("ladybug.fill"), QStringLiteral("Bug Report"),
         QStringLiteral("Hata Bildirimi")},
        {QuorFeedbackKind::feature, QStringLiteral("feature"), QStringLiteral("sparkles"),
         QStringLiteral("Feature & Improvement"), QStringLiteral("Özellik & İyileştirme")},
        {QuorFeedbackKind::newApp, QStringLiteral("new_app"), QStringLiteral("lightbulb.fill"),
         QStringLiteral("New App Idea"), QStringLiteral("Yeni Program Fikri")},
        {QuorFeedbackKind::general, QStringLiteral("general"), QStringLiteral("bubble.left.and.bubble.right.fill"),
         QStringLiteral("General Feedback"), QStringLiteral("Genel Görüş")},
    };
    return rows;
}

const KindInfo& info(QuorFeedbackKind kind)
{
    return table().at(static_cast<qsizetype>(kind));
}
} // namespace

namespace QuorFeedbackKinds {

const QList<QuorFeedbackKind>& allCases()
{
    static const QList<QuorFeedbackKind> cases{QuorFeedbackKind::bug, QuorFeedbackKind::feature,
                                               QuorFeedbackKind::newApp, QuorFeedbackKind::general};
    return cases;
}

QString rawValue(QuorFeedbackKind kind)
{
    return info(kind).rawValue;
}

std::optional<QuorFeedbackKind> fromRawValue(const QString& raw)
{
    for (const KindInfo& row : table()) {
        if (row.rawValue == raw) {
            return row.kind;
        }
    }
    return std::nullopt;
}

QString symbolName(QuorFeedbackKind kind)
{
    return info(kind).symbolName;
}

QString title(QuorFeedbackKind kind, QuorLanguage language)
{
    return quorText(info(kind).titleEN, info(kind).titleTR, {}, language);
}

} // namespace QuorFeedbackKinds

size_t qHash(QuorFeedbackKind kind, size_t seed) noexcept
{
    return qHash(info(kind).rawValue, seed);
}
