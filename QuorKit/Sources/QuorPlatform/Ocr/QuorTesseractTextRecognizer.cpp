#include "QuorPlatform/Ocr/QuorTesseractTextRecognizer.h"

#include "QuorPlatform/Core/QuorSharedLibrary.h"
#include "QuorPlatform/Ocr/QuorTextRecognitionError.h"

#include <tesseract/capi.h>

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <memory>

#include <locale.h>

namespace {

// Tesseract and everything it links (image codecs, a network library) cost about ten megabytes of
// memory and some start-up time in every process that loads them, and most sessions never recognize
// text: the engine is opened on the first recognition and its C interface looked up by name.
struct TesseractEngine {
    quor::platform::SharedLibrary library{"libtesseract.so.5"};
    decltype(&::TessBaseAPICreate) create = library.resolve<decltype(::TessBaseAPICreate)>("TessBaseAPICreate");
    decltype(&::TessBaseAPIDelete) destroy = library.resolve<decltype(::TessBaseAPIDelete)>("TessBaseAPIDelete");
    decltype(&::TessBaseAPIInit2) init = library.resolve<decltype(::TessBaseAPIInit2)>("TessBaseAPIInit2");
    decltype(&::TessBaseAPISetPageSegMode) setPageSegMode =
        library.resolve<decltype(::TessBaseAPISetPageSegMode)>("TessBaseAPISetPageSegMode");
    decltype(&::TessBaseAPISetImage) setImage = library.resolve<decltype(::TessBaseAPISetImage)>("TessBaseAPISetImage");
    decltype(&::TessBaseAPISetSourceResolution) setSourceResolution =
        library.resolve<decltype(::TessBaseAPISetSourceResolution)>("TessBaseAPISetSourceResolution");
    decltype(&::TessBaseAPIRecognize) recognize = library.resolve<decltype(::TessBaseAPIRecognize)>("TessBaseAPIRecognize");
    decltype(&::TessBaseAPIGetIterator) iterator = library.resolve<decltype(::TessBaseAPIGetIterator)>("TessBaseAPIGetIterator");
    decltype(&::TessResultIteratorDelete) deleteIterator =
        library.resolve<decltype(::TessResultIteratorDelete)>("TessResultIteratorDelete");
    decltype(&::TessResultIteratorNext) next = library.resolve<decltype(::TessResultIteratorNext)>("TessResultIteratorNext");
    decltype(&::TessResultIteratorGetUTF8Text) text =
        library.resolve<decltype(::TessResultIteratorGetUTF8Text)>("TessResultIteratorGetUTF8Text");
    decltype(&::TessResultIteratorConfidence) confidence =
        library.resolve<decltype(::TessResultIteratorConfidence)>("TessResultIteratorConfidence");
    decltype(&::TessResultIteratorGetPageIteratorConst) pageIterator =
        library.resolve<decltype(::TessResultIteratorGetPageIteratorConst)>("TessResultIteratorGetPageIteratorConst");
    decltype(&::TessPageIteratorBoundingBox) boundingBox =
        library.resolve<decltype(::TessPageIteratorBoundingBox)>("TessPageIteratorBoundingBox");
    decltype(&::TessDeleteText) deleteText = library.resolve<decltype(::TessDeleteText)>("TessDeleteText");
    // Tesseract's LSTM runs every time step on a team of OpenMP threads that meet at a barrier.
    // Beside any other busy process one preempted team member stalls the rest, and a recognition that
    // takes a tenth of a second alone takes seconds; a screen region gains little from the team
    // anyway. With no active parallel levels every region runs on the calling thread. Looked up through
    // Tesseract because it, not this program, links the OpenMP runtime (a build without it has none).
    void (*setMaxActiveLevels)(int) = library.resolve<void(int)>("omp_set_max_active_levels");

    bool isComplete() const
    {
        return create && destroy && init && setPageSegMode && setImage && setSourceResolution && recognize && iterator
            && deleteIterator && next && text && confidence && pageIterator && boundingBox && deleteText;
    }

    // The engine, opened once for the whole process; throws when it is not installed.
    static const TesseractEngine& shared()
    {
        static const TesseractEngine engine;
        if (!engine.isComplete()) {
            throw quor::platform::TextRecognitionError::engineUnavailable(engine.library.errorText());
        }
        return engine;
    }
};

// Tesseract parses numbers in its data with the C library, which follows LC_NUMERIC; Qt sets the
// user's locale, whose decimal comma would corrupt them. The C numeric locale is set for this thread
// only, so no other thread sees a change.
class CNumericLocaleScope {
public:
    CNumericLocaleScope()
    {
        const locale_t base = ::duplocale(::uselocale(static_cast<locale_t>(nullptr)));
        if (base == static_cast<locale_t>(nullptr)) {
            return;
        }
        m_locale = ::newlocale(LC_NUMERIC_MASK, "C", base);
        if (m_locale == static_cast<locale_t>(nullptr)) {
            ::freelocale(base);
            return;
        }
        m_previous = ::uselocale(m_locale);
    }
    ~CNumericLocaleScope()
    {
        if (m_locale != static_cast<locale_t>(nullptr)) {
            ::uselocale(m_previous);
            ::freelocale(m_locale);
        }
    }
    CNumericLocaleScope(const CNumericLocaleScope&) = delete;
    CNumericLocaleScope& operator=(const CNumericLocaleScope&) = delete;

private:
    locale_t m_locale = static_cast<locale_t>(nullptr);
    locale_t m_previous = static_cast<locale_t>(nullptr);
};

// Data files that hold no language.
bool isLanguageData(const QString& code)
{
    return code != QLatin1String("osd") && code != QLatin1String("equ");
}

bool holdsLanguageData(const QString& directory)
{
    const QStringList files = QDir(directory).entryList({QStringLiteral("*.traineddata")}, QDir::Files);
    return std::any_of(files.cbegin(), files.cend(), [](const QString& file) {
        return isLanguageData(file.chopped(int(sizeof(".traineddata")) - 1));
    });
}

QString defaultDataDirectory()
{
    QStringList candidates;
    const QString prefix = qEnvironmentVariable("TESSDATA_PREFIX");
    if (!prefix.isEmpty()) {
        // Tesseract 4 and later take the folder itself; older setups name its parent.
        candidates << prefix << prefix + QStringLiteral("/tessdata");
    } else {
        candidates << QStringLiteral("/usr/share/tesseract-ocr/5/tessdata")
                   << QStringLiteral("/usr/share/tesseract-ocr/4.00/tessdata")
                   << QStringLiteral("/usr/share/tessdata") << QStringLiteral("/usr/local/share/tessdata");
    }
    for (const QString& candidate : std::as_const(candidates)) {
        if (holdsLanguageData(candidate)) {
            return QDir::cleanPath(candidate);
        }
    }
    return QDir::cleanPath(candidates.first());
}

const QHash<QString, QString>& primaryLanguageCodes()
{
    static const QHash<QString, QString> codes{
        {"af", "afr"}, {"am", "amh"}, {"ar", "ara"}, {"as", "asm"}, {"az", "aze"}, {"be", "bel"},
        {"bg", "bul"}, {"bn", "ben"}, {"bo", "bod"}, {"bs", "bos"}, {"ca", "cat"}, {"cs", "ces"},
        {"cy", "cym"}, {"da", "dan"}, {"de", "deu"}, {"dz", "dzo"}, {"el", "ell"}, {"en", "eng"},
        {"eo", "epo"}, {"es", "spa"}, {"et", "est"}, {"eu", "eus"}, {"fa", "fas"}, {"fi", "fin"},
        {"fr", "fra"}, {"ga", "gle"}, {"gl", "glg"}, {"gu", "guj"}, {"he", "heb"}, {"iw", "heb"},
        {"hi", "hin"}, {"hr", "hrv"}, {"ht", "hat"}, {"hu", "hun"}, {"hy", "hye"}, {"id", "ind"},
        {"in", "ind"}, {"is", "isl"}, {"it", "ita"}, {"ja", "jpn"}, {"jv", "jav"}, {"ka", "kat"},
        {"kk", "kaz"}, {"km", "khm"}, {"kn", "kan"}, {"ko", "kor"}, {"ku", "kmr"}, {"ky", "kir"},
        {"la", "lat"}, {"lo", "lao"}, {"lt", "lit"}, {"lv", "lav"}, {"mk", "mkd"}, {"ml", "mal"},
        {"mn", "mon"}, {"mr", "mar"}, {"ms", "msa"}, {"mt", "mlt"}, {"my", "mya"}, {"nb", "nor"},
        {"nn", "nor"}, {"no", "nor"}, {"ne", "nep"}, {"nl", "nld"}, {"or", "ori"}, {"pa", "pan"},
        {"pl", "pol"}, {"ps", "pus"}, {"pt", "por"}, {"ro", "ron"}, {"ru", "rus"}, {"sa", "san"},
        {"si", "sin"}, {"sk", "slk"}, {"sl", "slv"}, {"sq", "sqi"}, {"sr", "srp"}, {"sv", "swe"},
        {"sw", "swa"}, {"ta", "tam"}, {"te", "tel"}, {"tg", "tgk"}, {"th", "tha"}, {"ti", "tir"},
        {"tl", "tgl"}, {"tr", "tur"}, {"ug", "uig"}, {"uk", "ukr"}, {"ur", "urd"}, {"uz", "uzb"},
        {"vi", "vie"}, {"yi", "yid"},
    };
    return codes;
}

// Grey levels, with transparent parts laid over white as a viewer would show them.
QImage grayscaleOnWhite(const QImage& image)
{
    if (!image.hasAlphaChannel()) {
        return image.convertToFormat(QImage::Format_Grayscale8);
    }
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QImage gray(argb.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        uchar* out = gray.scanLine(y);
        for (int x = 0; x < argb.width(); ++x) {
            const int alpha = qAlpha(in[x]);
            out[x] = static_cast<uchar>((qGray(in[x]) * alpha + 255 * (255 - alpha) + 127) / 255);
        }
    }
    return gray;
}

int sourceResolution(const QImage& image)
{
    const int dpi = qRound(image.dotsPerMeterX() * 0.0254);
    return dpi >= 70 && dpi <= 2400 ? dpi : 96;
}

// One pass of the engine over the whole picture in one language.
std::vector<quor::platform::RecognizedTextLine> readLines(const QImage& pixels, int resolution, const QString& dataDirectory,
                                                          const QString& language)
{
    const TesseractEngine& engine = TesseractEngine::shared();
    const CNumericLocaleScope cNumbers;
    // The setting belongs to the calling thread, so it is made before each recognition.
    if (engine.setMaxActiveLevels != nullptr) {
        engine.setMaxActiveLevels(0);
    }
    const std::unique_ptr<TessBaseAPI, decltype(engine.destroy)> api(engine.create(), engine.destroy);
    if (!api
        || engine.init(api.get(), QFile::encodeName(dataDirectory).constData(), language.toLatin1().constData(),
                       tesseract::OEM_LSTM_ONLY)
            != 0) {
        throw quor::platform::TextRecognitionError::engineFailed(language);
    }
    engine.setPageSegMode(api.get(), tesseract::PSM_AUTO);
    engine.setImage(api.get(), pixels.constBits(), pixels.width(), pixels.height(), 1, int(pixels.bytesPerLine()));
    engine.setSourceResolution(api.get(), resolution);
    if (engine.recognize(api.get(), nullptr) != 0) {
        throw quor::platform::TextRecognitionError::engineFailed(language);
    }

    std::vector<quor::platform::RecognizedTextLine> lines;
    const std::unique_ptr<TessResultIterator, decltype(engine.deleteIterator)> line(engine.iterator(api.get()),
                                                                                    engine.deleteIterator);
    if (!line) {
        return lines;
    }
    do {
        // An empty page has no text line: no text and no box.
        const std::unique_ptr<char, decltype(engine.deleteText)> raw(engine.text(line.get(), tesseract::RIL_TEXTLINE),
                                                                     engine.deleteText);
        const QString text = QString::fromUtf8(raw.get()).trimmed();
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
        if (text.isEmpty()
            || !engine.boundingBox(engine.pageIterator(line.get()), tesseract::RIL_TEXTLINE, &left, &top, &right, &bottom)) {
            continue;
        }
        const float confidence = std::clamp(engine.confidence(line.get(), tesseract::RIL_TEXTLINE) / 100.0F, 0.0F, 1.0F);
        lines.push_back({text, QRectF(left, top, right - left, bottom - top), confidence});
    } while (engine.next(line.get(), tesseract::RIL_TEXTLINE));
    return lines;
}

double overlap(const QRectF& a, const QRectF& b)
{
    const QRectF common = a.intersected(b);
    if (common.isEmpty()) {
        return 0;
    }
    const double shared = common.width() * common.height();
    return shared / (a.width() * a.height() + b.width() * b.height() - shared);
}

// Page layout does not depend on the language, so the readings share their lines: each line keeps
// the surer reading. A line only `other` found goes in after the line that precedes it there.
void mergeReading(std::vector<quor::platform::RecognizedTextLine>& lines,
                  const std::vector<quor::platform::RecognizedTextLine>& other)
{
    constexpr double sameLine = 0.5;
    std::size_t insertAt = 0;
    for (const auto& candidate : other) {
        std::optional<std::size_t> match;
        double best = sameLine;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const double shared = overlap(lines[i].box, candidate.box);
            if (shared >= best) {
                best = shared;
                match = i;
            }
        }
        if (match) {
            if (candidate.confidence > lines[*match].confidence) {
                lines[*match] = candidate;
            }
            insertAt = *match + 1;
        } else {
            lines.insert(lines.begin() + std::ptrdiff_t(insertAt), candidate);
            ++insertAt;
        }
    }
}

} // namespace

namespace quor::platform {

TesseractTextRecognizer::TesseractTextRecognizer(std::optional<QString> dataDirectory)
    : m_dataDirectory(dataDirectory ? QDir::cleanPath(*dataDirectory) : defaultDataDirectory())
{
}

QStringList TesseractTextRecognizer::installedLanguages() const
{
    QStringList languages;
    const QStringList files = QDir(m_dataDirectory).entryList({QStringLiteral("*.traineddata")}, QDir::Files, QDir::Name);
    for (const QString& file : files) {
        const QString code = file.chopped(int(sizeof(".traineddata")) - 1);
        if (isLanguageData(code)) {
            languages << code;
        }
    }
    return languages;
}

QStringList TesseractTextRecognizer::resolveLanguages(const QStringList& identifiers) const
{
    const QStringList installed = installedLanguages();
    if (installed.isEmpty()) {
        return {};
    }
    QStringList languages;
    for (const QString& identifier : identifiers) {
        const std::optional<QString> code = tesseractCode(identifier);
        if (code && installed.contains(*code) && !languages.contains(*code)) {
            languages << *code;
        }
    }
    if (languages.isEmpty()) {
        languages << (installed.contains(QStringLiteral("eng")) ? QStringLiteral("eng") : installed.first());
    }
    return languages;
}

std::optional<QString> TesseractTextRecognizer::tesseractCode(const QString& identifier)
{
    const QString trimmed = identifier.trimmed();
    static const QRegularExpression tesseractForm(QStringLiteral("^[a-z]{3}(_[a-z]+)?$"));
    if (tesseractForm.match(trimmed).hasMatch()) {
        return trimmed;
    }
    const QStringList parts = trimmed.toLower().replace(QLatin1Char('_'), QLatin1Char('-')).split(QLatin1Char('-'));
    const QString& primary = parts.first();
    const auto has = [&parts](const char* subtag) { return parts.contains(QLatin1String(subtag)); };
    if (primary == QLatin1String("zh")) {
        const bool traditional = has("hant") || has("tw") || has("hk") || has("mo");
        return traditional ? QStringLiteral("chi_tra") : QStringLiteral("chi_sim");
    }
    if (primary == QLatin1String("sr") && has("latn")) {
        return QStringLiteral("srp_latn");
    }
    if ((primary == QLatin1String("az") || primary == QLatin1String("uz")) && has("cyrl")) {
        return primaryLanguageCodes().value(primary) + QStringLiteral("_cyrl");
    }
    const auto found = primaryLanguageCodes().constFind(primary);
    if (found == primaryLanguageCodes().cend()) {
        return std::nullopt;
    }
    return *found;
}

std::vector<RecognizedTextLine> TesseractTextRecognizer::recognize(const QImage& image, const QStringList& identifiers,
                                                                   TextRecognitionLevel level) const
{
    if (image.isNull() || image.width() < 1 || image.height() < 1) {
        throw TextRecognitionError::invalidImage();
    }
    const QStringList languages = resolveLanguages(identifiers);
    if (languages.isEmpty()) {
        throw TextRecognitionError::noLanguageData(m_dataDirectory);
    }
    const QImage pixels = grayscaleOnWhite(image);
    const int resolution = sourceResolution(image);
    std::vector<RecognizedTextLine> lines = readLines(pixels, resolution, m_dataDirectory, languages.first());
    if (level == TextRecognitionLevel::accurate) {
        for (qsizetype i = 1; i < languages.size(); ++i) {
            mergeReading(lines, readLines(pixels, resolution, m_dataDirectory, languages.at(i)));
        }
    }
    return lines;
}

} // namespace quor::platform
