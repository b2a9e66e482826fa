#include "QuorKit/UI/Feedback/QuorVersionAndLogsView.h"

#include "QuorKit/Design/QuorAccessibleButton.h"
#include "QuorKit/Design/QuorBoxLayouts.h"
#include "QuorKit/Design/QuorCaptionGlassButton.h"
#include "QuorKit/Design/QuorFlowLayout.h"
#include "QuorKit/UI/Feedback/QuorFeedbackButton.h"
#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassCard.h"
#include "QuorKit/Design/QuorGlassScrollArea.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorKeyboardReach.h"
#include "QuorKit/Design/QuorGroundBackground.h"
#include "QuorKit/Design/QuorHeadingRowLayout.h"
#include "QuorKit/Design/QuorLabels.h"
#include "QuorKit/Design/QuorStyledButton.h"
#include "QuorKit/Design/QuorSymbolButton.h"
#include "QuorKit/Design/QuorSymbols.h"
#include "QuorKit/UI/Feedback/QuorVersionBadge.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/Utilities/QuorBundle.h"
#include "QuorKit/Utilities/QuorAppLogger.h"
#include "QuorKit/System/QuorReleaseLogReader.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QScrollArea>
#include <QShortcut>
#include <QVBoxLayout>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <QCoro/QCoroFuture>

#include <algorithm>
#include <cmath>

namespace {

QFont headline()
{
    return QuorFonts::system(13, QFont::Bold);
}
QFont caption(QFont::Weight weight = QFont::Normal)
{
    return QuorFonts::system(10, weight);
}
QFont caption2()
{
    return QuorFonts::system(9.5);
}
QFont caption2Mono(QFont::Weight weight = QFont::Normal)
{
    return QuorFonts::monospaced(9.5, weight);
}

QColor withAlpha(QColor color, double alpha)
{
    color.setAlphaF(static_cast<float>(color.alphaF() * alpha));
    return color;
}

// A widget that fills a rounded rectangle behind its layout.
class Plate : public QWidget {
public:
    Plate(QColor fill, double radius, QWidget* parent = nullptr) : QWidget(parent), m_fill(fill), m_radius(radius)
    {
        setAttribute(Qt::WA_TranslucentBackground);
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), m_radius, m_radius);
        painter.fillPath(path, m_fill);
    }

private:
    QColor m_fill;
    double m_radius;
};

constexpr double kSegmentFontSize = 11;
constexpr int kSegmentPaddingH = 8;
constexpr int kSegmentPaddingV = 4;
constexpr int kTrackInset = 2;
constexpr int kLevelPickerWidth = 230;

// One segment of the level filter: its title, lit while chosen. Tab reaches it, Space chooses it,
// the arrow keys choose its neighbours, and a screen reader hears a radio button that says whether
// it is the chosen one.
class LevelSegment : public QAbstractButton {
public:
    LevelSegment(const QString& title, std::function<void(int)> onArrow, QWidget* parent)
        : QAbstractButton(parent), m_onArrow(std::move(onArrow))
    {
        setText(title);
        setCursor(Qt::PointingHandCursor);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        QuorKeyboardReach::enable(this, Qt::TabFocus);
    }

    void setChosen(bool chosen)
    {
        QuorAccessibleButton::setChoice(this, QAccessible::RadioButton, chosen);
        if (chosen != m_chosen) {
            m_chosen = chosen;
            update();
        }
    }
    bool isChosen() const { return m_chosen; }

    // As tall as its title needs, and at least as wide: what the program gives each segment.
    QSize sizeHint() const override
    {
        const QFontMetricsF metrics(QuorFonts::system(kSegmentFontSize, QFont::Medium));
        return {static_cast<int>(std::ceil(metrics.horizontalAdvance(text()))) + 2 * kSegmentPaddingH,
                static_cast<int>(std::ceil(metrics.height())) + 2 * kSegmentPaddingV};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            m_onArrow(-1);
            return;
        case Qt::Key_Right:
        case Qt::Key_Down:
            m_onArrow(1);
            return;
        default:
            QAbstractButton::keyPressEvent(event);
        }
    }

    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF bounds(rect());
        if (m_chosen) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor::fromRgbF(1, 1, 1, 0.22f));
            painter.drawRoundedRect(bounds, 5, 5);
        }
        painter.setFont(QuorFonts::system(kSegmentFontSize, QFont::Medium));
        painter.setPen(m_chosen ? QuorGlassTokens::textPrimary() : QuorGlassTokens::textSecondary());
        painter.drawText(bounds, Qt::AlignCenter, text());
        if (QuorKeyboardReach::showsFocusRing(this)) {
            QuorKeyboardReach::paintFocusRing(painter, bounds, 5);
        }
    }

private:
    std::function<void(int)> m_onArrow;
    bool m_chosen = false;
};

// The level filter: four segments in a rounded track, the chosen one lit. It keeps its width and
// takes the height its segments need, whatever room the toolbar has and however long the titles.
class LevelSegments : public QWidget {
public:
    LevelSegments(const QList<QuorVersionAndLogsView::LevelSegment>& segments, std::function<void(QuorLogLevel)> onPick,
                  QWidget* parent)
        : QWidget(parent), m_onPick(std::move(onPick))
    {
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        const QMargins inset(kTrackInset, kTrackInset, kTrackInset, kTrackInset);
        QHBoxLayout* layout = QuorBoxLayouts::hbox(this, 0, inset);
        for (const QuorVersionAndLogsView::LevelSegment& segment : segments) {
            const QuorLogLevel level = segment.level;
            auto* button = new LevelSegment(
                segment.title, [this, level](int step) { pickNeighbour(level, step); }, this);
            button->setObjectName(QStringLiteral("level:") + segment.title);
            connect(button, &QAbstractButton::clicked, this, [this, level] { m_onPick(level); });
            layout->addWidget(button, 1);
            m_buttons.append({level, button});
        }
        int width = 2 * kTrackInset;
        for (const auto& [level, button] : std::as_const(m_buttons)) {
            width += button->sizeHint().width();
        }
        setFixedSize(std::max(kLevelPickerWidth, width), layout->sizeHint().height());
    }

    void setSelected(QuorLogLevel level)
    {
        for (const auto& [segmentLevel, button] : std::as_const(m_buttons)) {
            button->setChosen(segmentLevel == level);
        }
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QuorGlassTokens::borderSubtle(), 1));
        painter.setBrush(QuorGlassTokens::surface2());
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 7, 7);
    }

private:
    // An arrow key chooses the segment beside `from` (wrapping round) and takes the focus there.
    void pickNeighbour(QuorLogLevel from, int step)
    {
        const auto count = static_cast<int>(m_buttons.size());
        for (int i = 0; i < count; ++i) {
            if (m_buttons[i].first == from) {
                const auto& [level, button] = m_buttons[(i + step + count) % count];
                m_onPick(level);
                button->setFocus(Qt::TabFocusReason);
                return;
            }
        }
    }

    std::function<void(QuorLogLevel)> m_onPick;
    QList<std::pair<QuorLogLevel, LevelSegment*>> m_buttons;
};

// One after the other, so a read asked for after a clear never sees the lines it removed.
QThreadPool* logReaders()
{
    static QThreadPool pool;
    pool.setMaxThreadCount(1);
    return &pool;
}

void clearLayout(QLayout* layout)
{
    while (QLayoutItem* item = layout->takeAt(0)) {
        if (QWidget* widget = item->widget()) {
            delete widget;
        }
        delete item;
    }
}

QWidget* column(int spacing, QWidget* parent = nullptr)
{
    auto* box = new QWidget(parent);
    box->setAttribute(Qt::WA_TranslucentBackground);
    QuorBoxLayouts::vbox(box, spacing);
    return box;
}

QHBoxLayout* row(int spacing)
{
    return QuorBoxLayouts::hbox(nullptr, spacing);
}

} // namespace

QuorVersionAndLogsView::QuorVersionAndLogsView(const QString& appName, const QuorAppVersion& version,
                                               std::shared_ptr<QuorAppLogger> logger, QuorProductPalette palette,
                                               QuorLanguage language, const QList<QuorReleaseLogRecord>& fallbackReleases,
                                               std::function<void()> onClose, QWidget* parent)
    : QWidget(parent), m_appName(appName), m_version(version), m_logger(std::move(logger)), m_palette(palette),
      m_language(language), m_fallbackReleases(fallbackReleases), m_onClose(std::move(onClose)),
      m_bundle(std::make_unique<QuorBundle>(QuorBundle::main()))
{
    auto* content = column(16);
    auto* contentLayout = static_cast<QVBoxLayout*>(content->layout());
    contentLayout->setContentsMargins(18, 18, 18, 18);
    if (m_onClose) {
        contentLayout->addWidget(buildHeader());
        auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
        escape->setContext(Qt::WidgetWithChildrenShortcut);
        connect(escape, &QShortcut::activated, this, &QuorVersionAndLogsView::close);
    }
    contentLayout->addWidget(buildVersionCard());
    contentLayout->addWidget(buildReleaseCard());
    contentLayout->addWidget(buildLogsCard());
    contentLayout->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(quorGlassScrollArea(content, Qt::Vertical, true, this));
    renderReleases();
    renderEntries();
}

QuorVersionAndLogsView::~QuorVersionAndLogsView() = default;

QuorVersionAndLogsView::Texts QuorVersionAndLogsView::texts(const QString& appName, QuorLanguage language, bool copied)
{
    const auto t = [language](const char* en, const char* tr) {
        return quorText(QString::fromUtf8(en), QString::fromUtf8(tr), {}, language);
    };
    return {
        appName + QStringLiteral(" · ") + t("Version & Logs", "Sürüm & Loglar"),
        t("Version & Release Info", "Sürüm Bilgileri"),
        t("Application version details, full release changelog from initial release to latest, and runtime logs.",
          "Uygulama sürüm bilgileri, ilk sürümden son sürüme kadar tüm değişiklik geçmişi ve çalışma logları."),
        t("Version", "Sürüm"),
        QStringLiteral("Build"),
        t("Release History (CHANGELOG)", "Sürüm Geçmişi (Değişiklik Logu)"),
        t("No release log records found for this build.", "Bu derleme için sürüm geçmişi kaydı bulunamadı."),
        t("Rotating Runtime Logs", "Uygulama Çalışma Logları"),
        t("Refresh logs", "Logları yenile"),
        copied ? t("Copied", "Kopyalandı") : t("Copy", "Kopyala"),
        t("Folder", "Klasör"),
        t("Clear", "Temizle"),
        t("No runtime log entries match the filter yet.", "Filtreye uyan çalışma logu henüz yok."),
    };
}

QList<QuorVersionAndLogsView::LevelSegment> QuorVersionAndLogsView::levelSegments(QuorLanguage language)
{
    return {
        {quorText(QStringLiteral("All"), QStringLiteral("Tümü"), {}, language), QuorLogLevel::debug},
        {QStringLiteral("INFO+"), QuorLogLevel::info},
        {QStringLiteral("WARN+"), QuorLogLevel::warn},
        {QStringLiteral("ERROR"), QuorLogLevel::error},
    };
}

QString QuorVersionAndLogsView::timeColumn(const QString& timestamp)
{
    const qsizetype t = timestamp.indexOf(QLatin1Char('T'));
    return t >= 0 ? timestamp.mid(t + 1, 8) : timestamp.left(8);
}

QColor QuorVersionAndLogsView::levelColor(QuorLogLevel level)
{
    switch (level) {
    case QuorLogLevel::debug: return QuorGlassTokens::textMuted();
    case QuorLogLevel::info: return QuorGlassTokens::success();
    case QuorLogLevel::warn: return QuorGlassTokens::warning();
    case QuorLogLevel::error: return QuorGlassTokens::danger();
    }
    return QuorGlassTokens::textMuted();
}

QString QuorVersionAndLogsView::releaseMetaLine(const QuorReleaseLogRecord& record)
{
    return QStringLiteral("Build ") + QString::number(record.toBuild) + QStringLiteral(" · ") + record.bumpKind +
           QLatin1Char('/') + record.section;
}

QuorBrandMarkStyle QuorVersionAndLogsView::emblemStyle(const QString& appName)
{
    return QuorBrandMarkStyle::forAppName(appName);
}

void QuorVersionAndLogsView::setReleaseBundle(const QuorBundle& bundle)
{
    m_bundle = std::make_unique<QuorBundle>(bundle);
}

void QuorVersionAndLogsView::reloadAll()
{
    QList<QuorReleaseLogRecord> records = QuorReleaseLogReader::loadBundled(m_appName, *m_bundle);
    if (records.isEmpty()) {
        records = m_fallbackReleases;
    }
    m_releases = records;
    renderReleases();
    reloadLogs();
}

void QuorVersionAndLogsView::reloadLogs()
{
    loadLogs(false);
}

void QuorVersionAndLogsView::loadLogs(bool clearFirst)
{
    const quint64 generation = ++m_logGeneration;
    if (!m_logger) {
        m_entries.clear();
        m_copyEntries.clear();
        renderEntries();
        return;
    }
    m_loadingLogs = true;
    runLoad(QPointer<QuorVersionAndLogsView>(this), m_logger, m_selectedMinLevel, clearFirst, generation);
}

QCoro::Task<> QuorVersionAndLogsView::runLoad(QPointer<QuorVersionAndLogsView> self,
                                              std::shared_ptr<QuorAppLogger> logger, QuorLogLevel level,
                                              bool clearFirst, quint64 generation)
{
    // Held in a variable: temporaries inside a co_await expression are not safe with this compiler.
    QFuture<QList<QuorLogEntry>> reading = QtConcurrent::run(logReaders(), [logger, level, clearFirst] {
        if (clearFirst) {
            logger->clear();
        }
        return logger->recentEntries(copyLimit, level);
    });
    QList<QuorLogEntry> entries = co_await reading;
    if (!self || generation != self->m_logGeneration) {
        co_return;
    }
    self->m_loadingLogs = false;
    self->m_copyEntries = std::move(entries);
    self->m_entries = self->m_copyEntries.first(std::min<qsizetype>(listLimit, self->m_copyEntries.size()));
    self->renderEntries();
}

void QuorVersionAndLogsView::setSelectedMinLevel(QuorLogLevel level)
{
    m_selectedMinLevel = level;
    renderToolbar();
    reloadLogs();
}

void QuorVersionAndLogsView::copyLogs()
{
    const QString text = QuorAppLogger::plainText(m_copyEntries);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
    m_copiedToast = true;
    renderToolbar();
}

void QuorVersionAndLogsView::revealLogFolder()
{
    if (m_logger) {
        m_logger->revealInFinder();
    }
}

void QuorVersionAndLogsView::clearLogs()
{
    loadLogs(true);
}

void QuorVersionAndLogsView::close()
{
    if (m_onClose) {
        m_onClose();
    }
}

void QuorVersionAndLogsView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous()) {
        reloadAll();
    }
}

void QuorVersionAndLogsView::paintEvent(QPaintEvent* /*event*/)
{
    if (m_onClose) {
        QPainter painter(this);
        QuorGroundBackground::paint(painter, QRectF(rect()), m_palette);
    }
}

QWidget* QuorVersionAndLogsView::buildHeader()
{
    auto* header = new QWidget(this);
    auto* layout = row(10);
    header->setLayout(layout);
    layout->addWidget(new QuorBrandMark(24, emblemStyle(m_appName), header));
    layout->addWidget(QuorLabels::make(texts(m_appName, m_language, false).title, QuorFonts::system(16, QFont::Bold),
                                       Qt::white, header));
    layout->addStretch(1);
    auto* closeButton = new QuorSymbolButton(QStringLiteral("xmark.circle.fill"), 18, QuorGlassTokens::textSecondary(), 0.7, header);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    closeButton->setToolTip(quorText(QStringLiteral("Close"), QStringLiteral("Kapat"), {}, m_language));
    connect(closeButton, &QAbstractButton::clicked, this, &QuorVersionAndLogsView::close);
    layout->addWidget(closeButton);
    return header;
}

QWidget* QuorVersionAndLogsView::buildVersionCard()
{
    const Texts t = texts(m_appName, m_language, false);
    const QColor accent = QuorProductPalettes::accentColor(m_palette);
    auto* box = column(10);
    auto* layout = static_cast<QVBoxLayout*>(box->layout());

    auto* top = row(10);
    top->addWidget(QuorLabels::withSymbol(QStringLiteral("tag.fill"), t.versionHeading, headline(), accent, accent, box));
    top->addStretch(1);
    top->addWidget(new QuorVersionBadge(m_version, true, box));
    layout->addLayout(top);

    QLabel* captionLabel = QuorLabels::make(t.versionCaption, caption(), QuorGlassTokens::textSecondary(), box);
    captionLabel->setWordWrap(true);
    layout->addWidget(captionLabel);

    const auto chip = [box](const QString& title, const QString& value) {
        auto* plate = new Plate(QuorGlassTokens::surface2(), 6, box);
        auto* chipLayout = row(4);
        chipLayout->setContentsMargins(8, 4, 8, 4);
        plate->setLayout(chipLayout);
        chipLayout->addWidget(QuorLabels::make(title + QLatin1Char(':'), caption2(), QuorGlassTokens::textMuted(), plate));
        chipLayout->addWidget(QuorLabels::make(value, caption2Mono(QFont::Bold), QuorGlassTokens::textPrimary(), plate));
        plate->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        return plate;
    };
    auto* chips = row(12);
    chips->addWidget(chip(t.versionChip, QStringLiteral("v") + m_version.shortVersion));
    chips->addWidget(chip(t.buildChip, QStringLiteral("#") + m_version.buildNumber));
    chips->addStretch(1);
    chips->addWidget(new QuorFeedbackButton(m_appName, m_version, QuorFeedbackKind::feature, m_language,
                                            QuorFeedbackButtonStyle::labeledPill, std::nullopt, box));
    const QString fileName = m_logger ? QFileInfo(m_logger->currentLogFileURL().toLocalFile()).fileName() : QString();
    QLabel* file = QuorLabels::make(fileName, caption2Mono(), QuorGlassTokens::textMuted(), box);
    file->setObjectName(QStringLiteral("logFileName"));
    chips->addWidget(file);
    layout->addLayout(chips);
    return new QuorGlassCard(16, 14, box, this);
}

QWidget* QuorVersionAndLogsView::buildReleaseCard()
{
    const Texts t = texts(m_appName, m_language, false);
    auto* box = column(12);
    auto* layout = static_cast<QVBoxLayout*>(box->layout());
    layout->addWidget(QuorLabels::withSymbol(QStringLiteral("clock.arrow.circlepath"), t.releaseHeading, headline(),
                                             QuorGlassTokens::textPrimary(), QuorGlassTokens::textPrimary(), box));
    auto* rows = column(12, box);
    m_releaseRows = static_cast<QVBoxLayout*>(rows->layout());
    layout->addWidget(rows);
    return new QuorGlassCard(16, 14, box, this);
}

QWidget* QuorVersionAndLogsView::buildLogsCard()
{
    auto* box = column(12);
    auto* layout = static_cast<QVBoxLayout*>(box->layout());
    m_toolbar = new QWidget(box);
    m_toolbar->setObjectName(QStringLiteral("logsToolbar"));
    // The heading keeps its whole text: where the controls leave it too little room, they move
    // below it.
    m_toolbar->setLayout(new QuorHeadingRowLayout(8, 8));
    layout->addWidget(m_toolbar);
    auto* rows = column(4, box);
    m_entryRows = static_cast<QVBoxLayout*>(rows->layout());
    layout->addWidget(rows);
    renderToolbar();
    return new QuorGlassCard(16, 14, box, this);
}

void QuorVersionAndLogsView::renderToolbar()
{
    QWidget* toolbar = m_toolbar;
    if (toolbar == nullptr) {
        return;
    }
    if (m_levelPicker != nullptr) {
        static_cast<LevelSegments*>(m_levelPicker)->setSelected(m_selectedMinLevel);
        m_copyButton->setText(texts(m_appName, m_language, m_copiedToast).copy);
        m_copyButton->updateGeometry();
        return;
    }
    const Texts t = texts(m_appName, m_language, m_copiedToast);
    auto* heading = new QWidget(toolbar);
    auto* headingLayout = row(6);
    heading->setLayout(headingLayout);
    auto* headingSymbol = new QLabel(heading);
    headingSymbol->setPixmap(QuorSymbols::pixmap(QStringLiteral("doc.text.magnifyingglass"), 13, QuorGlassTokens::textPrimary()));
    headingLayout->addWidget(headingSymbol);
    QLabel* headingText = QuorLabels::make(t.logsHeading, headline(), QuorGlassTokens::textPrimary(), heading);
    headingLayout->addWidget(headingText, 1);
    toolbar->layout()->addWidget(heading);
    // The filter and the buttons wrap where the card is too narrow for one line of them: the
    // filter always shows whole.
    auto* controls = new QWidget(toolbar);
    auto* layout = new QuorFlowLayout(8, 8, controls);
    toolbar->layout()->addWidget(controls);

    QPointer<QuorVersionAndLogsView> self(this);
    auto* picker = new LevelSegments(levelSegments(m_language), [self](QuorLogLevel level) {
        if (self) {
            self->setSelectedMinLevel(level);
        }
    }, controls);
    picker->setObjectName(QStringLiteral("levelPicker"));
    picker->setSelected(m_selectedMinLevel);
    m_levelPicker = picker;
    layout->addWidget(picker);

    const auto glass = [controls](const QString& title, const QString& symbol, const char* name) {
        auto* button = new QuorCaptionGlassButton(title, symbol, controls);
        button->setObjectName(QString::fromLatin1(name));
        return button;
    };
    QAbstractButton* refresh = glass(QString(), QStringLiteral("arrow.clockwise"), "refreshButton");
    refresh->setToolTip(t.refreshHelp);
    m_copyButton = glass(t.copy, QStringLiteral("doc.on.doc"), "copyButton");
    QAbstractButton* folder = glass(t.folder, QStringLiteral("folder"), "folderButton");
    QAbstractButton* clear = glass(t.clear, QStringLiteral("trash"), "clearButton");
    connect(refresh, &QAbstractButton::clicked, this, &QuorVersionAndLogsView::reloadLogs);
    connect(m_copyButton, &QAbstractButton::clicked, this, &QuorVersionAndLogsView::copyLogs);
    connect(folder, &QAbstractButton::clicked, this, &QuorVersionAndLogsView::revealLogFolder);
    connect(clear, &QAbstractButton::clicked, this, &QuorVersionAndLogsView::clearLogs);
    for (QWidget* button : {static_cast<QWidget*>(refresh), static_cast<QWidget*>(m_copyButton),
                            static_cast<QWidget*>(folder), static_cast<QWidget*>(clear)}) {
        layout->addWidget(button);
    }
}

void QuorVersionAndLogsView::renderReleases()
{
    if (m_releaseRows == nullptr) {
        return;
    }
    clearLayout(m_releaseRows);
    const QColor accent = QuorProductPalettes::accentColor(m_palette);
    if (m_releases.isEmpty()) {
        QLabel* empty = QuorLabels::make(texts(m_appName, m_language, false).noReleases, caption(),
                                         QuorGlassTokens::textSecondary());
        empty->setObjectName(QStringLiteral("noReleases"));
        m_releaseRows->addWidget(empty);
        return;
    }
    for (const QuorReleaseLogRecord& record : m_releases) {
        auto* plate = new Plate(QuorGlassTokens::surface1(), 10);
        plate->setObjectName(QStringLiteral("release:") + record.id());
        auto* layout = new QVBoxLayout(plate);
        layout->setContentsMargins(10, 10, 10, 10);
        layout->setSpacing(5);
        auto* top = row(8);
        top->addWidget(QuorLabels::make(QStringLiteral("v") + record.toVersion, QuorFonts::monospaced(11, QFont::Bold),
                                        accent, plate));
        top->addWidget(QuorLabels::make(releaseMetaLine(record), caption2Mono(), QuorGlassTokens::textSecondary(), plate));
        top->addStretch(1);
        top->addWidget(QuorLabels::make(record.shortDate(), caption2Mono(), QuorGlassTokens::textMuted(), plate));
        layout->addLayout(top);
        if (const QString summary = record.localizedSummary(m_language); !summary.isEmpty()) {
            QLabel* label = QuorLabels::make(summary, caption(QFont::Medium), QuorGlassTokens::textPrimary(), plate);
            label->setWordWrap(true);
            layout->addWidget(label);
        }
        for (const QString& line : record.localizedDetails(m_language)) {
            QLabel* label = QuorLabels::make(QStringLiteral("• ") + line, caption2(), QuorGlassTokens::textSecondary(), plate);
            label->setWordWrap(true);
            layout->addWidget(label);
        }
        m_releaseRows->addWidget(plate);
    }
}

void QuorVersionAndLogsView::renderEntries()
{
    if (m_entryRows == nullptr) {
        return;
    }
    clearLayout(m_entryRows);
    if (m_entries.isEmpty()) {
        QLabel* empty = QuorLabels::make(texts(m_appName, m_language, false).noEntries, caption(),
                                         QuorGlassTokens::textSecondary());
        empty->setObjectName(QStringLiteral("noEntries"));
        empty->setContentsMargins(0, 8, 0, 8);
        m_entryRows->addWidget(empty);
        return;
    }
    const QColor category = withAlpha(QuorProductPalettes::accentColor(m_palette), 0.9);
    for (const QuorLogEntry& entry : m_entries) {
        auto* plate = new Plate(withAlpha(QuorGlassTokens::surface1(), 0.65), 6);
        plate->setObjectName(QStringLiteral("entry:") + entry.id);
        auto* layout = row(8);
        layout->setContentsMargins(6, 3, 6, 3);
        layout->setAlignment(Qt::AlignTop);
        plate->setLayout(layout);
        const auto fixed = [plate, layout](QLabel* label, int width) {
            label->setFixedWidth(width);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            layout->addWidget(label, 0, Qt::AlignTop);
            return label;
        };
        fixed(QuorLabels::make(timeColumn(entry.timestamp), QuorFonts::monospaced(10), QuorGlassTokens::textMuted(), plate), 66);
        fixed(QuorLabels::make(QuorLogLevels::label(entry.level), QuorFonts::monospaced(9.5, QFont::Bold),
                               levelColor(entry.level), plate), 42);
        fixed(QuorLabels::make(QLatin1Char('[') + entry.category + QLatin1Char(']'), QuorFonts::monospaced(10), category,
                               plate), 82);
        QLabel* message = QuorLabels::make(entry.message, QuorFonts::system(11), QuorGlassTokens::textPrimary(), plate);
        message->setWordWrap(true);
        message->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(message, 1, Qt::AlignTop);
        m_entryRows->addWidget(plate);
    }
}
