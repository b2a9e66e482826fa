#include "QuorZubCore/Services/ScreenOCRError.h"

#include "QuorKit/Localization/QuorLocalization.h"

#include <utility>

namespace {
std::pair<QString, QString> texts(ScreenOCRError::Kind kind)
{
    switch (kind) {
    case ScreenOCRError::Kind::cancelled:
        return {QStringLiteral("Screen capture cancelled."), QStringLiteral("Ekran yakalama iptal edildi.")};
    case ScreenOCRError::Kind::imageLoadFailed:
        return {QStringLiteral("Captured screenshot could not be decoded."),
                QStringLiteral("Yakalanan ekran görüntüsü okunamadı.")};
    case ScreenOCRError::Kind::noTextRecognized:
        return {QStringLiteral("No readable text found in the selected region."),
                QStringLiteral("Seçilen bölgede okunabilir metin bulunamadı.")};
    }
    return {};
}
} // namespace

ScreenOCRError::ScreenOCRError(Kind kind)
    : QuorError(texts(kind).first, texts(kind).second), m_kind(kind)
{
}

QList<ScreenOCRError::Kind> ScreenOCRError::allCases()
{
    return {Kind::cancelled, Kind::imageLoadFailed, Kind::noTextRecognized};
}

QString ScreenOCRError::errorDescription() const
{
    return quorText(englishDescription(), turkishDescription());
}
