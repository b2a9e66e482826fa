#include "Support/QuorTestSupport.h"

#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorPlatform/Ocr/QuorTextRecognitionError.h"
#include "QuorPlatform/Process/QuorChildProcess.h"
#include "QuorZubCore/Services/ScreenOCRService.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QRegularExpression>
#include <QThread>
#include <QtTest>

namespace {

// A stand-in for the capture tool: `tool MODE SOURCE OUTPUT` writes OUTPUT as MODE says and notes
// the path it was given.
const char* const fakeTool = R"sh(#!/bin/sh
mode=$1; source=$2; output=$3
printf '%s' "$output" > "$(dirname "$0")/last-output"
stat -c %a "$(dirname "$output")" > "$(dirname "$0")/last-folder-mode"
case "$mode" in
  copy) cp "$source" "$output"; exit 0 ;;
  cancel) exit 1 ;;
  cancel-empty) : > "$output"; exit 1 ;;
  empty) : > "$output"; exit 0 ;;
  none) exit 0 ;;
  garbage) printf 'not a picture' > "$output"; exit 0 ;;
esac
exit 2
)sh";

QImage renderedText(const QStringList& lines)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(24);
    const QFontMetrics metrics(font);
    QImage image(760, int(metrics.lineSpacing() * lines.size()) + 48, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    int baseline = 24 + metrics.ascent();
    for (const QString& line : lines) {
        painter.drawText(24, baseline, line);
        baseline += metrics.lineSpacing();
    }
    return image;
}

QuorOCRResult linesOf(const QStringList& texts)
{
    QuorOCRResult result;
    for (const QString& text : texts) {
        result.lines.append({text, QRectF(0, 0, 1, 0.1), 0.9F});
    }
    return result;
}

} // namespace

class TestScreenOCRService : public QObject {
    Q_OBJECT
private:
    QString m_folder;
    QString m_tool;
    QString m_picture;
    QStringList m_seenLanguages;
    bool m_seenAccurate = false;
    QThread* m_seenThread = nullptr;

    QString temporaryFolder() const { return m_folder + QStringLiteral("/tmp"); }

    QStringList leftoverCaptures() const
    {
        return QDir(temporaryFolder()).entryList({QStringLiteral("quorzub-ocr-*")}, QDir::AllEntries | QDir::Hidden);
    }

    ScreenOCRTools tools(const QString& mode, ScreenOCRTools::Recognizer recognize = {}) const
    {
        ScreenOCRTools tools = ScreenOCRTools::standard();
        tools.captureExecutable = m_tool;
        tools.captureArguments = {mode, m_picture};
        if (recognize) {
            tools.recognize = std::move(recognize);
        }
        return tools;
    }

    ScreenOCRTools recognizing(const QStringList& texts)
    {
        return tools(QStringLiteral("copy"), [this, texts](const QImage& image, const QStringList& languages, bool accurate) {
            m_seenLanguages = languages;
            m_seenAccurate = accurate;
            m_seenThread = QThread::currentThread();
            return image.isNull() ? QuorOCRResult{} : linesOf(texts);
        });
    }

    ScreenOCRError::Kind failureOf(ScreenOCRTools tools)
    {
        try {
            quorAwait(ScreenOCRService::captureAndRecognizeText({QStringLiteral("en-US")}, std::move(tools)));
        } catch (const ScreenOCRError& error) {
            return error.kind();
        }
        throw std::runtime_error("the capture did not fail with a ScreenOCRError");
    }

private slots:
    void initTestCase()
    {
        m_folder = quorTestSandboxPath() + QStringLiteral("/screen-ocr");
        QVERIFY(QDir().mkpath(m_folder + QStringLiteral("/tmp")));
        qputenv("TMPDIR", QFile::encodeName(temporaryFolder()));
        QCOMPARE(QDir::tempPath(), temporaryFolder());

        m_tool = m_folder + QStringLiteral("/capture-tool");
        QFile tool(m_tool);
        QVERIFY(tool.open(QIODevice::WriteOnly));
        tool.write(fakeTool);
        tool.close();
        QVERIFY(tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

        m_picture = m_folder + QStringLiteral("/region.png");
        QVERIFY(renderedText({QStringLiteral("İstanbul'da güzel bir gün"),
                              QStringLiteral("The quick brown fox jumps over the lazy dog")})
                    .save(m_picture));
    }

    void cleanup() { QVERIFY2(leftoverCaptures().isEmpty(), qPrintable(leftoverCaptures().join(QLatin1Char(' ')))); }

    void readsTheCapturedRegion()
    {
        const ScreenOCRResult result = quorAwait(ScreenOCRService::captureAndRecognizeText(
            {QStringLiteral("tr-TR"), QStringLiteral("en-US"), QStringLiteral("de-DE")}, tools(QStringLiteral("copy"))));
        QCOMPARE(result.text, QStringLiteral("İstanbul'da güzel bir gün\nThe quick brown fox jumps over the lazy dog"));
        QCOMPARE(result.lineCount, 2);
        QVERIFY(result.durationMs >= 1);

        QFile note(m_folder + QStringLiteral("/last-output"));
        QVERIFY(note.open(QIODevice::ReadOnly));
        const QString path = QString::fromUtf8(note.readAll());
        static const QRegularExpression name(QStringLiteral("^quorzub-ocr-[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\\.png$"));
        // The screen's picture sits in a folder of the temporary folder that only this user can open.
        const QFileInfo folder(QFileInfo(path).absolutePath());
        QCOMPARE(folder.absolutePath(), temporaryFolder());
        QVERIFY2(folder.fileName().startsWith(QStringLiteral("quorzub-ocr-")), qPrintable(path));
        QFile mode(m_folder + QStringLiteral("/last-folder-mode"));
        QVERIFY(mode.open(QIODevice::ReadOnly));
        QCOMPARE(mode.readAll().trimmed(), QByteArray("700"));
        QVERIFY2(name.match(QFileInfo(path).fileName()).hasMatch(), qPrintable(path));
    }

    void recognizerGetsTheLanguagesUnchangedOffTheGuiThread()
    {
        const QStringList languages{"tr-TR", "en-US", "de-DE", "fr-FR", "es-ES"};
        quorAwait(ScreenOCRService::captureAndRecognizeText(languages, recognizing({QStringLiteral("text")})));
        QCOMPARE(m_seenLanguages, languages);
        QVERIFY(m_seenAccurate);
        QVERIFY(m_seenThread != nullptr && m_seenThread != QThread::currentThread());
    }

    void textIsTrimmedAtBothEndsOnly()
    {
        const ScreenOCRResult result = quorAwait(ScreenOCRService::captureAndRecognizeText(
            {QStringLiteral("en-US")}, recognizing({QStringLiteral("  first"), QStringLiteral("second \n")})));
        QCOMPARE(result.text, QStringLiteral("first\nsecond"));
        QCOMPARE(result.lineCount, 2);
        QVERIFY(result.durationMs >= 1);
    }

    void abandonedCaptureIsCancelled_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("non-zero exit") << "cancel";
        QTest::newRow("escape leaves an empty file") << "cancel-empty";
        QTest::newRow("empty file") << "empty";
        QTest::newRow("no file") << "none";
    }

    void abandonedCaptureIsCancelled()
    {
        QFETCH(QString, mode);
        bool recognized = false;
        QCOMPARE(failureOf(tools(mode, [&recognized](const QImage&, const QStringList&, bool) {
                     recognized = true;
                     return QuorOCRResult{};
                 })),
                 ScreenOCRError::Kind::cancelled);
        QVERIFY(!recognized);
    }

    void undecodablePictureFailsToLoad()
    {
        QCOMPARE(failureOf(tools(QStringLiteral("garbage"))), ScreenOCRError::Kind::imageLoadFailed);
    }

    void blankRecognitionIsNoText()
    {
        QCOMPARE(failureOf(recognizing({QStringLiteral("  "), QStringLiteral("\n\t")})), ScreenOCRError::Kind::noTextRecognized);
        QCOMPARE(failureOf(recognizing({})), ScreenOCRError::Kind::noTextRecognized);
        // A region of the real recognizer with nothing to read.
        QImage blank(300, 120, QImage::Format_RGB32);
        blank.fill(Qt::white);
        const QString saved = m_picture;
        m_picture = m_folder + QStringLiteral("/blank.png");
        QVERIFY(blank.save(m_picture));
        const auto kind = failureOf(tools(QStringLiteral("copy")));
        m_picture = saved;
        QCOMPARE(kind, ScreenOCRError::Kind::noTextRecognized);
    }

    void recognizerAndLaunchErrorsPassThrough()
    {
        auto failing = tools(QStringLiteral("copy"), [](const QImage&, const QStringList&, bool) -> QuorOCRResult {
            throw quor::platform::TextRecognitionError::noLanguageData(QStringLiteral("/nowhere"));
        });
        QVERIFY_THROWS_EXCEPTION(quor::platform::TextRecognitionError,
                                 quorAwait(ScreenOCRService::captureAndRecognizeText({}, std::move(failing))));

        ScreenOCRTools missing = tools(QStringLiteral("copy"));
        missing.captureExecutable = m_folder + QStringLiteral("/no-such-tool");
        QVERIFY_THROWS_EXCEPTION(quor::platform::ProcessLaunchError,
                                 quorAwait(ScreenOCRService::captureAndRecognizeText({}, std::move(missing))));
    }

    void errorTextsFollowTheInterfaceLanguage()
    {
        QCOMPARE(ScreenOCRError::allCases(), (QList<ScreenOCRError::Kind>{ScreenOCRError::Kind::cancelled,
                                                                           ScreenOCRError::Kind::imageLoadFailed,
                                                                           ScreenOCRError::Kind::noTextRecognized}));
        const ScreenOCRError noText(ScreenOCRError::Kind::noTextRecognized);
        QuorLanguages::setCurrent(QuorLanguage::tr);
        QCOMPARE(noText.errorDescription(), QStringLiteral("Seçilen bölgede okunabilir metin bulunamadı."));
        QCOMPARE(ScreenOCRError(ScreenOCRError::Kind::cancelled).errorDescription(),
                 QStringLiteral("Ekran yakalama iptal edildi."));
        QuorLanguages::setCurrent(QuorLanguage::en);
        QCOMPARE(ScreenOCRError(ScreenOCRError::Kind::imageLoadFailed).errorDescription(),
                 QStringLiteral("Captured screenshot could not be decoded."));
        QCOMPARE(localizedDescription(noText), QStringLiteral("No readable text found in the selected region."));
        QVERIFY(noText == ScreenOCRError(ScreenOCRError::Kind::noTextRecognized));
        QVERIFY(qHash(noText) != qHash(ScreenOCRError(ScreenOCRError::Kind::cancelled)));
    }
};

QUOR_TEST_GUI_MAIN(TestScreenOCRService)
#include "tst_screenocrservice.moc"
