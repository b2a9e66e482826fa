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

#include <QFileDialog>
#include <QFontMetricsF>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
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

QFont caption(QFont::Weight weight = QFont::Normal)
{
    return QuorFonts::system(10, weight);
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
