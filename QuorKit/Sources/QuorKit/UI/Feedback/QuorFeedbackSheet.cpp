#include "QuorKit/UI/Feedback/QuorFeedbackSheet.h"

#include "QuorKit/Cloud/QuorFeedbackError.h"
#include "QuorKit/Cloud/QuorFeedbackService.h"
#include "QuorKit/Design/QuorAccessibleButton.h"
#include "QuorKit/Design/QuorBoxLayouts.h"
#include "QuorKit/Design/Emblems/QuorBrandMark.h"
#include "QuorKit/Design/QuorCaptionGlassButton.h"
#include "QuorKit/Design/QuorCssColor.h"
#include "QuorKit/UI/Feedback/QuorFeedbackSheetState.h"
#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassCard.h"
#include "QuorKit/Design/QuorGlassInputField.h"
#include "QuorKit/Design/QuorGlassScrollArea.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorKeyboardReach.h"
#include "QuorKit/Design/QuorGroundBackground.h"
#include "QuorKit/Design/QuorLabels.h"
#include "QuorKit/Design/QuorPaintedWidget.h"
#include "QuorKit/Design/QuorPlatePainter.h"
#include "QuorKit/Design/QuorProminentButton.h"
#include "QuorKit/Design/QuorSymbolButton.h"
#include "QuorKit/Design/QuorUnopenedPageNotice.h"
#include "QuorKit/Design/QuorSymbols.h"
#include "QuorKit/Design/QuorTextFit.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/Utilities/QuorImageDecoder.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QShortcut>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <QCoro/QCoroFuture>

#include <algorithm>
#include <cmath>

namespace {

constexpr QSize kThumbnailPoints(112, 68);
constexpr int kTileWidth = 124;

QFont caption(QFont::Weight weight = QFont::Normal)
{
    return QuorFonts::system(10, weight);
}
QFont caption2()
{
    return QuorFonts::system(9.5);
}
QFont caption2Mono()
{
    return QuorFonts::monospaced(9.5);
}

QColor withAlpha(QColor color, double alpha)
{
    color.setAlphaF(static_cast<float>(color.alphaF() * alpha));
    return color;
}

QWidget* column(int spacing, QWidget* parent = nullptr, const QMargins& margins = {})
{
    auto* box = new QWidget(parent);
    box->setAttribute(Qt::WA_TranslucentBackground);
    QuorBoxLayouts::vbox(box, spacing, margins);
    return box;
}

QVBoxLayout* columnLayout(QWidget* box)
{
    return static_cast<QVBoxLayout*>(box->layout());
}

// A rounded plate of one colour, optionally edged, that carries a layout.
QuorPaintedWidget* plate(const QColor& fill, double radius, std::optional<QColor> border = std::nullopt,
                         QWidget* parent = nullptr)
{
    return new QuorPaintedWidget(
        [fill, radius, border](QPainter& painter, const QRectF& bounds) {
            QuorPlatePainter::paint(painter, bounds, radius, fill, border);
        },
        parent);
}

QLabel* fieldLabel(const QString& text, QWidget* parent)
{
    return QuorLabels::make(text, caption(QFont::DemiBold), QuorGlassTokens::textSecondary(), parent);
}

// Buttons of the sheet are reached with Tab like its fields, and wear the kit's ring then.
template <typename Button>
Button* tabbable(Button* button, const QString& accessibleName)
{
    QuorKeyboardReach::enable(button, Qt::TabFocus);
    button->setAccessibleName(accessibleName);
    return button;
}

// One kind of feedback as a chip: its symbol and title, lit in the accent while chosen. One kind
// at a time: a radio button to a screen reader. The title is kept apart from the button's text,
// which would take its "&" ("Feature & Improvement") for a mnemonic.
class KindChip : public QAbstractButton {
public:
    KindChip(QuorFeedbackKind kind, QString title, QuorProductPalette palette, QWidget* parent)
        : QAbstractButton(parent), m_kind(kind), m_palette(palette), m_title(std::move(title))
    {
        setAccessibleName(m_title);
        setCheckable(true);
        setCursor(Qt::PointingHandCursor);
        QuorKeyboardReach::enable(this, Qt::TabFocus);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

    QuorFeedbackKind kind() const { return m_kind; }
    QString title() const { return m_title; }

    void setChosen(bool chosen)
    {
        setChecked(chosen);
        QuorAccessibleButton::setChoice(this, QAccessible::RadioButton, chosen);
    }

    QSize sizeHint() const override
    {
        const QFontMetricsF metrics(caption(QFont::DemiBold));
        return {static_cast<int>(std::ceil(20 + kSymbol + 8 + metrics.horizontalAdvance(m_title))),
                static_cast<int>(std::ceil(16 + std::max(metrics.height(), kSymbol)))};
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        const QuorFeedbackSheet::ChipLook look = QuorFeedbackSheet::chipLook(isChecked(), m_palette);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF bounds(rect());
        QuorPlatePainter::paint(painter, bounds, 10, look.fill, look.border);
        const bool rtl = layoutDirection() == Qt::RightToLeft;
        const double symbolX = rtl ? bounds.width() - 10 - kSymbol : 10;
        QuorSymbols::paint(painter, QRectF(symbolX, bounds.center().y() - kSymbol / 2, kSymbol, kSymbol),
                           QuorFeedbackKinds::symbolName(m_kind), look.symbolColor, 13);
        painter.setFont(caption(look.weight));
        painter.setPen(Qt::white);
        const QRectF textRect = rtl ? QRectF(10, 0, symbolX - 18, bounds.height())
                                    : QRectF(symbolX + kSymbol + 8, 0, bounds.width() - symbolX - kSymbol - 18, bounds.height());
        painter.drawText(textRect, (rtl ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                         QuorTextFit::elided(painter, QFontMetricsF(painter.font()), m_title, Qt::ElideRight, textRect.width()));
        if (QuorKeyboardReach::showsFocusRing(this)) {
            QuorKeyboardReach::paintFocusRing(painter, bounds, 10);
        }
    }

private:
    static constexpr double kSymbol = 16;
    QuorFeedbackKind m_kind;
    QuorProductPalette m_palette;
    QString m_title;
};

// The picture of a tile: the thumbnail filling 112 × 68 points, cut to a rounded rectangle.
class Thumbnail : public QWidget {
public:
    Thumbnail(QImage image, QWidget* parent) : QWidget(parent), m_image(std::move(image))
    {
        setFixedSize(kThumbnailPoints);
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QRectF bounds(rect());
        QPainterPath clip;
        clip.addRoundedRect(bounds, 8, 8);
        painter.setClipPath(clip);
        const QSizeF fill = QSizeF(m_image.size()).scaled(bounds.size(), Qt::KeepAspectRatioByExpanding);
        painter.drawImage(QRectF(bounds.center().x() - fill.width() / 2, bounds.center().y() - fill.height() / 2,
                                 fill.width(), fill.height()),
                          m_image);
    }

private:
    QImage m_image;
};

std::optional<QImage> thumbnailImage(const QByteArray& data)
{
    return QuorImageDecoder::decode(data, QuorFeedbackSheet::thumbnailPixels());
}

QString screenshotTooLargeText()
{
    return QuorFeedbackError::screenshotTooLarge(static_cast<int>(QuorFeedbackService::maxScreenshotBytes / (1024 * 1024)))
        .errorDescription();
}

QuorFeedbackSheet::Submitter defaultSubmitter()
{
    return [](QuorFeedbackSheet::Submission s) {
        return QuorFeedbackService::submit(s.appName, s.version, s.kind, s.email, s.senderName, s.subject, s.message,
                                           s.screenshots, s.language, s.baseURL, QuorFeedbackService::sharedSession());
    };
}

QuorFeedbackSheet::FilePicker defaultPicker(QuorLanguage language)
{
    return [language](QWidget* parent) {
        // Owned by the sheet's window: if that goes while the dialog runs, the dialog goes with it.
        const QPointer<QFileDialog> dialog = new QFileDialog(parent != nullptr ? parent->window() : nullptr);
        dialog->setFileMode(QFileDialog::ExistingFiles);
        dialog->setNameFilter(QuorFeedbackSheet::fileFilter(language));
        const bool accepted = dialog->exec() == QDialog::Accepted;
        if (!dialog) {
            return QStringList();
        }
        const QStringList files = accepted ? dialog->selectedFiles() : QStringList();
        delete dialog.data();
        return files;
    };
}

} // namespace

QuorFeedbackSheet::QuorFeedbackSheet(const QString& appName, const QuorAppVersion& version, QuorProductPalette palette,
                                     QuorLanguage language, const std::optional<QString>& baseURL,
                                     std::function<void()> onClose, QWidget* parent)
    : QWidget(parent), m_appName(appName), m_version(version), m_palette(palette), m_language(language),
      m_baseURL(baseURL), m_onClose(std::move(onClose)), m_texts(texts(appName, version, language)),
      m_state(new QuorFeedbackSheetState(this)), m_submitter(defaultSubmitter()),
      m_clipboardReader(&QuorFeedbackService::fetchScreenshotFromPasteboard), m_filePicker(defaultPicker(language))
{
    setLayoutDirection(QuorLanguages::isRTL(language) ? Qt::RightToLeft : Qt::LeftToRight);
    setMinimumSize(560, 540);
    QWidget* content = column(16, nullptr, QMargins(20, 20, 20, 20));
    QVBoxLayout* contentLayout = columnLayout(content);
    contentLayout->addWidget(buildHeader());
    m_composer = buildComposer();
    contentLayout->addWidget(m_composer);
    m_receiptCard = buildReceiptCard();
    contentLayout->addWidget(m_receiptCard);
    contentLayout->addStretch(1);

    auto* layout = QuorBoxLayouts::vbox(this, 0);
    layout->addWidget(quorGlassScrollArea(content, Qt::Vertical, true, this));
    if (m_onClose) {
        auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
        escape->setContext(Qt::WidgetWithChildrenShortcut);
        connect(escape, &QShortcut::activated, this, &QuorFeedbackSheet::close);
    }
    connect(m_state, &QuorFeedbackSheetState::changed, this, &QuorFeedbackSheet::sync);
    sync();
}

QuorFeedbackSheet::~QuorFeedbackSheet() = default;

QuorFeedbackSheet::Texts QuorFeedbackSheet::texts(const QString& appName, const QuorAppVersion& version,
                                                  QuorLanguage language)
{
    const auto t = [language](const QString& en, const QString& tr) { return quorText(en, tr, {}, language); };
    return {
        t(QStringLiteral("We continuously improve our programs by listening to you"),
          QStringLiteral("Sizi dinleyerek programlarımızı sürekli geliştiriyoruz")),
        t(QStringLiteral("Spotted a bug in ") + appName
              + QStringLiteral(", have a feature wish, or a new app idea? Share your email and an optional screenshot."),
          appName + QStringLiteral(" içinde bir hata mı gördünüz, özellik öneriniz ya da yeni bir program fikriniz mi var? "
                                   "E-postanız ve ekran görüntüsüyle bize yazın.")),
        t(QStringLiteral("What is this about?"), QStringLiteral("Konu türü")),
        t(QStringLiteral("Your Email *"), QStringLiteral("E-posta Adresiniz *")),
        t(QStringLiteral("you@example.com"), QStringLiteral("adiniz@ornek.com")),
        t(QStringLiteral("Name (optional)"), QStringLiteral("Adınız (opsiyonel)")),
        t(QStringLiteral("Optional"), QStringLiteral("Opsiyonel")),
        t(QStringLiteral("Short Title *"), QStringLiteral("Kısa Başlık *")),
        t(QStringLiteral("Summarize in one line…"), QStringLiteral("Konuyu tek cümlede özetleyin…")),
        t(QStringLiteral("Details *"), QStringLiteral("Detaylar / Fikriniz *")),
        t(QStringLiteral("Screenshots (optional, up to 5)"), QStringLiteral("Ekran Görüntüleri (opsiyonel, en fazla 5)")),
        t(QStringLiteral("Paste Clipboard"), QStringLiteral("Panodan Yapıştır")),
        t(QStringLiteral("Choose Image…"), QStringLiteral("Görsel Seç…")),
        t(QStringLiteral("Remove screenshot"), QStringLiteral("Ekran görüntüsünü kaldır")),
        t(QStringLiteral("Open in Browser"), QStringLiteral("Tarayıcıda Aç")),
        appName + QStringLiteral(" v") + version.shortVersion,
        t(QStringLiteral("Send Feedback"), QStringLiteral("Geri Bildirimi Gönder")),
        t(QStringLiteral("Sending…"), QStringLiteral("Gönderiliyor…")),
        t(QStringLiteral("Thank you for sharing!"), QStringLiteral("Zaman ayırıp yazdığınız için teşekkürler!")),
        t(QStringLiteral("Reference"), QStringLiteral("Takip Kodu")),
        t(QStringLiteral("Send Another Note"), QStringLiteral("Yeni Bildirim Gönder")),
        t(QStringLiteral("Done"), QStringLiteral("Tamam")),
        t(QStringLiteral("Close"), QStringLiteral("Kapat")),
        t(QStringLiteral("No image found on the clipboard right now. Take a screenshot first, then click Paste."),
          QStringLiteral("Panoda görsel bulunamadı. Önce ekran görüntüsü alıp ardından Panodan Yapıştır'a tıklayın.")),
        t(QStringLiteral("Screenshot pasted from clipboard."), QStringLiteral("Panodaki ekran görüntüsü eklendi.")),
    };
}

QuorFeedbackSheet::ChipLook QuorFeedbackSheet::chipLook(bool selected, QuorProductPalette palette)
{
    const QColor accent = QuorProductPalettes::accentColor(palette);
    if (selected) {
        return {accent, QuorGlassTokens::surface3(), withAlpha(accent, 0.85), QFont::DemiBold};
    }
    return {QuorGlassTokens::textSecondary(), QuorGlassTokens::surface1(), QuorGlassTokens::borderSubtle(), QFont::Medium};
}

QuorFeedbackSheet::Look QuorFeedbackSheet::look(const QuorFeedbackSheetState& state, bool hasOnClose, const Texts& t,
                                                bool emojiFont)
{
    Look look;
    look.showsReceipt = state.receipt().has_value();
    look.showsCloseButton = hasOnClose;
    look.showsDoneButton = hasOnClose && look.showsReceipt;
    look.errorBanner = state.errorMessage();
    look.statusHint = state.statusHint();
    look.submitTitle = state.isSubmitting() ? t.sending : t.send;
    look.submitEnabled = !state.isSubmitting();
    look.showsProgress = state.isSubmitting();
    if (const std::optional<QuorFeedbackReceipt>& receipt = state.receipt()) {
        look.referenceText = t.referenceLabel + QStringLiteral(": ") + receipt->referenceCode;
        if (receipt->attachmentsCount >= 1) {
            const QString count = QString::number(receipt->attachmentsCount);
            // Without an emoji font the pictograph would draw as an empty box.
            if (emojiFont) {
                look.attachmentsText = QStringLiteral("📷 ") + count;
            } else {
                look.attachmentsText = count;
                look.attachmentsSymbol = QStringLiteral("camera.fill");
            }
        }
    }
    return look;
}

QString QuorFeedbackSheet::mimeTypeForFile(const QString& path)
{
    const QString extension = QFileInfo(path).suffix().toLower();
    if (extension == QLatin1String("jpg") || extension == QLatin1String("jpeg")) {
        return QStringLiteral("image/jpeg");
    }
    if (extension == QLatin1String("webp")) {
        return QStringLiteral("image/webp");
    }
    if (extension == QLatin1String("gif")) {
        return QStringLiteral("image/gif");
    }
    return QStringLiteral("image/png");
}

QString QuorFeedbackSheet::fileFilter(QuorLanguage language)
{
    QStringList patterns;
    for (const QString& extension : {QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("jpeg"),
                                     QStringLiteral("webp"), QStringLiteral("gif")}) {
        const QString capitalized = extension.left(1).toUpper() + extension.mid(1);
        for (const QString& form : {extension, extension.toUpper(), capitalized}) {
            patterns << QStringLiteral("*.") + form;
        }
    }
    return quorText(QStringLiteral("Images"), QStringLiteral("Görseller"), {}, language) + QStringLiteral(" (")
        + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

QSize QuorFeedbackSheet::thumbnailPixels()
{
    return kThumbnailPoints * 2;
}

void QuorFeedbackSheet::setSubmitter(Submitter submitter)
{
    m_submitter = submitter ? std::move(submitter) : defaultSubmitter();
}

void QuorFeedbackSheet::setClipboardReader(ClipboardReader reader)
{
    m_clipboardReader = reader ? std::move(reader) : ClipboardReader(&QuorFeedbackService::fetchScreenshotFromPasteboard);
}

void QuorFeedbackSheet::setFilePicker(FilePicker picker)
{
    m_filePicker = picker ? std::move(picker) : defaultPicker(m_language);
}

std::optional<QImage> QuorFeedbackSheet::thumbnail(const QUuid& id) const
{
    const auto found = m_thumbnails.constFind(id);
    if (found == m_thumbnails.constEnd()) {
        return std::nullopt;
    }
    return *found;
}

// ---- actions ----

void QuorFeedbackSheet::submitFeedback()
{
    if (m_state->isSubmitting()) {
        return;
    }
    m_state->setErrorMessage(std::nullopt);
    m_state->setSubmitting(true);
    Submission submission{m_appName,           m_version,           m_state->kind(),
                          m_state->email(),    m_state->senderName(), m_state->subject(),
                          m_state->message(),  m_state->screenshots(), m_language,
                          m_baseURL};
    runSubmit(QPointer<QuorFeedbackSheet>(this), m_submitter, std::move(submission));
}

QCoro::Task<> QuorFeedbackSheet::runSubmit(QPointer<QuorFeedbackSheet> self, Submitter submit, Submission submission)
{
    std::optional<QuorFeedbackReceipt> receipt;
    QString failure;
    try {
        receipt = co_await submit(std::move(submission));
    } catch (const QuorFeedbackError& error) {
        failure = error.errorDescription();
    } catch (const std::exception& error) {
        failure = localizedDescription(error);
    }
    // The sheet may have been closed while the note was on its way: then nobody is left to tell.
    if (self) {
        self->finishSubmit(receipt, failure);
    }
}

void QuorFeedbackSheet::finishSubmit(const std::optional<QuorFeedbackReceipt>& receipt, const QString& failure)
{
    m_state->setSubmitting(false);
    if (receipt) {
        m_state->setReceipt(receipt);
    } else {
        m_state->setErrorMessage(failure);
    }
}

bool QuorFeedbackSheet::refuseWhenFull()
{
    if (m_state->screenshots().size() < QuorFeedbackService::maxScreenshots) {
        return false;
    }
    m_state->setErrorMessage(QuorFeedbackError::tooManyScreenshots(QuorFeedbackService::maxScreenshots).errorDescription());
    return true;
}

void QuorFeedbackSheet::pasteFromClipboard()
{
    m_state->setErrorMessage(std::nullopt);
    if (refuseWhenFull()) {
        return;
    }
    addFromClipboard(QPointer<QuorFeedbackSheet>(this), m_clipboardReader);
}

QCoro::Task<> QuorFeedbackSheet::addFromClipboard(QPointer<QuorFeedbackSheet> self, ClipboardReader read)
{
    // A large picture takes long to fetch and convert: the sheet stays usable meanwhile.
    const std::optional<QuorFeedbackScreenshot> screenshot = co_await read();
    if (!self) {
        co_return;
    }
    if (!screenshot) {
        self->m_state->setStatusHint(self->m_texts.noClipboardImage);
        co_return;
    }
    if (screenshot->data.size() > QuorFeedbackService::maxScreenshotBytes) {
        self->m_state->setErrorMessage(screenshotTooLargeText());
        co_return;
    }
    // Files may have filled the list while the clipboard was read.
    if (self->refuseWhenFull()) {
        co_return;
    }
    self->attach(*screenshot);
    self->m_state->setStatusHint(self->m_texts.clipboardImageAdded);
}

void QuorFeedbackSheet::pickScreenshotsFromDisk()
{
    m_state->setErrorMessage(std::nullopt);
    const QPointer<QuorFeedbackSheet> self(this);
    const QStringList paths = m_filePicker(this);
    if (self && !paths.isEmpty()) {
        addFiles(self, paths);
    }
}

QuorFeedbackSheet::FileRead QuorFeedbackSheet::readScreenshotFile(const QString& path)
{
    // Only regular files: a pipe or a device could block the read or never end.
    const QFileInfo info(path);
    if (!info.isFile()) {
        return {};
    }
    if (info.size() > QuorFeedbackService::maxScreenshotBytes) {
        return {FileOutcome::tooLarge, {}};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    // One byte past the limit tells a file that grew since it was measured.
    QByteArray data = file.read(QuorFeedbackService::maxScreenshotBytes + 1);
    if (data.size() > QuorFeedbackService::maxScreenshotBytes) {
        return {FileOutcome::tooLarge, {}};
    }
    if (data.isEmpty()) {
        return {};
    }
    return {FileOutcome::added, std::move(data)};
}

QCoro::Task<> QuorFeedbackSheet::addFiles(QPointer<QuorFeedbackSheet> self, QStringList paths)
{
    for (const QString& path : paths) {
        if (!self || self->refuseWhenFull()) {
            co_return;
        }
        // Files are read away from the GUI thread; one at a time, in the order chosen.
        QFuture<FileRead> reading = QtConcurrent::run(&QuorFeedbackSheet::readScreenshotFile, path);
        const FileRead read = co_await reading;
        if (!self) {
            co_return;
        }
        if (read.outcome == FileOutcome::unreadable) {
            continue;
        }
        if (read.outcome == FileOutcome::tooLarge) {
            self->m_state->setErrorMessage(screenshotTooLargeText());
            continue;
        }
        // A paste may have filled the list while the file was read.
        if (self->refuseWhenFull()) {
            co_return;
        }
        self->attach({QUuid::createUuid(), QFileInfo(path).fileName(), mimeTypeForFile(path), read.data});
    }
}

void QuorFeedbackSheet::attach(const QuorFeedbackScreenshot& screenshot)
{
    m_state->appendScreenshot(screenshot);
    decodeThumbnail(QPointer<QuorFeedbackSheet>(this), screenshot.id, screenshot.data);
}

QCoro::Task<> QuorFeedbackSheet::decodeThumbnail(QPointer<QuorFeedbackSheet> self, QUuid id, QByteArray data)
{
    // Held in a variable: temporaries inside a co_await expression are not safe with this compiler.
    QFuture<std::optional<QImage>> decoding = QtConcurrent::run(&thumbnailImage, data);
    const std::optional<QImage> image = co_await decoding;
    if (!self || !image) {
        co_return;
    }
    const QList<QuorFeedbackScreenshot>& shown = self->m_state->screenshots();
    if (std::none_of(shown.begin(), shown.end(), [&id](const QuorFeedbackScreenshot& s) { return s.id == id; })) {
        co_return;
    }
    self->m_thumbnails.insert(id, *image);
    self->renderTiles();
}

void QuorFeedbackSheet::sendAnotherNote()
{
    m_thumbnails.clear();
    m_state->startAnotherNote();
}

void QuorFeedbackSheet::openInBrowser()
{
    if (QuorFeedbackService::openInBrowser(m_appName, m_version, m_state->kind(), m_language, m_baseURL)) {
        return;
    }
    if (const std::optional<QUrl> url =
            QuorFeedbackService::webFeedbackURL(m_appName, m_version, m_state->kind(), m_language, m_baseURL)) {
        auto* anchor = findChild<QWidget*>(QStringLiteral("browserButton"));
        QuorUnopenedPageNotice::popUp(*url, m_language, anchor != nullptr ? anchor : this);
    }
}

void QuorFeedbackSheet::close()
{
    if (m_onClose) {
        m_onClose();
    }
}

void QuorFeedbackSheet::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    QuorGroundBackground::paint(painter, QRectF(rect()), m_palette);
}

// ---- layout ----

QWidget* QuorFeedbackSheet::buildHeader()
{
    auto* header = new QWidget(this);
    QHBoxLayout* row = QuorBoxLayouts::hbox(header, 12);
    row->setAlignment(Qt::AlignTop);
    row->addWidget(new QuorBrandMark(28, QuorBrandMarkStyle::forAppName(m_appName), header), 0, Qt::AlignTop);
    QWidget* titles = column(4, header);
    QLabel* title = QuorLabels::make(m_texts.title, QuorFonts::system(16, QFont::Bold), Qt::white, titles);
    title->setWordWrap(true);
    QLabel* subtitle = QuorLabels::make(m_texts.subtitle, caption(), QuorGlassTokens::textSecondary(), titles);
    subtitle->setWordWrap(true);
    columnLayout(titles)->addWidget(title);
    columnLayout(titles)->addWidget(subtitle);
    row->addWidget(titles, 1);
    if (m_onClose) {
        auto* closeButton = tabbable(
            new QuorSymbolButton(QStringLiteral("xmark.circle.fill"), 18, QuorGlassTokens::textSecondary(), 0.7, header),
            m_texts.close);
        closeButton->setObjectName(QStringLiteral("closeButton"));
        closeButton->setToolTip(m_texts.close);
        connect(closeButton, &QAbstractButton::clicked, this, &QuorFeedbackSheet::close);
        row->addWidget(closeButton, 0, Qt::AlignTop);
        m_closeButton = closeButton;
    }
    return header;
}

QAbstractButton* QuorFeedbackSheet::captionButton(const QString& title, const QString& symbol, const char* name,
                                                 void (QuorFeedbackSheet::*action)(), QWidget* parent)
{
    auto* button = tabbable(new QuorCaptionGlassButton(title, symbol, parent), title);
    button->setObjectName(QString::fromLatin1(name));
    connect(button, &QAbstractButton::clicked, this, action);
    return button;
}

QWidget* QuorFeedbackSheet::buildComposer()
{
    QWidget* composer = column(14, this);
    composer->setObjectName(QStringLiteral("composer"));
    QVBoxLayout* layout = columnLayout(composer);
    layout->addWidget(buildKindCard());
    layout->addWidget(buildFieldsCard());
    layout->addWidget(buildAttachmentsCard());

    m_errorBanner = plate(withAlpha(QuorGlassTokens::danger(), 0.22), 10, std::nullopt, composer);
    m_errorBanner->setObjectName(QStringLiteral("errorBanner"));
    QHBoxLayout* banner = QuorBoxLayouts::hbox(m_errorBanner, 8, QMargins(10, 10, 10, 10));
    auto* warning = new QLabel(m_errorBanner);
    warning->setPixmap(QuorSymbols::pixmap(QStringLiteral("exclamationmark.triangle.fill"), 11, QuorGlassTokens::warning()));
    banner->addWidget(warning, 0, Qt::AlignTop);
    m_errorText = QuorLabels::make(QString(), caption(), Qt::white, m_errorBanner);
    m_errorText->setObjectName(QStringLiteral("errorText"));
    m_errorText->setWordWrap(true);
    m_errorText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    banner->addWidget(m_errorText, 1);
    layout->addWidget(m_errorBanner);

    layout->addWidget(buildFooter());
    return composer;
}

QWidget* QuorFeedbackSheet::buildKindCard()
{
    QWidget* box = column(10);
    columnLayout(box)->addWidget(fieldLabel(m_texts.kindCaption, box));
    auto* grid = new QGridLayout();
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(8);
    int index = 0;
    for (const QuorFeedbackKind kind : QuorFeedbackKinds::allCases()) {
        auto* chip = new KindChip(kind, QuorFeedbackKinds::title(kind, m_language), m_palette, box);
        chip->setObjectName(QStringLiteral("kind:") + QuorFeedbackKinds::rawValue(kind));
        connect(chip, &QAbstractButton::clicked, this, [this, kind] {
            m_state->setKind(kind);
            sync(); // a click on the chosen chip unchecks it; the state says it stays chosen
        });
        grid->addWidget(chip, index / 2, index % 2);
        m_chips << chip;
        ++index;
    }
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    columnLayout(box)->addLayout(grid);
    return new QuorGlassCard(14, 14, box, this);
}

QWidget* QuorFeedbackSheet::buildFieldsCard()
{
    QWidget* box = column(12);
    const auto field = [this, box](const QString& label, const QString& placeholder, const char* name,
                                   void (QuorFeedbackSheetState::*set)(const QString&)) {
        QWidget* stack = column(4, box);
        columnLayout(stack)->addWidget(fieldLabel(label, stack));
        auto* edit = new QLineEdit(stack);
        edit->setObjectName(QString::fromLatin1(name));
        quorGlassInputField(edit, 7, 9, 5);
        edit->setPlaceholderText(placeholder);
        edit->setAccessibleName(label);
        connect(edit, &QLineEdit::textEdited, m_state, set);
        columnLayout(stack)->addWidget(edit);
        return std::pair{stack, edit};
    };
    auto* names = QuorBoxLayouts::hbox(nullptr, 10);
    auto [emailStack, email] = field(m_texts.emailLabel, m_texts.emailPlaceholder, "emailField", &QuorFeedbackSheetState::setEmail);
    auto [nameStack, sender] = field(m_texts.nameLabel, m_texts.namePlaceholder, "nameField", &QuorFeedbackSheetState::setSenderName);
    names->addWidget(emailStack, 1);
    names->addWidget(nameStack, 1);
    columnLayout(box)->addLayout(names);
    auto [subjectStack, subject] =
        field(m_texts.subjectLabel, m_texts.subjectPlaceholder, "subjectField", &QuorFeedbackSheetState::setSubject);
    columnLayout(box)->addWidget(subjectStack);
    m_email = email;
    m_senderName = sender;
    m_subject = subject;

    QWidget* details = column(4, box);
    columnLayout(details)->addWidget(fieldLabel(m_texts.detailsLabel, details));
    QuorPaintedWidget* well = plate(QuorGlassTokens::surface1(), 8, QuorGlassTokens::borderSubtle(), details);
    QuorBoxLayouts::vbox(well, 0, QMargins(6, 6, 6, 6));
    m_message = new QPlainTextEdit(well);
    m_message->setObjectName(QStringLiteral("messageEditor"));
    m_message->setFont(QuorFonts::system(13));
    m_message->setFrameShape(QFrame::NoFrame);
    m_message->setTabChangesFocus(true);
    m_message->setAccessibleName(m_texts.detailsLabel);
    m_message->setStyleSheet(QStringLiteral("QPlainTextEdit { background: transparent; color: %1; border: none; }")
                                 .arg(quorCssColor(QuorGlassTokens::textPrimary())));
    m_message->viewport()->setAutoFillBackground(false);
    // 105 points with the well's padding; a longer text scrolls inside.
    m_message->setFixedHeight(105 - 12);
    connect(m_message, &QPlainTextEdit::textChanged, this, [this] { m_state->setMessage(m_message->toPlainText()); });
    well->layout()->addWidget(m_message);
    columnLayout(details)->addWidget(well);
    columnLayout(box)->addWidget(details);
    return new QuorGlassCard(14, 14, box, this);
}

QWidget* QuorFeedbackSheet::buildAttachmentsCard()
{
    QWidget* box = column(10);
    auto* header = QuorBoxLayouts::hbox(nullptr, 6);
    header->addWidget(QuorLabels::withSymbol(QStringLiteral("photo.on.rectangle.angled"), m_texts.attachmentsLabel,
                                             caption(QFont::DemiBold), Qt::white, Qt::white, box));
    header->addStretch(1);
    header->addWidget(captionButton(m_texts.paste, QStringLiteral("doc.on.clipboard"), "pasteButton",
                                    &QuorFeedbackSheet::pasteFromClipboard, box));
    header->addWidget(captionButton(m_texts.choose, QStringLiteral("plus.circle"), "chooseButton",
                                    &QuorFeedbackSheet::pickScreenshotsFromDisk, box));
    columnLayout(box)->addLayout(header);

    m_statusHint = QuorLabels::make(QString(), caption2(), QuorGlassTokens::textSecondary(), box);
    m_statusHint->setObjectName(QStringLiteral("statusHint"));
    m_statusHint->setWordWrap(true);
    columnLayout(box)->addWidget(m_statusHint);

    auto* strip = new QWidget();
    strip->setAttribute(Qt::WA_TranslucentBackground);
    m_tiles = QuorBoxLayouts::hbox(strip, 10);
    m_tiles->setSizeConstraint(QLayout::SetFixedSize);
    QScrollArea* area = quorGlassScrollArea(strip, Qt::Horizontal, false, box);
    area->setObjectName(QStringLiteral("screenshotTiles"));
    m_tilesArea = area;
    area->hide(); // until there is a screenshot to show
    columnLayout(box)->addWidget(area);
    return new QuorGlassCard(14, 14, box, this);
}

QWidget* QuorFeedbackSheet::buildFooter()
{
    auto* footer = new QWidget(this);
    QHBoxLayout* row = QuorBoxLayouts::hbox(footer, 10);
    row->addWidget(captionButton(m_texts.openInBrowser, QStringLiteral("safari"), "browserButton",
                                 &QuorFeedbackSheet::openInBrowser, footer));
    row->addStretch(1);
    QLabel* version = QuorLabels::make(m_texts.footer, caption2Mono(), QuorGlassTokens::textMuted(), footer);
    version->setObjectName(QStringLiteral("footerVersion"));
    row->addWidget(version);
    auto* submit = new QuorProminentButton(m_texts.send, QuorProductPalettes::accentColor(m_palette),
                                           QuorFonts::system(12, QFont::DemiBold), QMargins(14, 7, 14, 7), footer);
    submit->setObjectName(QStringLiteral("submitButton"));
    connect(submit, &QAbstractButton::clicked, this, &QuorFeedbackSheet::submitFeedback);
    row->addWidget(submit);
    m_submit = submit;
    return footer;
}

QWidget* QuorFeedbackSheet::buildReceiptCard()
{
    QWidget* box = column(12);
    auto* top = QuorBoxLayouts::hbox(nullptr, 8);
    auto* seal = new QLabel(box);
    seal->setPixmap(QuorSymbols::pixmap(QStringLiteral("checkmark.seal.fill"), 22, QuorGlassTokens::success()));
    top->addWidget(seal);
    top->addWidget(QuorLabels::make(m_texts.thanks, QuorFonts::system(13, QFont::Bold), Qt::white, box), 1);
    columnLayout(box)->addLayout(top);

    m_receiptMessage = QuorLabels::make(QString(), QuorFonts::system(12), QuorGlassTokens::textSecondary(), box);
    m_receiptMessage->setObjectName(QStringLiteral("receiptMessage"));
    m_receiptMessage->setWordWrap(true);
    m_receiptMessage->setTextInteractionFlags(Qt::TextSelectableByMouse);
    columnLayout(box)->addWidget(m_receiptMessage);

    auto* pills = QuorBoxLayouts::hbox(nullptr, 10);
    QuorPaintedWidget* pill = plate(QuorGlassTokens::surface2(), 8, std::nullopt, box);
    QuorBoxLayouts::hbox(pill, 0, QMargins(10, 5, 10, 5));
    m_reference = QuorLabels::make(QString(), QuorFonts::monospaced(10, QFont::Bold), QuorGlassTokens::textPrimary(), pill);
    m_reference->setObjectName(QStringLiteral("referencePill"));
    m_reference->setTextInteractionFlags(Qt::TextSelectableByMouse);
    pill->layout()->addWidget(m_reference);
    pill->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    pills->addWidget(pill);
    // The symbol and the count sit together, spaced like the pictograph and its count.
    auto* count = QuorBoxLayouts::hbox(nullptr, 3);
    m_attachmentsSymbol = new QLabel(box);
    m_attachmentsSymbol->setObjectName(QStringLiteral("attachmentsSymbol"));
    m_attachmentsSymbol->hide();
    count->addWidget(m_attachmentsSymbol);
    m_attachmentsCount = QuorLabels::make(QString(), caption(), QuorGlassTokens::textSecondary(), box);
    m_attachmentsCount->setObjectName(QStringLiteral("attachmentsCount"));
    count->addWidget(m_attachmentsCount);
    pills->addLayout(count);
    pills->addStretch(1);
    columnLayout(box)->addLayout(pills);

    auto* buttons = QuorBoxLayouts::hbox(nullptr, 6, QMargins(0, 4, 0, 0));
    buttons->addWidget(captionButton(m_texts.sendAnother, QStringLiteral("arrow.counterclockwise"), "sendAnotherButton",
                                     &QuorFeedbackSheet::sendAnotherNote, box));
    buttons->addStretch(1);
    if (m_onClose) {
        auto* done = new QuorProminentButton(m_texts.done, QuorProductPalettes::accentColor(m_palette),
                                             QuorFonts::system(12, QFont::DemiBold), QMargins(12, 6, 12, 6), box);
        done->setObjectName(QStringLiteral("doneButton"));
        connect(done, &QAbstractButton::clicked, this, &QuorFeedbackSheet::close);
        buttons->addWidget(done);
        m_doneButton = done;
    }
    columnLayout(box)->addLayout(buttons);
    auto* card = new QuorGlassCard(20, 14, box, this);
    card->setObjectName(QStringLiteral("receiptCard"));
    return card;
}

// ---- sync ----

void QuorFeedbackSheet::sync()
{
    const Look l = look(*m_state, static_cast<bool>(m_onClose), m_texts, QuorFonts::hasEmoji());
    m_composer->setVisible(!l.showsReceipt);
    m_receiptCard->setVisible(l.showsReceipt);
    if (m_doneButton != nullptr) {
        m_doneButton->setVisible(l.showsDoneButton);
    }
    for (QAbstractButton* chip : m_chips) {
        auto* kindChip = static_cast<KindChip*>(chip);
        kindChip->setChosen(kindChip->kind() == m_state->kind());
    }
    const auto show = [](QLineEdit* edit, const QString& text) {
        if (edit->text() != text) {
            edit->setText(text);
        }
    };
    show(m_email, m_state->email());
    show(m_senderName, m_state->senderName());
    show(m_subject, m_state->subject());
    if (m_message->toPlainText() != m_state->message()) {
        m_message->setPlainText(m_state->message());
    }
    m_statusHint->setVisible(l.statusHint.has_value());
    m_statusHint->setText(l.statusHint.value_or(QString()));
    m_errorBanner->setVisible(l.errorBanner.has_value());
    m_errorText->setText(l.errorBanner.value_or(QString()));
    m_submit->setText(l.submitTitle);
    m_submit->setAccessibleName(l.submitTitle);
    m_submit->setEnabled(l.submitEnabled);
    static_cast<QuorProminentButton*>(m_submit)->setBusy(l.showsProgress);
    m_submit->updateGeometry();
    if (const std::optional<QuorFeedbackReceipt>& receipt = m_state->receipt()) {
        m_receiptMessage->setText(receipt->message);
    }
    m_reference->setText(l.referenceText);
    m_attachmentsSymbol->setVisible(l.attachmentsSymbol.has_value());
    if (l.attachmentsSymbol) {
        m_attachmentsSymbol->setPixmap(QuorSymbols::pixmap(*l.attachmentsSymbol, 10, QuorGlassTokens::textSecondary()));
    }
    m_attachmentsCount->setVisible(l.attachmentsText.has_value());
    m_attachmentsCount->setText(l.attachmentsText.value_or(QString()));

    QList<QUuid> ids;
    for (const QuorFeedbackScreenshot& screenshot : m_state->screenshots()) {
        ids << screenshot.id;
    }
    if (ids != m_shownTiles) {
        renderTiles();
    }
}

void QuorFeedbackSheet::renderTiles()
{
    // The remove button that led here belongs to a tile: tiles leave once its click is handled.
    while (QLayoutItem* item = m_tiles->takeAt(0)) {
        if (QWidget* widget = item->widget()) {
            widget->hide();
            widget->deleteLater();
        }
        delete item;
    }
    m_shownTiles.clear();
    QWidget* strip = m_tiles->parentWidget();
    for (const QuorFeedbackScreenshot& screenshot : m_state->screenshots()) {
        m_shownTiles << screenshot.id;
        QuorPaintedWidget* tile = plate(QuorGlassTokens::surface1(), 10, std::nullopt, strip);
        tile->setObjectName(QStringLiteral("tile:") + screenshot.id.toString(QUuid::WithoutBraces));
        tile->setFixedWidth(kTileWidth);
        QVBoxLayout* layout = QuorBoxLayouts::vbox(tile, 4, QMargins(6, 6, 6, 6));
        if (const auto found = m_thumbnails.constFind(screenshot.id); found != m_thumbnails.constEnd()) {
            auto* picture = new Thumbnail(*found, tile);
            picture->setObjectName(QStringLiteral("thumbnail"));
            layout->addWidget(picture);
        }
        auto* row = QuorBoxLayouts::hbox(nullptr, 4);
        row->addWidget(QuorLabels::make(screenshot.formattedSize(), caption2Mono(), QuorGlassTokens::textMuted(), tile));
        row->addStretch(1);
        auto* remove = tabbable(new QuorSymbolButton(QStringLiteral("xmark.circle.fill"), 10, QuorGlassTokens::danger(), 0.7, tile),
                                m_texts.removeScreenshot + QStringLiteral(" ") + screenshot.filename);
        remove->setObjectName(QStringLiteral("removeButton"));
        remove->setToolTip(m_texts.removeScreenshot);
        const QUuid id = screenshot.id;
        connect(remove, &QAbstractButton::clicked, this, [this, id] {
            m_thumbnails.remove(id);
            m_state->removeScreenshot(id);
        });
        row->addWidget(remove);
        layout->addLayout(row);
        m_tiles->addWidget(tile);
        // Shown now rather than on the layout's next turn, so the strip below can measure it.
        tile->show();
    }
    m_tilesArea->setVisible(!m_shownTiles.isEmpty());
    strip->adjustSize();
    static_cast<QScrollArea*>(m_tilesArea)->setFixedHeight(strip->sizeHint().height());
}
