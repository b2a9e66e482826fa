#include "QuorKit/Cloud/QuorFeedbackError.h"
#include "QuorKit/Cloud/QuorFeedbackService.h"
#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorKeyboardAccess.h"
#include "QuorKit/Design/QuorKeyboardReach.h"
#include "QuorKit/Design/QuorSymbols.h"
#include "QuorKit/UI/Feedback/QuorFeedbackSheet.h"
#include "QuorKit/UI/Feedback/QuorFeedbackSheetState.h"
#include "QuorPlatform/Core/QuorCancellationToken.h"
#include "Support/QuorPictures.h"
#include "Support/QuorTestHttpServer.h"
#include "Support/QuorTestSupport.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QClipboard>
#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QAccessible>
#include <QtTest>

#include <sys/stat.h>

using namespace std::chrono_literals;

namespace {
const QuorAppVersion version{QStringLiteral("1.4.2"), QStringLiteral("57")};
constexpr qint64 fiveMiB = 5'242'880;

QuorFeedbackScreenshot screenshotOf(qint64 bytes)
{
    return {QUuid::createUuid(), QStringLiteral("clipboard-1.png"), QStringLiteral("image/png"), QByteArray(bytes, '\0')};
}

// Plays the feedback service: records what it was asked to send and answers when released.
struct FakeService {
    QList<QuorFeedbackSheet::Submission> received;
    std::optional<QuorFeedbackReceipt> receipt = QuorFeedbackReceipt{"FB-7", 1, "Thanks, <b>we read everything</b>."};
    std::optional<QuorFeedbackError> failure;
    bool hold = false;
    bool finished = false;
};

QuorFeedbackSheet::Submitter submitterFor(std::shared_ptr<FakeService> service)
{
    return [service](QuorFeedbackSheet::Submission submission) -> QCoro::Task<QuorFeedbackReceipt> {
        service->received << submission;
        while (service->hold) {
            co_await quorSleep(5ms);
        }
        service->finished = true;
        if (service->failure) {
            throw *service->failure;
        }
        co_return *service->receipt;
    };
}

struct Bench {
    std::shared_ptr<FakeService> service = std::make_shared<FakeService>();
    int closed = 0;
    std::unique_ptr<QuorFeedbackSheet> sheet;
    QList<std::optional<QuorFeedbackScreenshot>> clipboard; // what each paste finds
    int clipboardReads = 0;
    bool holdClipboard = false; // a slow clipboard: reads end once this turns false
    QStringList picked;

    explicit Bench(QuorLanguage language = QuorLanguage::en, bool withClose = true, QuorProductPalette palette = QuorProductPalette::deepCobalt)
    {
        std::function<void()> onClose;
        if (withClose) {
            onClose = [this] { ++closed; };
        }
        sheet = std::make_unique<QuorFeedbackSheet>(QStringLiteral("QuorZub"), version, palette, language, std::nullopt,
                                                    onClose);
        sheet->setSubmitter(submitterFor(service));
        sheet->setClipboardReader([this]() -> QCoro::Task<std::optional<QuorFeedbackScreenshot>> {
            ++clipboardReads;
            while (holdClipboard) {
                co_await quorSleep(5ms);
            }
            co_return clipboard.isEmpty() ? std::nullopt : clipboard.takeFirst();
        });
        sheet->setFilePicker([this](QWidget*) { return picked; });
        sheet->resize(620, 900);
    }

    QuorFeedbackSheetState& state() const { return *sheet->uiState(); }
    template <typename T = QWidget>
    T* find(const QString& name) const
    {
        return sheet->findChild<T*>(name);
    }
    void click(const QString& name) const { find<QAbstractButton>(name)->click(); }
    // The tile of a screenshot now on show (replaced tiles linger hidden until deleted).
    QWidget* tile(const QUuid& id) const
    {
        for (QWidget* candidate : sheet->findChildren<QWidget*>(QStringLiteral("tile:") + id.toString(QUuid::WithoutBraces))) {
            if (!candidate->isHidden()) {
                return candidate;
            }
        }
        return nullptr;
    }
    void showActive() const
    {
        sheet->show();
        sheet->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(sheet.get()));
    }
    void pick(const QStringList& files)
    {
        picked = files;
        sheet->pickScreenshotsFromDisk();
    }
};

QString tooMany()
{
    return QStringLiteral("You can attach up to 5 screenshots.");
}
QString tooLarge()
{
    return QStringLiteral("Each screenshot must be smaller than 5 MB.");
}

bool near(const QColor& a, const QColor& b)
{
    return std::abs(a.red() - b.red()) <= 3 && std::abs(a.green() - b.green()) <= 3 && std::abs(a.blue() - b.blue()) <= 3;
}

QColor pixelOf(const QImage& image, const QWidget* root, const QWidget* child, QPoint at)
{
    const QPoint point = child->mapTo(root, at) * image.devicePixelRatio();
    return image.pixelColor(point);
}
} // namespace

class TestQuorFeedbackSheet : public QObject {
    Q_OBJECT

    QTemporaryDir m_files;

    QString file(const QString& name, const QByteArray& data)
    {
        const QString path = m_files.filePath(name);
        QFile out(path);
        if (out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            out.write(data);
        }
        return path;
    }

private slots:
    void initTestCase()
    {
        QuorLanguages::setCurrent(QuorLanguage::en);
        QuorKeyboardAccess::install();
    }

    void aFreshSheetAndWhatItShows()
    {
        Bench bench;
        QCOMPARE(bench.state().kind(), QuorFeedbackKind::feature);
        QVERIFY(bench.find<QAbstractButton>("kind:feature")->isChecked());
        QVERIFY(!bench.find<QAbstractButton>("kind:bug")->isChecked());
        // The kind chips read as radio buttons by their whole title; no "&" is taken for a mnemonic.
        QAccessibleInterface* chip = QAccessible::queryAccessibleInterface(bench.find<QAbstractButton>("kind:feature"));
        QCOMPARE(chip->role(), QAccessible::RadioButton);
        QCOMPARE(chip->text(QAccessible::Name), QStringLiteral("Feature & Improvement"));
        QVERIFY(chip->state().checked);
        QVERIFY(QKeySequence::mnemonic(bench.find<QAbstractButton>("kind:feature")->text()).isEmpty());
        // The chips and the caption buttons wear the kit's ring when the keyboard brings the focus.
        bench.sheet->show();
        bench.sheet->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(bench.sheet.get()));
        for (const char* name : {"kind:bug", "browserButton"}) {
            auto* button = bench.find<QAbstractButton>(QString::fromLatin1(name));
            button->setFocus(Qt::TabFocusReason);
            QVERIFY2(QuorKeyboardReach::showsFocusRing(button), name);
        }
        QVERIFY(bench.find<QLineEdit>("emailField")->text().isEmpty());
        QVERIFY(bench.find<QPlainTextEdit>("messageEditor")->toPlainText().isEmpty());
        QCOMPARE(bench.find<QLabel>("footerVersion")->text(), QStringLiteral("QuorZub v1.4.2"));
        QVERIFY(bench.find("closeButton"));
        QCOMPARE(bench.sheet->layoutDirection(), Qt::LeftToRight);

        using Sheet = QuorFeedbackSheet;
        const Sheet::Texts turkish = Sheet::texts(QStringLiteral("QuorZub"), version, QuorLanguage::tr);
        QVERIFY(turkish.subtitle.startsWith(QStringLiteral("QuorZub içinde bir hata mı gördünüz")));
        QCOMPARE(turkish.sending, QStringLiteral("Gönderiliyor…"));

        QuorFeedbackSheetState state;
        const Sheet::Texts english = Sheet::texts(QStringLiteral("QuorZub"), version, QuorLanguage::en);
        QCOMPARE(Sheet::look(state, false, english).submitTitle, QStringLiteral("Send Feedback"));
        QVERIFY(!Sheet::look(state, false, english).showsCloseButton);
        state.setSubmitting(true);
        const Sheet::Look sending = Sheet::look(state, true, turkish);
        QCOMPARE(sending.submitTitle, QStringLiteral("Gönderiliyor…"));
        QVERIFY(!sending.submitEnabled && sending.showsProgress && !sending.showsDoneButton);
        // The reference always shows; the camera count only from one attachment on.
        state.setReceipt(QuorFeedbackReceipt{"FB-1", 0, "ok"});
        QCOMPARE(Sheet::look(state, true, turkish).referenceText, QStringLiteral("Takip Kodu: FB-1"));
        QCOMPARE(Sheet::look(state, true, turkish).attachmentsText, std::nullopt);
        QVERIFY(Sheet::look(state, true, turkish).showsDoneButton);
        state.setReceipt(QuorFeedbackReceipt{"FB-1", 3, "ok"});
        QCOMPARE(Sheet::look(state, false, english).attachmentsText, QStringLiteral("📷 3"));
        QCOMPARE(Sheet::look(state, false, english).attachmentsSymbol, std::nullopt);
        // Where no font draws the pictograph, the kit's camera stands before the count.
        QCOMPARE(Sheet::look(state, false, english, false).attachmentsText, QStringLiteral("3"));
        QCOMPARE(Sheet::look(state, false, english, false).attachmentsSymbol, QStringLiteral("camera.fill"));
        QCOMPARE(Sheet::chipLook(true, QuorProductPalette::deepCoral).symbolColor, QColor(0xF4, 0x72, 0xD0));

        // Every symbol the sheet draws has a glyph of its own.
        const QFontMetricsF symbols(QuorSymbols::font(12));
        for (const char* name : {"xmark.circle.fill", "photo.on.rectangle.angled", "doc.on.clipboard", "plus.circle",
                                 "exclamationmark.triangle.fill", "safari", "checkmark.seal.fill", "ladybug.fill",
                                 "sparkles", "lightbulb.fill", "bubble.left.and.bubble.right.fill", "camera.fill"}) {
            QVERIFY2(QuorSymbols::isKnown(QString::fromLatin1(name)), name);
            QVERIFY2(symbols.inFontUcs4(QuorSymbols::codepoint(QString::fromLatin1(name))), name);
        }
    }

    void closingIsTheHostsAnswer()
    {
        Bench bench;
        bench.showActive();
        QTest::keyClick(bench.find<QLineEdit>("emailField"), Qt::Key_Escape);
        QCOMPARE(bench.closed, 1);
        bench.click("closeButton");
        QCOMPARE(bench.closed, 2);

        // Without a host action: no close button, no Done, and Escape does nothing.
        Bench bare(QuorLanguage::en, false);
        bare.showActive();
        QVERIFY(!bare.find("closeButton"));
        QVERIFY(!bare.find("doneButton"));
        QTest::keyClick(bare.find<QLineEdit>("emailField"), Qt::Key_Escape);
        QCOMPARE(bare.closed, 0);

        for (const QuorLanguage language : {QuorLanguage::ar, QuorLanguage::fa, QuorLanguage::he}) {
            QCOMPARE(Bench(language).sheet->layoutDirection(), Qt::RightToLeft);
        }
    }

    void pastingKeepsTheLimits()
    {
        Bench bench;
        bench.sheet->pasteFromClipboard();
        QCOMPARE(bench.state().statusHint(),
                 QStringLiteral("No image found on the clipboard right now. Take a screenshot first, then click Paste."));
        QCOMPARE(bench.state().errorMessage(), std::nullopt);

        bench.clipboard = {screenshotOf(fiveMiB + 1), screenshotOf(fiveMiB)};
        bench.click("pasteButton");
        QCOMPARE(bench.state().errorMessage(), tooLarge());
        QVERIFY(bench.state().screenshots().isEmpty());
        bench.click("pasteButton");
        QCOMPARE(bench.state().errorMessage(), std::nullopt);
        QCOMPARE(bench.state().screenshots().size(), 1);
        QCOMPARE(bench.state().statusHint(), QStringLiteral("Screenshot pasted from clipboard."));

        for (int i = 0; i < 4; ++i) {
            bench.clipboard << screenshotOf(10);
            bench.sheet->pasteFromClipboard();
        }
        QCOMPARE(bench.state().screenshots().size(), 5);
        // Full: the clipboard is not even read.
        const int reads = bench.clipboardReads;
        bench.sheet->pasteFromClipboard();
        QCOMPARE(bench.clipboardReads, reads);
        QCOMPARE(bench.state().errorMessage(), tooMany());
        QCOMPARE(bench.state().screenshots().size(), 5);
    }

    // The clipboard is read and converted while the sheet goes on: what happened meanwhile counts.
    void pastingWhileTheClipboardIsSlow()
    {
        auto bench = std::make_unique<Bench>();
        const QString photo = file(QStringLiteral("photo.png"), quorPNG({8, 8}, Qt::red));
        bench->holdClipboard = true;
        bench->clipboard = {screenshotOf(10)};
        bench->sheet->pasteFromClipboard();
        QCOMPARE(bench->clipboardReads, 1);
        bench->pick({photo, photo, photo, photo, photo});
        QTRY_COMPARE(bench->state().screenshots().size(), 5);
        bench->holdClipboard = false;
        QTRY_COMPARE(bench->state().errorMessage(), tooMany());
        QCOMPARE(bench->state().screenshots().size(), 5);
        QCOMPARE(bench->state().statusHint(), std::nullopt);

        // Closed before the clipboard answers: nothing is left to tell, and nothing breaks.
        bench->state().removeScreenshot(bench->state().screenshots().first().id);
        bench->holdClipboard = true;
        bench->clipboard = {screenshotOf(10)};
        bench->sheet->pasteFromClipboard();
        bool* const hold = &bench->holdClipboard;
        const QPointer<QuorFeedbackSheet> sheet = bench->sheet.get();
        bench->sheet.reset();
        QVERIFY(!sheet);
        *hold = false;
        QUOR_TRY_VERIFY(bench->clipboard.isEmpty()); // the read goes to its end
    }

    // A big picture copied in this process: the paste returns at once and the PNG follows.
    void aBigClipboardPictureLeavesTheSheetFree()
    {
        QImage picture(2400, 1600, QImage::Format_RGB32);
        picture.fill(QColor(0x2E, 0x86, 0xDE));
        QGuiApplication::clipboard()->setImage(picture);
        QuorFeedbackSheet sheet(QStringLiteral("QuorZub"), version, QuorProductPalette::deepCobalt, QuorLanguage::en,
                                std::nullopt, {});
        sheet.pasteFromClipboard();
        QVERIFY(sheet.uiState()->screenshots().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(sheet.uiState()->screenshots().size(), 1, 20000);
        const QuorFeedbackScreenshot pasted = sheet.uiState()->screenshots().first();
        QCOMPARE(pasted.mimeType, QStringLiteral("image/png"));
        QCOMPARE(QImage::fromData(pasted.data, "PNG").size(), QSize(2400, 1600));
        QCOMPARE(sheet.uiState()->statusHint(), QStringLiteral("Screenshot pasted from clipboard."));

        QGuiApplication::clipboard()->setText(QStringLiteral("words"));
        sheet.pasteFromClipboard();
        QTRY_COMPARE(sheet.uiState()->statusHint(),
                     QStringLiteral("No image found on the clipboard right now. Take a screenshot first, then click Paste."));
    }

    void pickingFiles()
    {
        Bench bench;
        const QString exact = file(QStringLiteral("exact.png"), QByteArray(fiveMiB, '\1'));
        const QString over = file(QStringLiteral("over.png"), QByteArray(fiveMiB + 1, '\1'));
        const QString photo = file(QStringLiteral("Photo.JPG"), quorPNG({40, 30}, QColor(0x2E, 0x86, 0xDE)));
        const QString empty = file(QStringLiteral("empty.gif"), {});
        const QString fifo = m_files.filePath(QStringLiteral("pipe.png"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

        // The file of exactly 5 MiB is taken, one byte more is refused and the next is still read;
        // files that cannot be read (empty, missing, a pipe, a folder) are passed over in silence.
        bench.pick({exact, over, empty, m_files.filePath("missing.png"), fifo, m_files.path(), photo});
        QUOR_TRY_COMPARE(bench.state().screenshots().size(), 2);
        quorSpin(50ms);
        QCOMPARE(bench.state().screenshots().size(), 2);
        QCOMPARE(bench.state().errorMessage(), tooLarge());
        QCOMPARE(bench.state().statusHint(), std::nullopt);
        const QuorFeedbackScreenshot jpeg = bench.state().screenshots().last();
        QCOMPARE(jpeg.filename, QStringLiteral("Photo.JPG"));
        QCOMPARE(jpeg.mimeType, QStringLiteral("image/jpeg"));
        QCOMPARE(bench.state().screenshots().first().data.size(), fiveMiB);

        // A picture gets a thumbnail; bytes that are no picture are still attached, without one.
        QUOR_TRY_VERIFY(bench.sheet->thumbnail(jpeg.id));
        // Decoded no larger than it is shown, aspect kept: 40 × 30 covers 224 × 136 as 224 × 168.
        QCOMPARE(bench.sheet->thumbnail(jpeg.id)->size(), QSize(224, 168));
        QVERIFY(!bench.sheet->thumbnail(bench.state().screenshots().first().id));
        QUOR_TRY_VERIFY(bench.tile(jpeg.id) && bench.tile(jpeg.id)->findChild<QWidget*>("thumbnail"));
        QVERIFY(!bench.tile(bench.state().screenshots().first().id)->findChild<QWidget*>("thumbnail"));

        // Three attached, four chosen: two are added, then the limit is reported.
        bench.clipboard = {screenshotOf(10)};
        bench.sheet->pasteFromClipboard();
        bench.pick({photo, exact, photo, exact});
        QUOR_TRY_COMPARE(bench.state().errorMessage(), tooMany());
        QCOMPARE(bench.state().screenshots().size(), 5);
        // Five attached: choosing adds nothing.
        bench.pick({photo});
        QUOR_TRY_COMPARE(bench.state().errorMessage(), tooMany());
        QCOMPARE(bench.state().screenshots().size(), 5);

        // A cancelled dialog changes nothing but the old message.
        bench.pick({});
        QCOMPARE(bench.state().errorMessage(), std::nullopt);
        QCOMPARE(bench.state().screenshots().size(), 5);

        // Removing a tile removes that screenshot only; the status hint stays.
        const QUuid second = bench.state().screenshots().at(1).id;
        bench.tile(second)->findChild<QAbstractButton*>("removeButton")->click();
        QCOMPARE(bench.state().screenshots().size(), 4);
        QVERIFY(std::none_of(bench.state().screenshots().begin(), bench.state().screenshots().end(),
                             [&](const QuorFeedbackScreenshot& s) { return s.id == second; }));
        QCOMPARE(bench.state().statusHint(), QStringLiteral("Screenshot pasted from clipboard."));
    }

    void mediaTypesAndFilter()
    {
        using Sheet = QuorFeedbackSheet;
        QCOMPARE(Sheet::mimeTypeForFile("/a/b.JPEG"), QStringLiteral("image/jpeg"));
        QCOMPARE(Sheet::mimeTypeForFile("x.WebP"), QStringLiteral("image/webp"));
        QCOMPARE(Sheet::mimeTypeForFile("x.gif"), QStringLiteral("image/gif"));
        QCOMPARE(Sheet::mimeTypeForFile("x.bmp"), QStringLiteral("image/png"));
        QCOMPARE(Sheet::mimeTypeForFile("noextension"), QStringLiteral("image/png"));
        const QString filter = Sheet::fileFilter(QuorLanguage::tr);
        QVERIFY(filter.startsWith(QStringLiteral("Görseller (")));
        for (const char* pattern : {"*.png", "*.PNG", "*.jpg", "*.JPG", "*.jpeg", "*.JPEG", "*.webp", "*.WEBP", "*.gif", "*.GIF"}) {
            QVERIFY2(filter.contains(QString::fromLatin1(pattern)), pattern);
        }

        // WebP pictures get a thumbnail too (the image-format plugins are installed with the app).
        QImage picture(12, 8, QImage::Format_ARGB32);
        picture.fill(Qt::yellow);
        const QString webp = m_files.filePath(QStringLiteral("shot.webp"));
        QVERIFY(picture.save(webp, "WEBP"));
        Bench bench;
        bench.pick({webp});
        QUOR_TRY_COMPARE(bench.state().screenshots().size(), 1);
        QCOMPARE(bench.state().screenshots().first().mimeType, QStringLiteral("image/webp"));
        QUOR_TRY_VERIFY(bench.sheet->thumbnail(bench.state().screenshots().first().id));
    }

    void aFailedUploadKeepsEverything()
    {
        Bench bench;
        bench.sheet->show();
        bench.click("kind:bug");
        QTest::keyClicks(bench.find<QLineEdit>("emailField"), QStringLiteral("ada@example"));
        QTest::keyClicks(bench.find<QLineEdit>("nameField"), QStringLiteral("Ada"));
        QTest::keyClicks(bench.find<QLineEdit>("subjectField"), QStringLiteral("Paste"));
        QTest::keyClicks(bench.find<QPlainTextEdit>("messageEditor"), QStringLiteral("It crashes on paste."));
        bench.clipboard = {screenshotOf(10)};
        bench.click("pasteButton");
        bench.service->failure = QuorFeedbackError::invalidEmail();
        bench.service->hold = true;
        // Return on the focused button sends; it keeps the focus while the upload runs.
        auto* submit = bench.find<QAbstractButton>("submitButton");
        bench.sheet->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(bench.sheet.get()));
        submit->setFocus(Qt::TabFocusReason);
        QTest::keyClick(submit, Qt::Key_Return);
        QTRY_VERIFY(!submit->isEnabled());
        QCOMPARE(QApplication::focusWidget(), submit);
        QCOMPARE(submit->text(), QStringLiteral("Sending…"));
        // What is sent was taken when Send was pressed.
        QTest::keyClicks(bench.find<QPlainTextEdit>("messageEditor"), QStringLiteral(" More."));
        bench.service->hold = false;
        QUOR_TRY_VERIFY(!bench.state().isSubmitting());
        QCOMPARE(bench.service->received.size(), 1);
        const QuorFeedbackSheet::Submission sent = bench.service->received.first();
        QCOMPARE(sent.kind, QuorFeedbackKind::bug);
        QCOMPARE(sent.email, QStringLiteral("ada@example"));
        QCOMPARE(sent.message, QStringLiteral("It crashes on paste."));
        QCOMPARE(sent.screenshots.size(), 1);
        QCOMPARE(sent.language, QuorLanguage::en);

        QCOMPARE(bench.state().errorMessage(), QStringLiteral("Please enter a valid email address."));
        QVERIFY(bench.find("errorBanner")->isVisible());
        QVERIFY(submit->isEnabled());
        QCOMPARE(bench.state().kind(), QuorFeedbackKind::bug);
        QCOMPARE(bench.state().senderName(), QStringLiteral("Ada"));
        QCOMPARE(bench.state().subject(), QStringLiteral("Paste"));
        QCOMPARE(bench.state().message(), QStringLiteral("It crashes on paste. More."));
        QCOMPARE(bench.state().screenshots().size(), 1);
        QCOMPARE(bench.state().statusHint(), QStringLiteral("Screenshot pasted from clipboard."));

        // Sending again clears the banner first.
        bench.service->hold = true;
        bench.click("submitButton");
        QCOMPARE(bench.state().errorMessage(), std::nullopt);
        QVERIFY(!bench.find("errorBanner")->isVisible());
        bench.service->failure.reset();
        bench.service->hold = false;
        QUOR_TRY_VERIFY(bench.state().receipt());
    }

    void aReceiptAndAnotherNote()
    {
        Bench bench;
        bench.sheet->show();
        bench.click("kind:new_app");
        QTest::keyClicks(bench.find<QLineEdit>("emailField"), QStringLiteral("ada@example.test"));
        QTest::keyClicks(bench.find<QLineEdit>("nameField"), QStringLiteral("Ada"));
        QTest::keyClicks(bench.find<QLineEdit>("subjectField"), QStringLiteral("An idea"));
        QTest::keyClicks(bench.find<QPlainTextEdit>("messageEditor"), QStringLiteral("A tool for tables."));
        bench.clipboard = {std::nullopt, screenshotOf(10)};
        bench.click("pasteButton");
        bench.click("pasteButton");
        bench.click("submitButton");
        QUOR_TRY_VERIFY(bench.find("receiptCard")->isVisible());
        QVERIFY(!bench.find("composer")->isVisible());
        QCOMPARE(bench.find<QLabel>("referencePill")->text(), QStringLiteral("Reference: FB-7"));
        const bool emoji = QuorFonts::hasEmoji();
        QCOMPARE(bench.find<QLabel>("attachmentsCount")->text(), emoji ? QStringLiteral("📷 1") : QStringLiteral("1"));
        QCOMPARE(bench.find("attachmentsSymbol")->isVisible(), !emoji);
        // The service's words are shown as they are, never as markup.
        QCOMPARE(bench.find<QLabel>("receiptMessage")->textFormat(), Qt::PlainText);
        QCOMPARE(bench.find<QLabel>("receiptMessage")->text(), QStringLiteral("Thanks, <b>we read everything</b>."));
        bench.click("doneButton");
        QCOMPARE(bench.closed, 1);

        bench.click("sendAnotherButton");
        QVERIFY(bench.find("composer")->isVisible());
        QCOMPARE(bench.state().kind(), QuorFeedbackKind::newApp);
        QCOMPARE(bench.find<QLineEdit>("emailField")->text(), QStringLiteral("ada@example.test"));
        QCOMPARE(bench.find<QLineEdit>("nameField")->text(), QStringLiteral("Ada"));
        QVERIFY(bench.find<QLineEdit>("subjectField")->text().isEmpty());
        QVERIFY(bench.find<QPlainTextEdit>("messageEditor")->toPlainText().isEmpty());
        QVERIFY(bench.state().screenshots().isEmpty());
        QVERIFY(!bench.find("screenshotTiles")->isVisible());
        QCOMPARE(bench.state().statusHint(), QStringLiteral("Screenshot pasted from clipboard."));
    }

    void theUploadOutlivesTheSheet()
    {
        auto bench = std::make_unique<Bench>();
        bench->service->hold = true;
        bench->sheet->submitFeedback();
        const std::shared_ptr<FakeService> service = bench->service;
        bench.reset(); // closed while the note is on its way
        service->hold = false;
        QUOR_TRY_VERIFY(service->finished);
        quorSpin(50ms);
        QCOMPARE(service->received.size(), 1);
    }

    void sendsThroughTheFeedbackService()
    {
        QuorTestHttpServer server;
        QVERIFY(server.start());
        server.route("POST", "/api/v1/feedback", QuorTestHttpResponse::json(R"({"reference_code":"FB-99"})", 201));
        QuorFeedbackSheet sheet(QStringLiteral("QuorZub"), version, QuorProductPalette::deepCoral, QuorLanguage::tr,
                                server.baseUrl().toString() + QStringLiteral("/"), {});
        sheet.uiState()->setEmail(QStringLiteral("ada@example.test"));
        sheet.uiState()->setMessage(QStringLiteral("Bir şey çalışmıyor."));
        sheet.submitFeedback();
        QUOR_TRY_VERIFY(sheet.uiState()->receipt());
        QCOMPARE(sheet.uiState()->receipt()->referenceCode, QStringLiteral("FB-99"));
        QVERIFY(server.lastRequest()->body.contains("Bir şey çalışmıyor."));
        QVERIFY(server.lastRequest()->body.contains("tr\r\n"));
    }

    void screenshotsOfEachState()
    {
        const QColor accent = QuorProductPalettes::accentColor(QuorProductPalette::deepCobalt);
        for (const QuorLanguage language : {QuorLanguage::en, QuorLanguage::tr}) {
            const QString code = QuorLanguages::rawValue(language);
            Bench bench(language);
            bench.sheet->show();
            QImage image = quorSaveScreenshot(bench.sheet.get(), QStringLiteral("feedbacksheet-composing-") + code);
            auto* submit = bench.find<QAbstractButton>("submitButton");
            QVERIFY(near(pixelOf(image, bench.sheet.get(), submit, {4, submit->height() / 2}), accent));

            bench.state().setEmail(QStringLiteral("ada@example.test"));
            bench.state().setSubject(QStringLiteral("Paste fails"));
            bench.state().setMessage(QStringLiteral("Pasting a picture does nothing."));
            bench.clipboard = {QuorFeedbackScreenshot{QUuid::createUuid(), "clipboard-1.png", "image/png", quorPNG({320, 200}, QColor(0x2E, 0x86, 0xDE))},
                               screenshotOf(2048)};
            bench.sheet->pasteFromClipboard();
            bench.sheet->pasteFromClipboard();
            QUOR_TRY_VERIFY(bench.sheet->thumbnail(bench.state().screenshots().first().id));
            bench.state().setErrorMessage(QuorFeedbackError::serverRejected("The address is not accepted.").errorDescription());
            image = quorSaveScreenshot(bench.sheet.get(), QStringLiteral("feedbacksheet-attachments-") + code);
            const QWidget* banner = bench.find("errorBanner");
            const QColor inside = pixelOf(image, bench.sheet.get(), banner, {3, banner->height() / 2});
            const QColor outside = pixelOf(image, bench.sheet.get(), banner, {3, -4});
            QVERIFY(inside.red() - inside.blue() > outside.red() - outside.blue()); // tinted towards danger
            const QWidget* thumbnail = bench.tile(bench.state().screenshots().first().id)->findChild<QWidget*>("thumbnail");
            QVERIFY(near(pixelOf(image, bench.sheet.get(), thumbnail, thumbnail->rect().center()), QColor(0x2E, 0x86, 0xDE)));

            bench.service->hold = true;
            bench.sheet->submitFeedback();
            image = quorSaveScreenshot(bench.sheet.get(), QStringLiteral("feedbacksheet-sending-") + code);
            QVERIFY(!submit->isEnabled());
            QVERIFY(!near(pixelOf(image, bench.sheet.get(), submit, {4, submit->height() / 2}), accent)); // faded
            bench.service->hold = false;
            QUOR_TRY_VERIFY(bench.state().receipt());
            image = quorSaveScreenshot(bench.sheet.get(), QStringLiteral("feedbacksheet-receipt-") + code);
            auto* done = bench.find<QAbstractButton>("doneButton");
            QVERIFY(near(pixelOf(image, bench.sheet.get(), done, {4, done->height() / 2}), accent));
        }
        Bench arabic(QuorLanguage::ar);
        arabic.sheet->show();
        const QImage image = quorSaveScreenshot(arabic.sheet.get(), QStringLiteral("feedbacksheet-composing-ar"));
        const QWidget* close = arabic.find("closeButton");
        QVERIFY(close->mapTo(arabic.sheet.get(), QPoint()).x() < arabic.sheet->width() / 4);
        QVERIFY(!image.isNull());
    }
};

QUOR_TEST_MAIN(TestQuorFeedbackSheet)
#include "tst_quorfeedbacksheet.moc"
