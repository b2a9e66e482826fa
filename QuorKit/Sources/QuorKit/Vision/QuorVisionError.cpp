#include "QuorKit/Vision/QuorVisionError.h"

QuorVisionError::QuorVisionError(int code, QString english, QString turkish)
    : QuorError(std::move(english), std::move(turkish)), m_code(code)
{
}

QuorVisionError QuorVisionError::featurePrintUnavailable()
{
    const QString text = QStringLiteral("Could not compute image feature print.");
    return {1, text, text};
}

QuorVisionError QuorVisionError::emptyImage()
{
    return {2, QStringLiteral("The image is empty."), QStringLiteral("Görüntü boş.")};
}

QuorVisionError QuorVisionError::incomparableFeaturePrints()
{
    return {3, QStringLiteral("The two image feature prints cannot be compared."),
            QStringLiteral("İki görüntü parmak izi karşılaştırılamıyor.")};
}
