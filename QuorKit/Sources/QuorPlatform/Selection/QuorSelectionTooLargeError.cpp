#include "QuorPlatform/Selection/QuorSelectionTooLargeError.h"

namespace quor::platform {
namespace {
QString megabytes(qsizetype bytes)
{
    return QString::number(bytes / (1024 * 1024));
}
} // namespace

SelectionTooLargeError::SelectionTooLargeError(Source source, qsizetype limitBytes)
    : QuorError(source == Source::selection
                    ? QStringLiteral("The selected text is larger than %1 MB, more than QuorZub can work on.")
                          .arg(megabytes(limitBytes))
                    : QStringLiteral("The clipboard text is larger than %1 MB, more than QuorZub can work on.")
                          .arg(megabytes(limitBytes)),
                source == Source::selection
                    ? QStringLiteral("Seçili metin %1 MB'tan büyük; QuorZub bu kadar büyük metinlerle çalışamaz.")
                          .arg(megabytes(limitBytes))
                    : QStringLiteral("Panodaki metin %1 MB'tan büyük; QuorZub bu kadar büyük metinlerle çalışamaz.")
                          .arg(megabytes(limitBytes))),
      m_source(source)
{
}

} // namespace quor::platform
