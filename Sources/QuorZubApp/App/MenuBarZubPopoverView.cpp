#include "QuorZubApp/App/MenuBarZubPopoverView.h"

#include "QuorKit/Design/Emblems/QuorBrandMark.h"
#include "QuorKit/UI/Feedback/QuorFeedbackButton.h"
#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorGroundBackground.h"
#include "QuorKit/Design/QuorPaintedWidget.h"
#include "QuorKit/Design/QuorStyledButton.h"
#include "QuorKit/Design/QuorSymbols.h"
#include "QuorKit/Design/QuorTextFit.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/Utilities/QuorBundle.h"
#include "QuorKit/Utilities/QuorAppVersion.h"
#include "QuorZubApp/ViewModels/ZubStudioViewModel.h"
#include "QuorZubApp/Views/ZubTextPreview.h"
#include "QuorZubApp/Views/Studio/ZubHistoryPresentation.h"
#include "QuorZubApp/Views/Studio/ZubStudioSwitch.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>
#include <QVBoxLayout>

#include <cmath>

namespace {

QLabel* makeLabel(const QFont& font, const QColor& color, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

// A hairline between the sections.
QWidget* divider(QWidget* parent)
{
    auto* line = new QuorPaintedWidget(
        [](QPainter& painter, const QRectF& bounds) {
            painter.fillRect(bounds, QColor::fromRgbF(1, 1, 1, 0.10f));
            painter.fillRect(bounds, QuorGlassTokens::borderSubtle());
        },
        parent);
    line->setFixedHeight(1);
    return line;
}

// A full-width button in a kit style: symbol and title on the left, a shortcut hint on the right.
// A hint spelled out in full ("Ctrl+Alt+Shift+O") may leave the title too little room on one line;
// it then goes on a line of its own under the title, so neither is cut.
class ShortcutButton : public QuorStyledButton {
public:
    static constexpr double hintGap = 8;
    static constexpr double lineGap = 2;

    ShortcutButton(const QString& symbolName, QuorButtonStyle style, QColor hintColor, QWidget* parent)
        : QuorStyledButton(QString(), symbolName, style, parent), m_hintColor(std::move(hintColor))
    {
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

    void setHint(const QString& hint)
    {
        m_hint = hint;
        updateGeometry();
        update();
    }
    QString hint() const { return m_hint; }

    // Whether title and hint need more than one line at this width.
    bool needsTwoLines(double width) const
    {
        const QuorButtonLook look = currentLook();
        const double needed = look.fontSize * 1.25 + 6 + QFontMetricsF(titleFont(look)).horizontalAdvance(text())
            + hintGap + QFontMetricsF(hintFont()).horizontalAdvance(m_hint);
        return needed > width - 2 * look.paddingHorizontal;
    }
    // Buttons stacked together look alike: when one needs two lines, its neighbours take them too.
    void setTwoLinesAnyway(bool twoLines)
    {
        if (m_twoLinesAnyway != twoLines) {
            m_twoLinesAnyway = twoLines;
            updateGeometry();
            update();
        }
    }
    // Whether the hint takes a line of its own at this width.
    bool hintBelow(double width) const { return m_twoLinesAnyway || needsTwoLines(width); }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override
    {
        const int oneLine = QuorStyledButton::sizeHint().height();
        if (!hintBelow(width)) {
            return oneLine;
        }
        return oneLine + static_cast<int>(std::ceil(lineGap + QFontMetricsF(hintFont()).height()));
    }
    QSize sizeHint() const override
    {
        // As wide as the tray window's content, which is fixed.
        const int width = MenuBarZubPopoverView::fixedWidth - 28;
        return {width, heightForWidth(width)};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        const QuorButtonLook look = currentLook();
        QPainter painter(this);
        const QRectF bounds = paintPlate(painter, look);
        const bool below = hintBelow(bounds.width());

        const QRectF content = bounds.adjusted(look.paddingHorizontal, look.paddingVertical, -look.paddingHorizontal,
                                               -look.paddingVertical);
        const QFontMetricsF hintMetrics(hintFont());
        const double hintWidth = hintMetrics.horizontalAdvance(m_hint);
        // The title's line: the whole content on one line, its upper part when the hint goes below.
        const double titleLine = below ? content.height() - lineGap - hintMetrics.height() : content.height();
        const QRectF titleRow(content.left(), content.top(), content.width(), titleLine);

        const double side = look.fontSize * 1.25;
        QuorSymbols::paint(painter, QRectF(titleRow.left(), titleRow.center().y() - side / 2, side, side), symbolName(),
                           look.foreground, look.fontSize);
        const double titleLeft = titleRow.left() + side + 6;
        painter.setFont(hintFont());
        painter.setPen(m_hintColor);
        if (below) {
            painter.drawText(QRectF(titleLeft, titleRow.bottom() + lineGap, content.right() - titleLeft, hintMetrics.height()),
                             Qt::AlignLeft | Qt::AlignVCenter, m_hint);
        } else {
            painter.drawText(titleRow, Qt::AlignRight | Qt::AlignVCenter, m_hint);
        }
        const QFont font = titleFont(look);
        const double titleWidth = std::max(0.0, titleRow.right() - (below ? 0 : hintWidth + hintGap) - titleLeft);
        painter.setFont(font);
        painter.setPen(look.foreground);
        painter.drawText(QRectF(titleLeft, titleRow.top(), titleWidth, titleRow.height()), Qt::AlignLeft | Qt::AlignVCenter,
                         QuorTextFit::elided(painter, QFontMetricsF(font), text(), Qt::ElideRight, titleWidth));
    }

private:
    static QFont hintFont() { return QuorFonts::monospaced(10.5, QFont::Bold); }
    static QFont titleFont(const QuorButtonLook& look) { return QuorFonts::system(look.fontSize, look.fontWeight); }

    QColor m_hintColor;
    QString m_hint;
    bool m_twoLinesAnyway = false;
};

// Up to two lines of `text` wrapped at `width`, the second one elided when more would follow.
QStringList twoLines(const QString& text, const QFont& font, double width)
{
    QString flat = text;
    flat.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(flat, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    QStringList lines;
    while (lines.size() < 2) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) {
            break;
        }
        line.setLineWidth(width);
        QString piece = flat.mid(line.textStart(), line.textLength());
        if (lines.size() == 1 && line.textStart() + line.textLength() < flat.size()) {
            piece = QFontMetricsF(font).elidedText(flat.mid(line.textStart()).replace(QChar::LineSeparator, QLatin1Char(' ')),
                                                   Qt::ElideRight, width);
        }
        lines.append(piece.replace(QChar::LineSeparator, QLatin1Char(' ')).trimmed());
    }
    layout.endLayout();
    return lines;
}

// One recent result: its title and language on a line, then up to two lines of its output.
class RecentRowButton : public QAbstractButton {
public:
    static constexpr double padding = 8;
    static constexpr double spacing = 2;

    RecentRowButton(MenuBarZubPopoverView::RecentRow row, QColor accent, QWidget* parent)
        : QAbstractButton(parent), m_row(std::move(row)), m_accent(std::move(accent))
    {
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::NoFocus);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        setText(m_row.output);
        setAccessibleName(m_row.accessibleName);
    }

    const MenuBarZubPopoverView::RecentRow& row() const { return m_row; }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override
    {
        const qsizetype lines = std::max<qsizetype>(1, twoLines(m_row.output, outputFont(), width - 2 * padding).size());
        const double height = 2 * padding + QFontMetricsF(titleFont()).height() + spacing
            + lines * QFontMetricsF(outputFont()).lineSpacing();
        return static_cast<int>(std::ceil(height));
    }
    QSize sizeHint() const override
    {
        const int w = MenuBarZubPopoverView::fixedWidth - 28;
        return {w, heightForWidth(w)};
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF bounds = QRectF(rect());
        QPainterPath shape;
        shape.addRoundedRect(bounds, 8, 8);
        painter.fillPath(shape, isDown() ? QuorGlassTokens::surface2() : QuorGlassTokens::surface1());

        const QRectF content = bounds.adjusted(padding, padding, -padding, -padding);
        const QFontMetricsF titleMetrics(titleFont());
        double badgeWidth = 0;
        if (m_row.languageBadge) {
            const QFont badgeFont = QuorFonts::monospaced(9.5, QFont::Bold);
            badgeWidth = QFontMetricsF(badgeFont).horizontalAdvance(*m_row.languageBadge) + 8;
            painter.setFont(badgeFont);
            painter.setPen(QuorGlassTokens::textMuted());
            painter.drawText(QRectF(content.left(), content.top(), content.width(), titleMetrics.height()),
                             Qt::AlignRight | Qt::AlignVCenter, *m_row.languageBadge);
        }
        painter.setFont(titleFont());
        painter.setPen(m_accent);
        const double titleWidth = std::max(0.0, content.width() - badgeWidth);
        painter.drawText(QRectF(content.left(), content.top(), titleWidth, titleMetrics.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, titleMetrics.elidedText(m_row.title, Qt::ElideRight, titleWidth));

        painter.setFont(outputFont());
        painter.setPen(QuorGlassTokens::textPrimary());
        const QFontMetricsF outputMetrics(outputFont());
        double y = content.top() + titleMetrics.height() + spacing;
        for (const QString& line : twoLines(m_row.output, outputFont(), content.width())) {
            painter.drawText(QRectF(content.left(), y, content.width(), outputMetrics.lineSpacing()),
                             Qt::AlignLeft | Qt::AlignVCenter, line);
            y += outputMetrics.lineSpacing();
        }
    }

private:
    static QFont titleFont() { return QuorFonts::system(10.5, QFont::Bold); }
    static QFont outputFont() { return QuorFonts::system(11.5); }

    MenuBarZubPopoverView::RecentRow m_row;
    QColor m_accent;
};

} // namespace

MenuBarZubPopoverView::Model MenuBarZubPopoverView::model(const ZubConfig& config,
                                                          const QList<ZubHistoryRecord>& history,
                                                          QuorLanguage language, bool isOCRCapturing)
{
    const auto text = [language](const char* en, const char* tr) {
        return quorText(QString::fromUtf8(en), QString::fromUtf8(tr), {}, language);
    };
    Model model;
    model.appName = QStringLiteral("QuorZub");
    model.targetLanguageName = ZubTargetLanguages::displayName(config.targetLanguage, language);
    model.autoShowOnSelection = config.autoShowOnSelection;
    model.autoShowTitle = text("Auto-Zub on Selection", "Seçimde Otomatik Zub");
    model.triggerTitle = text("Zub on Selection / Clipboard", "Seçim / Panoda Zub Aç");
    model.triggerShortcut = QStringLiteral("Ctrl+Alt+A");
    model.screenOCRTitle = text("Screen OCR Translate", "Ekran OCR Çeviri");
    model.screenOCRShortcut = QStringLiteral("Ctrl+Alt+Shift+O");
    model.screenOCREnabled = !isOCRCapturing;
    if (!history.isEmpty()) {
        model.recentHeading = text("Recent Results (Click to Copy)", "Son Sonuçlar (Kopyalamak için Tıkla)");
        for (const ZubHistoryRecord& record : history.mid(0, recentLimit)) {
            std::optional<QString> badge;
            if (record.targetLanguageCode) {
                badge = record.targetLanguageCode->toUpper();
            }
            model.recentRows.append({record.id, record.actionTitle, badge,
                                     ZubTextPreview::make(record.outputText, recentOutputLines, recentOutputCharacters),
                                     recentRowName(record.actionTitle, record.outputText, language)});
        }
    }
    model.openStudioTitle = text("Open Studio", "Stüdyoyu Aç");
    model.quitTitle = text("Quit", "Çıkış");
    return model;
}

QString MenuBarZubPopoverView::copiedToast(QuorLanguage language)
{
    return quorText(QStringLiteral("Copied from menu bar."), QStringLiteral("Menü çubuğundan kopyalandı."), {}, language);
}

QString MenuBarZubPopoverView::recentRowName(const QString& title, const QString& output, QuorLanguage language)
{
    // A name is heard whole on every visit, so it keeps only the start of the output, cut as the
    // history's cards cut theirs.
    const QString start = ZubHistoryPresentation::recordName({}, output);
    const QString copies = quorText(QStringLiteral("Copies to the clipboard."), QStringLiteral("Panoya kopyalar."), {}, language);
    const QString head = start.isEmpty() ? title.simplified() : title.simplified() + QStringLiteral(": ") + start;
    // An output that ends a sentence of its own ("…", "?") takes no second full stop.
    const bool ended = !start.isEmpty() && QStringLiteral(".!?\u2026").contains(start.back());
    return head + (ended ? QStringLiteral(" ") : QStringLiteral(". ")) + copies;
}

MenuBarZubPopoverView::MenuBarZubPopoverView(ZubStudioViewModel* viewModel, std::function<void()> onOpenStudio,
                                             QColor accent, QWidget* parent)
    : QWidget(parent), m_viewModel(viewModel), m_onOpenStudio(std::move(onOpenStudio)), m_accent(std::move(accent))
{
    onQuit = [] { QCoreApplication::quit(); };
    // Exactly this wide; as high as the content.
    setFixedWidth(fixedWidth);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_OpaquePaintEvent);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(14, 14, 14, 14);
    column->setSpacing(12);

    // Header: mark, name and target language, the auto-show switch.
    auto* header = new QHBoxLayout();
    header->setSpacing(8);
    header->addWidget(new QuorBrandMark(20, QuorBrandMarkStyle::currentApp(), this), 0, Qt::AlignVCenter);
    auto* titles = new QVBoxLayout();
    titles->setSpacing(1);
    m_nameLabel = makeLabel(QuorFonts::system(13.5, QFont::Bold), QuorGlassTokens::textPrimary(), this);
    m_languageLabel = makeLabel(QuorFonts::system(10.5), QuorGlassTokens::textSecondary(), this);
    titles->addWidget(m_nameLabel);
    titles->addWidget(m_languageLabel);
    header->addLayout(titles);
    header->addStretch(1);
    m_feedback = new QuorFeedbackButton(
        QStringLiteral("QuorZub"), QuorAppVersion::current(QuorBundle::main(), QStringLiteral("1.0.0"), QStringLiteral("100")),
        QuorFeedbackKind::feature, m_viewModel ? m_viewModel->language() : QuorLanguages::current(),
        QuorFeedbackButtonStyle::compactIcon, std::nullopt, this);
    header->addWidget(m_feedback, 0, Qt::AlignVCenter);
    m_switch = new ZubStudioSwitch(m_accent, this);
    header->addWidget(m_switch, 0, Qt::AlignVCenter);
    column->addLayout(header);
    connect(m_switch, &QAbstractButton::clicked, this, [this](bool checked) {
        if (m_viewModel) {
            m_viewModel->setAutoShowOnSelection(checked);
        }
        sync();
    });

    column->addWidget(divider(this));

    auto* triggers = new QVBoxLayout();
    triggers->setSpacing(7);
    m_trigger = new ShortcutButton(QStringLiteral("sparkles.rectangle.stack.fill"), QuorPrimaryButtonStyle{},
                                   QColor::fromRgbF(0, 0, 0, 0.65f), this);
    m_screenOCR = new ShortcutButton(QStringLiteral("viewfinder"), QuorGlassButtonStyle{true}, m_accent, this);
    triggers->addWidget(m_trigger);
    triggers->addWidget(m_screenOCR);
    column->addLayout(triggers);
    connect(m_trigger, &QAbstractButton::clicked, this, [this] {
        act([this] {
            if (m_viewModel) {
                m_viewModel->triggerManualZub();
            }
        });
    });
    connect(m_screenOCR, &QAbstractButton::clicked, this, [this] {
        act([this] {
            if (m_viewModel) {
                m_viewModel->triggerScreenOCRTranslate();
            }
        });
    });

    m_recentSection = new QWidget(this);
    auto* recent = new QVBoxLayout(m_recentSection);
    recent->setContentsMargins(0, 0, 0, 0);
    recent->setSpacing(12);
    recent->addWidget(divider(m_recentSection));
    m_recentHeading = makeLabel(QuorFonts::system(10.5, QFont::DemiBold), QuorGlassTokens::textSecondary(), m_recentSection);
    recent->addWidget(m_recentHeading);
    m_recentRows = new QVBoxLayout();
    m_recentRows->setSpacing(6);
    recent->addLayout(m_recentRows);
    column->addWidget(m_recentSection);

    column->addWidget(divider(this));

    auto* footer = new QHBoxLayout();
    m_openStudio = new QuorStyledButton(QString(), QStringLiteral("macwindow"), QuorGlassButtonStyle{false}, this);
    m_quit = new QuorStyledButton(QString(), QStringLiteral("power"), QuorGlassButtonStyle{false}, this);
    footer->addWidget(m_openStudio);
    footer->addStretch(1);
    footer->addWidget(m_quit);
    column->addLayout(footer);
    connect(m_openStudio, &QAbstractButton::clicked, this, [this] {
        act([this] {
            if (m_onOpenStudio) {
                m_onOpenStudio();
            }
        });
    });
    connect(m_quit, &QAbstractButton::clicked, this, [this] {
        if (onQuit) {
            onQuit();
        }
    });

    if (m_viewModel) {
        connect(m_viewModel, &ZubStudioViewModel::changed, this, &MenuBarZubPopoverView::sync);
    }
    sync();
}

QAbstractButton* MenuBarZubPopoverView::feedbackButton() const
{
    return m_feedback;
}

QAbstractButton* MenuBarZubPopoverView::triggerButton() const
{
    return m_trigger;
}

QAbstractButton* MenuBarZubPopoverView::screenOCRButton() const
{
    return m_screenOCR;
}

QAbstractButton* MenuBarZubPopoverView::openStudioButton() const
{
    return m_openStudio;
}

QAbstractButton* MenuBarZubPopoverView::quitButton() const
{
    return m_quit;
}

QList<QAbstractButton*> MenuBarZubPopoverView::recentRowButtons() const
{
    QList<QAbstractButton*> buttons;
    for (int i = 0; i < m_recentRows->count(); ++i) {
        if (auto* button = qobject_cast<QAbstractButton*>(m_recentRows->itemAt(i)->widget())) {
            buttons.append(button);
        }
    }
    return buttons;
}

void MenuBarZubPopoverView::act(const std::function<void()>& action)
{
    if (onWillAct) {
        onWillAct();
    }
    action();
}

void MenuBarZubPopoverView::sync()
{
    if (!m_viewModel) {
        return;
    }
    const Model next = model(m_viewModel->config(), m_viewModel->history(), m_viewModel->language(),
                             m_viewModel->isOCRCapturing());
    if (m_built && next == m_model) {
        return;
    }
    const bool rowsChanged = !m_built || next.recentRows != m_model.recentRows;
    m_model = next;
    m_built = true;

    m_nameLabel->setText(m_model.appName);
    m_feedback->setLanguage(m_viewModel->language());
    m_languageLabel->setText(m_model.targetLanguageName);
    m_switch->setChecked(m_model.autoShowOnSelection);
    m_switch->setToolTip(m_model.autoShowTitle);
    m_trigger->setText(m_model.triggerTitle);
    m_trigger->setToolTip(m_model.triggerTitle);
    static_cast<ShortcutButton*>(m_trigger)->setHint(m_model.triggerShortcut);
    m_screenOCR->setText(m_model.screenOCRTitle);
    m_screenOCR->setToolTip(m_model.screenOCRTitle);
    static_cast<ShortcutButton*>(m_screenOCR)->setHint(m_model.screenOCRShortcut);
    const int buttonWidth = fixedWidth - 28;
    const bool twoLines = static_cast<ShortcutButton*>(m_trigger)->needsTwoLines(buttonWidth)
        || static_cast<ShortcutButton*>(m_screenOCR)->needsTwoLines(buttonWidth);
    static_cast<ShortcutButton*>(m_trigger)->setTwoLinesAnyway(twoLines);
    static_cast<ShortcutButton*>(m_screenOCR)->setTwoLinesAnyway(twoLines);
    m_screenOCR->setEnabled(m_model.screenOCREnabled);
    m_openStudio->setText(m_model.openStudioTitle);
    m_quit->setText(m_model.quitTitle);
    m_recentHeading->setText(m_model.recentHeading);
    m_recentSection->setVisible(!m_model.recentRows.isEmpty());
    if (rowsChanged) {
        rebuildRecent();
    }
    for (QWidget* widget : {static_cast<QWidget*>(m_trigger), static_cast<QWidget*>(m_screenOCR),
                            static_cast<QWidget*>(m_openStudio), static_cast<QWidget*>(m_quit)}) {
        widget->updateGeometry();
        widget->update();
    }
}

void MenuBarZubPopoverView::rebuildRecent()
{
    while (QLayoutItem* item = m_recentRows->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    // Tab meets the rows where they stand, between the triggers and the footer.
    QWidget* previous = m_screenOCR;
    for (const RecentRow& row : std::as_const(m_model.recentRows)) {
        auto* button = new RecentRowButton(row, m_accent, m_recentSection);
        const QUuid id = row.id;
        connect(button, &QAbstractButton::clicked, this, [this, id] { copyRecord(id); });
        m_recentRows->addWidget(button);
        button->show();
        QWidget::setTabOrder(previous, button);
        previous = button;
    }
    QWidget::setTabOrder(previous, m_openStudio);
    QWidget::setTabOrder(m_openStudio, m_quit);
}

void MenuBarZubPopoverView::copyRecord(const QUuid& id)
{
    if (!m_viewModel) {
        return;
    }
    for (const ZubHistoryRecord& record : m_viewModel->history()) {
        if (record.id == id) {
            // The whole output, however much of it the row shows.
            m_viewModel->environment().setClipboardText(record.outputText);
            m_viewModel->showToast(copiedToast(m_viewModel->language()), false);
            return;
        }
    }
}

void MenuBarZubPopoverView::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    QuorGroundBackground::paint(painter, QRectF(rect()), QuorProductPalette::deepCoral);
}
