#include "QuorKit/UI/Feedback/QuorFeedbackSheet.h"

#include "QuorKit/Cloud/QuorFeedbackError.h"
#include "QuorKit/Cloud/QuorFeedbackService.h"
#include "QuorKit/Design/QuorAccessibleButton.h"
#include "QuorKit/Design/QuorBoxLayouts.h"
#include "QuorKit/Design/Emblems/QuorBrandMark.h"
#include "QuorKit/Design/QuorCaptionGlassButton.h"
#include "QuorKit/UI/Feedback/QuorFeedbackSheetState.h"
#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassCard.h"
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

#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
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

// Buttons of the sheet are reached with Tab like its fields, and wear the kit's ring then.
template <typename Button>
Button* tabbable(Button* button, const QString& accessibleName)
{
    QuorKeyboardReach::enable(button, Qt::TabFocus);
    button->setAccessibleName(accessibleName);
    return button;
}

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
} // namespace

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
    const std::optional<QUrl> url =
        QuorFeedbackService::webFeedbackURL(m_appName, m_version, m_state->kind(), m_language, m_baseURL);
    const auto tellIfNotOpened = [this, url](bool opened) {
        if (!opened && url) {
            auto* anchor = findChild<QWidget*>(QStringLiteral("browserButton"));
            QuorUnopenedPageNotice::popUp(*url, m_language, anchor != nullptr ? anchor : this);
        }
    };
    QuorFeedbackService::openInBrowser(m_appName, m_version, m_state->kind(), m_language, m_baseURL, this,
                                       tellIfNotOpened);
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
