#pragma once

#include <QImage>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace quor::platform {

// One line of recognized text.
struct RecognizedTextLine {
    QString text;       // without the line break; never empty
    QRectF box;         // in the image's pixels, origin at the top left
    float confidence{}; // 0 to 1

    bool operator==(const RecognizedTextLine&) const = default;
};

enum class TextRecognitionLevel {
    // One reading, in the first of the requested languages.
    fast,
    // One reading per requested language; each line keeps the reading the engine was surest of.
    // Tesseract's own language combinations let the leading language's alphabet win: Turkish first
    // reads "quick" as "guick", English first reads "İ" as "i".
    accurate,
};

// Text recognition with Tesseract 5 (LSTM engine). Each call starts its own engine, so one recognizer
// may serve every thread at once; a call blocks its thread for the whole recognition (typically 0.1
// to 1 s), so the GUI thread never calls it.
class TesseractTextRecognizer {
public:
    // Recognition data is read from `dataDirectory`; by default from TESSDATA_PREFIX when set,
    // else the system's tessdata folder.
    explicit TesseractTextRecognizer(std::optional<QString> dataDirectory = std::nullopt);

    QString dataDirectory() const { return m_dataDirectory; }

    // The Tesseract language codes whose data is installed ("eng", "tur", ...), sorted.
    QStringList installedLanguages() const;

    // The installed Tesseract languages for `identifiers` (language tags such as "tr-TR", "en",
    // "zh-Hant", or Tesseract codes such as "tur"), in the caller's order without repeats. Languages
    // whose data is missing are left out; when none is left, English (or else the first installed
    // language) stands in, so a missing language never stops recognition. Empty only when no data
    // is installed at all.
    QStringList resolveLanguages(const QStringList& identifiers) const;

    // The lines of text in `image`, in the engine's reading order. Throws TextRecognitionError.
    std::vector<RecognizedTextLine> recognize(const QImage& image, const QStringList& identifiers,
                                              TextRecognitionLevel level) const;

    // The Tesseract code for a language tag or code ("tr-TR" -> "tur", "zh-Hant" -> "chi_tra",
    // "eng" -> "eng"); nothing for a tag this recognizer does not know.
    static std::optional<QString> tesseractCode(const QString& identifier);

private:
    QString m_dataDirectory;
};

} // namespace quor::platform
