#include "QuorZubApp/Views/ZubFloatingBarContentView.h"

#include "QuorZubApp/Views/ZubFloatingBarContentViewParts.h"
#include "QuorZubApp/Views/ZubFloatingBarState.h"
#include "QuorZubApp/Views/ZubFrostedGlassCapsule.h"
#include "QuorZubApp/Views/ZubFrostedGlassCard.h"
#include "QuorZubApp/Views/ZubSpinner.h"

#include "QuorKit/Design/Emblems/QuorBrandMark.h"
#include "QuorKit/Design/QuorAnimation.h"
#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorPaintedWidget.h"
#include "QuorKit/Design/QuorStyledButton.h"
#include "QuorKit/Design/QuorSymbols.h"
#include "QuorKit/Design/QuorTextFit.h"

#include <QAbstractButton>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <cmath>

namespace {
using zub_detail::PresentEffect;
using zub_detail::OneLineLabel;
using zub_detail::ceilSize;
using zub_detail::white;

QLabel* makeLabel(const QString& text, const QFont& font, const QColor& color, QWidget* parent = nullptr)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    label->setPalette(palette);
    label->setAttribute(Qt::WA_TranslucentBackground);
    return label;
}

// "Close  Esc" at the end of the result card's buttons.
class CloseKeyButton : public QAbstractButton {
public:
    CloseKeyButton(const QString& title, QWidget* parent) : QAbstractButton(parent)
    {
        setText(title);
        setObjectName(QStringLiteral("closeButton"));
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::NoFocus);
    }

    QSize sizeHint() const override
    {
        const QFontMetricsF title(QuorFonts::system(11.5, QFont::Medium));
        const QFontMetricsF key(QuorFonts::monospaced(9.5, QFont::Medium));
        return ceilSize(title.horizontalAdvance(text()) + 4 + key.horizontalAdvance(QStringLiteral("Esc")) + 2 * 8,
                        title.height() + 2 * 5);
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF bounds(rect());
        painter.setPen(Qt::NoPen);
        painter.setBrush(white(0.07));
        painter.drawRoundedRect(bounds, bounds.height() / 2, bounds.height() / 2);
        const QFont titleFont = QuorFonts::system(11.5, QFont::Medium);
        const double titleWidth = QFontMetricsF(titleFont).horizontalAdvance(text());
        painter.setFont(titleFont);
        painter.setPen(white(0.72));
        painter.drawText(QRectF(8, 0, titleWidth + 1, bounds.height()), Qt::AlignLeft | Qt::AlignVCenter, text());
        painter.setFont(QuorFonts::monospaced(9.5, QFont::Medium));
        painter.setPen(white(0.45));
        painter.drawText(QRectF(8 + titleWidth + 4, 0, bounds.width(), bounds.height()), Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("Esc"));
    }
};

// The QR code, sharp-edged, on white in a rounded square.
class QRCodeView : public QWidget {
public:
    QRCodeView(QImage image, QWidget* parent) : QWidget(parent), m_image(std::move(image))
    {
        setObjectName(QStringLiteral("qrImage"));
        setFixedSize(160 + 16, 160 + 16);
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        painter.drawRoundedRect(QRectF(rect()), 12, 12);
        const QSizeF fitted = QSizeF(m_image.size()).scaled(160, 160, Qt::KeepAspectRatio);
        const QRectF target(8 + (160 - fitted.width()) / 2, 8 + (160 - fitted.height()) / 2, fitted.width(),
                            fitted.height());
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(target, m_image);
    }

private:
    QImage m_image;
};

// The dark well behind a result's text.
QWidget* textWell(QWidget* parent)
{
    return new QuorPaintedWidget(
        [](QPainter& painter, const QRectF& bounds) {
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor::fromRgbF(0, 0, 0, 0.18f));
            painter.drawRoundedRect(bounds, 10, 10);
            painter.setPen(QPen(white(0.1), 0.5));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(bounds.adjusted(0.25, 0.25, -0.25, -0.25), 9.75, 9.75);
        },
        parent);
}

// A thin, light scroll indicator for the dark text well.
constexpr const char* kScrollBarStyle =
    "QScrollBar:vertical { width: 6px; background: transparent; margin: 0; }"
    "QScrollBar::handle:vertical { background: rgba(255, 255, 255, 0.28); border-radius: 3px; min-height: 16px; }"
    "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
    "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }";
} // namespace

void ZubFloatingBarContentView::buildRunningCard()
{
    m_runningCard = new ZubFrostedGlassCard(16, QuorProductPalettes::groundStops(QuorProductPalette::deepCoral));
    m_runningCard->setObjectName(QStringLiteral("runningCard"));
    m_runningCard->installEventFilter(this);
    m_runningCard->setGraphicsEffect(new PresentEffect(0.97, m_runningCard));
    auto* row = new QHBoxLayout(m_runningCard);
    row->setContentsMargins(14, 14, 14, 14);
    row->setSpacing(10);
    row->addWidget(new ZubSpinner(m_accent, m_runningCard));
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    m_runningTitle = makeLabel({}, QuorFonts::system(12.5, QFont::DemiBold), QuorGlassTokens::textPrimary());
    m_runningTitle->setObjectName(QStringLiteral("runningTitle"));
    m_runningPreview = new OneLineLabel(QuorFonts::system(11), white(0.58), m_runningCard);
    m_runningPreview->setObjectName(QStringLiteral("runningPreview"));
    texts->addWidget(m_runningTitle);
    texts->addWidget(m_runningPreview);
    row->addLayout(texts, 1);
    m_runningCard->hide();
}

void ZubFloatingBarContentView::rebuildResultCard(const ZubFloatingBarPresentation::ResultCard& card)
{
    if (m_resultCard) {
        delete m_resultCard;
        m_resultCard = nullptr;
    }
    const ZubExecutionResult result = *m_state->result();
    m_shownResult = card;
    m_shownResultValue = result;

    m_resultCard = new ZubFrostedGlassCard(16, QuorProductPalettes::groundStops(QuorProductPalette::deepCoral));
    m_resultCard->setObjectName(QStringLiteral("resultCard"));
    m_resultCard->installEventFilter(this);
    m_resultCard->setGraphicsEffect(new PresentEffect(0.97, m_resultCard));
    auto* column = new QVBoxLayout(m_resultCard);
    column->setContentsMargins(14, 14, 14, 14);
    column->setSpacing(10);

    // Header: symbol, title, languages, duration.
    auto* header = new QHBoxLayout;
    header->setSpacing(8);
    const QColor headerColor = card.isError ? QuorGlassTokens::warning() : m_accent;
    auto* symbol = makeLabel({}, QuorFonts::system(12), headerColor);
    symbol->setObjectName(QStringLiteral("resultSymbol"));
    symbol->setPixmap(QuorSymbols::pixmap(card.headerSymbol, 12, headerColor));
    header->addWidget(symbol);
    auto* title = makeLabel(card.title, QuorFonts::system(12.5, QFont::DemiBold), QuorGlassTokens::textPrimary());
    title->setObjectName(QStringLiteral("resultTitle"));
    header->addWidget(title);
    if (card.languageCapsule) {
        auto* capsule = makeLabel(*card.languageCapsule, QuorFonts::monospaced(9.5, QFont::DemiBold), m_accent);
        capsule->setObjectName(QStringLiteral("resultLanguages"));
        capsule->setContentsMargins(6, 2, 6, 2);
        capsule->setAttribute(Qt::WA_TranslucentBackground, false);
        const double radius = (capsule->sizeHint().height()) / 2.0;
        capsule->setStyleSheet(QStringLiteral("QLabel { background: rgba(%1, %2, %3, 0.14); border-radius: %4px; }")
                                   .arg(m_accent.red())
                                   .arg(m_accent.green())
                                   .arg(m_accent.blue())
                                   .arg(radius));
        header->addWidget(capsule);
    }
    header->addStretch(1);
    auto* duration = makeLabel(card.duration, QuorFonts::system(10, QFont::Medium), white(0.42));
    duration->setObjectName(QStringLiteral("resultDuration"));
    header->addWidget(duration);
    column->addLayout(header);

    if (card.qrImage) {
        auto* body = new QHBoxLayout;
        body->setSpacing(14);
        body->addWidget(new QRCodeView(*card.qrImage, m_resultCard));
        auto* side = new QVBoxLayout;
        side->setSpacing(6);
        auto* output = makeLabel(card.outputText, QuorFonts::system(12, QFont::DemiBold), QuorGlassTokens::textPrimary());
        output->setObjectName(QStringLiteral("resultOutput"));
        output->setWordWrap(true);
        side->addWidget(output);
        auto* input = makeLabel(card.inputText, QuorFonts::monospaced(11), white(0.62));
        input->setObjectName(QStringLiteral("resultInput"));
        input->setWordWrap(true);
        input->setMaximumHeight(static_cast<int>(std::ceil(QFontMetricsF(input->font()).lineSpacing() * 5)));
        input->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        side->addWidget(input);
        side->addStretch(1);
        side->addSpacing(4);
        auto* save = new QuorStyledButton(card.saveTitle, QStringLiteral("square.and.arrow.down"),
                                          QuorGlassButtonStyle{false}, m_resultCard);
        save->setObjectName(QStringLiteral("saveQRButton"));
        const QByteArray png = result.qrPNGData.value_or(QByteArray());
        connect(save, &QAbstractButton::clicked, this, [this, png] {
            if (m_callbacks.onSaveQRImage) {
                m_callbacks.onSaveQRImage(png);
            }
        });
        side->addWidget(save, 0, Qt::AlignLeft);
        body->addLayout(side, 1);
        column->addLayout(body);
    } else {
        auto* well = textWell(m_resultCard);
        auto* wellLayout = new QVBoxLayout(well);
        wellLayout->setContentsMargins(10, 10, 10, 10);
        auto* scroll = new QPlainTextEdit(well);
        scroll->setObjectName(QStringLiteral("resultOutput"));
        scroll->setAccessibleName(card.outputName);
        scroll->setReadOnly(true);
        scroll->setTextInteractionFlags(Qt::TextSelectableByMouse);
        scroll->setFocusPolicy(Qt::NoFocus);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll->setFont(QuorFonts::system(13));
        scroll->document()->setDocumentMargin(0);
        scroll->setPlainText(card.outputText);
        const QColor textColor = card.isError ? QuorGlassTokens::warning() : QuorGlassTokens::textPrimary();
        scroll->setStyleSheet(
            QStringLiteral("QPlainTextEdit { background: transparent; color: rgba(%1, %2, %3, %4); }")
                .arg(textColor.red())
                .arg(textColor.green())
                .arg(textColor.blue())
                .arg(textColor.alphaF(), 0, 'f', 3)
            + QString::fromLatin1(kScrollBarStyle));
        scroll->viewport()->setAutoFillBackground(false);
        scroll->setMinimumHeight(80);
        scroll->setMaximumHeight(144);
        wellLayout->addWidget(scroll);
        column->addWidget(well, 1);
    }

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    auto* copy = new QuorStyledButton(card.copyTitle, QStringLiteral("doc.on.doc"), QuorPrimaryButtonStyle{}, m_resultCard);
    copy->setObjectName(QStringLiteral("copyButton"));
    connect(copy, &QAbstractButton::clicked, this, [this, result] {
        if (m_callbacks.onCopyResult) {
            m_callbacks.onCopyResult(result);
        }
    });
    buttons->addWidget(copy);
    if (card.showsReplace) {
        auto* replace = new QuorStyledButton(card.replaceTitle, QStringLiteral("arrow.triangle.2.circlepath"),
                                             QuorGlassButtonStyle{true}, m_resultCard);
        replace->setObjectName(QStringLiteral("replaceButton"));
        const QString output = result.outputText;
        connect(replace, &QAbstractButton::clicked, this, [this, output] {
            if (m_callbacks.onReplaceSelection) {
                m_callbacks.onReplaceSelection(output);
            }
        });
        buttons->addWidget(replace);
    }
    if (card.showsSpeak) {
        auto* speak = new QuorStyledButton(card.speakTitle, card.speakSymbol, QuorGlassButtonStyle{card.speakIsActive},
                                           m_resultCard);
        speak->setObjectName(QStringLiteral("speakButton"));
        connect(speak, &QAbstractButton::clicked, this, [this, result] {
            if (m_callbacks.onSpeakResult) {
                m_callbacks.onSpeakResult(result);
            }
        });
        buttons->addWidget(speak);
    }
    buttons->addStretch(1);
    auto* close = new CloseKeyButton(card.closeTitle, m_resultCard);
    connect(close, &QAbstractButton::clicked, this, [this] { call(m_callbacks.onDismiss); });
    buttons->addWidget(close);
    column->addLayout(buttons);

    auto* layout = static_cast<QVBoxLayout*>(m_content->layout());
    layout->insertWidget(2, m_resultCard);
}

void ZubFloatingBarContentView::animateCardIn(QWidget* card)
{
    auto* effect = static_cast<PresentEffect*>(card->graphicsEffect());
    if (effect == nullptr) {
        return;
    }
    if (!QuorAnimation::enabled()) {
        effect->setProgress(1.0);
        return;
    }
    effect->setProgress(0.0);
    auto* animation = new QVariantAnimation(card);
    animation->setStartValue(0.0);
    animation->setEndValue(1.0);
    animation->setDuration(240);
    animation->setEasingCurve(QEasingCurve::OutCubic);
    connect(animation, &QVariantAnimation::valueChanged, card,
            [effect](const QVariant& value) { effect->setProgress(value.toDouble()); });
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}
