#include "QuorPlatform/Ocr/QuorTextRecognitionError.h"

namespace quor::platform {

TextRecognitionError::TextRecognitionError(Kind kind, QString english, QString turkish)
    : QuorError(std::move(english), std::move(turkish)), m_kind(kind)
{
}

TextRecognitionError TextRecognitionError::invalidImage()
{
    return {Kind::invalidImage, QStringLiteral("The image is empty and has no text to recognize."),
            QStringLiteral("Görüntü boş; tanınacak metin yok.")};
}

TextRecognitionError TextRecognitionError::noLanguageData(const QString& directory)
{
    return {Kind::noLanguageData,
            QStringLiteral("Text recognition data is not installed (no .traineddata file in ") + directory +
                QStringLiteral("). Install the tesseract-ocr-eng package."),
            QStringLiteral("Metin tanıma verisi kurulu değil (") + directory +
                QStringLiteral(" içinde .traineddata dosyası yok). tesseract-ocr-eng paketini kurun.")};
}

TextRecognitionError TextRecognitionError::engineFailed(const QString& languages)
{
    return {Kind::engineFailed, QStringLiteral("Text recognition failed (languages: ") + languages + QStringLiteral(")."),
            QStringLiteral("Metin tanıma başarısız oldu (diller: ") + languages + QStringLiteral(").")};
}

TextRecognitionError TextRecognitionError::engineUnavailable(const QString& reason)
{
    return {Kind::engineUnavailable,
            QStringLiteral("Text recognition is not available: the Tesseract library could not be loaded (") + reason +
                QStringLiteral("). Install the libtesseract5 package."),
            QStringLiteral("Metin tanıma kullanılamıyor: Tesseract kitaplığı yüklenemedi (") + reason +
                QStringLiteral("). libtesseract5 paketini kurun.")};
}

} // namespace quor::platform
