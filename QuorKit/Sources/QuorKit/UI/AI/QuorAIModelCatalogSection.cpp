#include "QuorKit/UI/AI/QuorAIModelCatalogSection.h"

#include "QuorKit/Design/QuorAccessibleButton.h"
#include "QuorKit/Design/QuorAnimation.h"
#include "QuorKit/Design/QuorBoxLayouts.h"
#include "QuorKit/Design/QuorFlowLayout.h"
#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassButtonStyle.h"
#include "QuorKit/Design/QuorGlassInputField.h"
#include "QuorKit/Design/QuorGlassScrollArea.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorKeyboardReach.h"
#include "QuorKit/Design/QuorLabels.h"
#include "QuorKit/Design/QuorPaintedWidget.h"
#include "QuorKit/Design/QuorPlatePainter.h"
#include "QuorKit/Design/QuorSpinner.h"
#include "QuorKit/Design/QuorSymbolButton.h"
#include "QuorKit/Design/QuorSymbols.h"
#include "QuorKit/UI/AI/QuorAIModelRowButton.h"

#include <QAbstractButton>
#include <QEvent>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {
using P = QuorAIModelCatalogPresentation;

constexpr double kSymbolSpacing = 5;

using QuorBoxLayouts::hbox;
using QuorBoxLayouts::vbox;

void setTextIfChanged(QLabel* label, const QString& text)
{
    if (label->text() != text) {
        label->setText(text);
    }
}

void setPlaceholderColor(QLineEdit* field, const QColor& color)
{
    QPalette palette = field->palette();
    palette.setColor(QPalette::PlaceholderText, color);
    field->setPalette(palette);
}

// The glass button that starts a catalog update: its symbol turns into a small spinning arc while
// an update runs.
class UpdateButton : public QAbstractButton {
public:
    explicit UpdateButton(QWidget* parent)
        : QAbstractButton(parent), m_spin(QuorSpinner::makeTicker(this, m_angle, [this] { update(); }))
    {
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::NoFocus);
    }

    void setState(const QString& title, const QString& symbol, bool showsProgress)
    {
        if (title == text() && symbol == m_symbol && showsProgress == m_showsProgress) {
            return;
        }
        setText(title);
        m_symbol = symbol;
        m_showsProgress = showsProgress;
        if (showsProgress && QuorAnimation::enabled()) {
            m_spin->start();
        } else {
            m_spin->stop();
        }
        updateGeometry();
        update();
    }
    bool showsProgress() const { return m_showsProgress; }

    QSize sizeHint() const override
    {
        const QuorButtonLook look = QuorGlassButtonStyle{false}.look(false);
        const QFontMetricsF metrics(QuorFonts::system(look.fontSize, look.fontWeight));
        const double width = look.fontSize * 1.25 + kSymbolSpacing + metrics.horizontalAdvance(text());
        const double height = std::max(metrics.height(), look.fontSize * 1.25);
        return {static_cast<int>(std::ceil(width + 2 * look.paddingHorizontal)),
                static_cast<int>(std::ceil(height + 2 * look.paddingVertical))};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    bool focusNextPrevChild(bool next) override
    {
        return QuorKeyboardReach::keepsFocusWhileDisabled(this) || QAbstractButton::focusNextPrevChild(next);
    }

    void paintEvent(QPaintEvent* /*event*/) override
    {
        const QuorButtonLook look = QuorGlassButtonStyle{false}.look(isDown());
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setOpacity(look.opacity * (isEnabled() ? 1.0 : 0.45));
        const QRectF bounds(rect());
        QuorPlatePainter::paint(painter, bounds, look.cornerRadius, look.fill, look.border);
        const QFont font = QuorFonts::system(look.fontSize, look.fontWeight);
        const QFontMetricsF metrics(font);
        const double side = look.fontSize * 1.25;
        const double content = side + kSymbolSpacing + metrics.horizontalAdvance(text());
        double x = std::max(look.paddingHorizontal, bounds.center().x() - content / 2);
        const QRectF symbolRect(x, bounds.center().y() - side / 2, side, side);
        if (m_showsProgress) {
            QuorSpinner::paint(painter, symbolRect.adjusted(1, 1, -1, -1), look.foreground, m_angle);
        } else {
            QuorSymbols::paint(painter, symbolRect, m_symbol, look.foreground, look.fontSize);
        }
        x += side + kSymbolSpacing;
        painter.setFont(font);
        painter.setPen(look.foreground);
        painter.drawText(QRectF(x, bounds.top(), bounds.right() - x, bounds.height()), Qt::AlignLeft | Qt::AlignVCenter,
                         text());
    }

private:
    int m_angle = 0;
    QTimer* m_spin;
    QString m_symbol;
    bool m_showsProgress = false;
};

// One category filter as a capsule.
class CategoryChipButton : public QAbstractButton {
public:
    explicit CategoryChipButton(QWidget* parent) : QAbstractButton(parent)
    {
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::NoFocus);
    }

    void setChip(const P::CategoryChip& chip)
    {
        if (chip == m_chip) {
            return;
        }
        m_chip = chip;
        setText(chip.title);
        setCheckable(true);
        setChecked(chip.isSelected);
        // One category at a time: read as a radio button.
        QuorAccessibleButton::setChoice(this, QAccessible::RadioButton, chip.isSelected);
        updateGeometry();
        update();
    }

    QSize sizeHint() const override
    {
        const QFontMetricsF metrics(font());
        return {static_cast<int>(std::ceil(metrics.horizontalAdvance(m_chip.title) + 20)),
                static_cast<int>(std::ceil(metrics.height() + 9))};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    // The look follows the presentation, not the click: choosing is the card's decision.
    void nextCheckState() override {}

    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        QPainterPath capsule;
        capsule.addRoundedRect(bounds, bounds.height() / 2, bounds.height() / 2);
        painter.fillPath(capsule, m_chip.fill);
        if (m_chip.border) {
            painter.setPen(QPen(*m_chip.border, 1));
            painter.drawPath(capsule);
        }
        painter.setFont(font());
        painter.setPen(m_chip.textColor);
        painter.drawText(rect(), Qt::AlignCenter, m_chip.title);
    }

private:
    QFont font() const { return QuorFonts::system(11, m_chip.weight); }

    P::CategoryChip m_chip;
};

// The column of rows inside the scrolling list. The scroll area makes it as tall as the rows are at
// the list's width, but never shorter than its minimum size hint, which would add up every row's
// height at the narrowest a row may be: far more than the rows take, and the list would scroll on
// past its last row into empty space. The column has no least height of its own.
class RowColumn : public QWidget {
public:
    using QWidget::QWidget;
    QSize minimumSizeHint() const override { return {QWidget::minimumSizeHint().width(), 0}; }
};

// The rounded glass plate behind the search field.
QWidget* searchPlate(QWidget* parent)
{
    return new QuorPaintedWidget(
        [](QPainter& painter, const QRectF& bounds) {
            painter.setRenderHint(QPainter::Antialiasing);
            QPainterPath plate;
            plate.addRoundedRect(bounds.adjusted(0.5, 0.5, -0.5, -0.5), 8.5, 8.5);
            painter.fillPath(plate, QuorGlassTokens::surface2());
            painter.setPen(QPen(QuorGlassTokens::borderSubtle(), 1));
            painter.drawPath(plate);
        },
        parent);
}
} // namespace

QuorAIModelCatalogSection::QuorAIModelCatalogSection(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("modelCatalogSection"));
    QVBoxLayout* layout = vbox(this, 12);
    layout->addWidget(buildHeader());
    layout->addWidget(buildSearch());

    auto* chips = new QWidget(this);
    chips->setObjectName(QStringLiteral("categoryChips"));
    auto* flow = new QuorFlowLayout(6, 6, chips);
    for (const QuorAIModelFilterCategory category : QuorAIModelFilterCategories::allCases()) {
        auto* chip = new CategoryChipButton(chips);
        chip->setObjectName(QStringLiteral("category:") + QuorAIModelFilterCategories::rawValue(category));
        connect(chip, &QAbstractButton::clicked, this, [this, category] { emit categoryChosen(category); });
        flow->addWidget(chip);
        m_categoryChips.append(chip);
    }
    layout->addWidget(chips);

    layout->addWidget(buildList());
    layout->addWidget(QuorPaintedWidget::hairline(QuorGlassTokens::borderSubtle(), this));
    layout->addWidget(buildOverride());
}

QWidget* QuorAIModelCatalogSection::buildHeader()
{
    auto* header = new QWidget(this);
    QHBoxLayout* row = hbox(nullptr, 8);
    header->setLayout(row);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    QWidget* title = QuorLabels::withSymbol(QStringLiteral("square.stack.3d.up.fill"), QString(),
                                            QuorFonts::system(13.5, QFont::Bold), QuorGlassTokens::textPrimary(),
                                            QuorGlassTokens::textPrimary(), header);
    m_title = title->findChild<QLabel*>(QStringLiteral("text"));
    titles->addWidget(title);
    m_countLine = QuorLabels::make(QString(), QuorFonts::system(10.5), QuorGlassTokens::textMuted(), header);
    m_countLine->setObjectName(QStringLiteral("catalogCountLine"));
    titles->addWidget(m_countLine);
    row->addLayout(titles, 1);
    auto* update = new UpdateButton(header);
    update->setObjectName(QStringLiteral("updateCatalog"));
    connect(update, &QAbstractButton::clicked, this, &QuorAIModelCatalogSection::updateRequested);
    m_updateButton = update;
    row->addWidget(update, 0, Qt::AlignVCenter);
    return header;
}

QWidget* QuorAIModelCatalogSection::buildSearch()
{
    auto* plate = searchPlate(this);
    plate->setObjectName(QStringLiteral("modelSearch"));
    QHBoxLayout* row = hbox(nullptr, 6, QMargins(10, 7, 10, 7));
    plate->setLayout(row);
    auto* symbol = new QLabel(plate);
    symbol->setPixmap(QuorSymbols::pixmap(QStringLiteral("magnifyingglass"), 12, QuorGlassTokens::textMuted()));
    row->addWidget(symbol);
    m_searchField = new QLineEdit(plate);
    m_searchField->setObjectName(QStringLiteral("modelSearchField"));
    m_searchField->setFrame(false);
    m_searchField->setFont(QuorFonts::system(12));
    m_searchField->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; padding: 0; }"));
    QPalette palette = m_searchField->palette();
    palette.setColor(QPalette::Text, QuorGlassTokens::textPrimary());
    m_searchField->setPalette(palette);
    setPlaceholderColor(m_searchField, QuorGlassTokens::textMuted());
    connect(m_searchField, &QLineEdit::textEdited, this, &QuorAIModelCatalogSection::searchEdited);
    row->addWidget(m_searchField, 1);
    m_clearSearch = new QuorSymbolButton(QStringLiteral("xmark.circle.fill"), 12, QuorGlassTokens::textMuted(), 1.0, plate);
    m_clearSearch->setObjectName(QStringLiteral("clearModelSearch"));
    connect(m_clearSearch, &QAbstractButton::clicked, this, [this] { emit searchEdited(QString()); });
    row->addWidget(m_clearSearch);
    return plate;
}

QWidget* QuorAIModelCatalogSection::buildList()
{
    auto* box = new QWidget(this);
    QVBoxLayout* layout = vbox(box, 0);
    m_listContent = new RowColumn;
    m_listContent->setObjectName(QStringLiteral("modelListContent"));
    m_listLayout = vbox(m_listContent, 6, QMargins(0, 2, 0, 2));
    m_listLayout->addStretch(1);
    m_listArea = quorGlassScrollArea(m_listContent, Qt::Vertical, true, box);
    m_listArea->setObjectName(QStringLiteral("modelList"));
    m_listArea->setFixedHeight(listMinimumHeight);
    m_listArea->installEventFilter(this);
    layout->addWidget(m_listArea);
    m_emptyText = QuorLabels::make(QString(), QuorFonts::system(11.5), QuorGlassTokens::textMuted(), box);
    m_emptyText->setObjectName(QStringLiteral("noModelsText"));
    m_emptyText->setContentsMargins(0, 12, 0, 12);
    m_emptyText->setWordWrap(true);
    layout->addWidget(m_emptyText);
    return box;
}

QLineEdit* QuorAIModelCatalogSection::overrideRow(QVBoxLayout* layout, QLabel*& label, const QString& name)
{
    QHBoxLayout* row = hbox(nullptr, 10);
    label = QuorLabels::make(QString(), QuorFonts::system(11.5, QFont::Medium), QuorGlassTokens::textSecondary(), this);
    label->setFixedWidth(labelColumnWidth);
    row->addWidget(label);
    auto* field = new QLineEdit(this);
    field->setObjectName(name);
    quorGlassInputField(field, 8, 9, 6);
    field->setFont(QuorFonts::monospaced(12));
    setPlaceholderColor(field, QuorGlassTokens::textMuted());
    row->addWidget(field, 1);
    layout->addLayout(row);
    return field;
}

QWidget* QuorAIModelCatalogSection::buildOverride()
{
    auto* box = new QWidget(this);
    box->setObjectName(QStringLiteral("manualOverride"));
    QVBoxLayout* layout = vbox(box, 8);
    m_overrideHeading =
        QuorLabels::make(QString(), QuorFonts::system(11, QFont::DemiBold), QuorGlassTokens::textSecondary(), box);
    layout->addWidget(m_overrideHeading);
    m_endpointField = overrideRow(layout, m_endpointLabel, QStringLiteral("endpointField"));
    m_modelField = overrideRow(layout, m_modelLabel, QStringLiteral("modelField"));
    // Written as typed, keystroke by keystroke; a text set from the configuration is not an edit.
    connect(m_endpointField, &QLineEdit::textEdited, this, &QuorAIModelCatalogSection::endpointEdited);
    connect(m_modelField, &QLineEdit::textEdited, this, &QuorAIModelCatalogSection::modelEdited);
    return box;
}

void QuorAIModelCatalogSection::apply(const QuorAIModelCatalogPresentation& p)
{
    setTextIfChanged(m_title, p.title);
    setTextIfChanged(m_countLine, p.countLine);
    auto* update = static_cast<UpdateButton*>(m_updateButton);
    update->setState(p.updateTitle, p.updateSymbol, p.showsUpdateProgress);
    update->setEnabled(p.updateEnabled);

    if (m_searchField->text() != p.searchText) {
        m_searchField->setText(p.searchText);
    }
    m_searchField->setPlaceholderText(p.searchPlaceholder);
    m_searchField->setAccessibleName(p.searchPlaceholder);
    m_clearSearch->setToolTip(p.clearSearchTitle);
    m_clearSearch->setVisible(p.showsClearSearch);
    for (qsizetype i = 0; i < m_categoryChips.size() && i < p.categories.size(); ++i) {
        static_cast<CategoryChipButton*>(m_categoryChips[i])->setChip(p.categories[i]);
    }

    applyRows(p.rows);
    m_listArea->setVisible(!p.showsEmptyText);
    m_emptyText->setVisible(p.showsEmptyText);
    setTextIfChanged(m_emptyText, p.emptyText);

    setTextIfChanged(m_overrideHeading, p.overrideHeading);
    setTextIfChanged(m_endpointLabel, p.endpointLabel);
    setTextIfChanged(m_modelLabel, p.modelLabel);
    // One column for both labels, widened to the longer one ("Model Kimliği") so it stays on one line.
    const int column = std::max({labelColumnWidth, m_endpointLabel->sizeHint().width(), m_modelLabel->sizeHint().width()});
    m_endpointLabel->setFixedWidth(column);
    m_modelLabel->setFixedWidth(column);
    if (m_endpointField->text() != p.endpointText) {
        m_endpointField->setText(p.endpointText);
    }
    m_endpointField->setPlaceholderText(p.endpointPlaceholder);
    m_endpointField->setAccessibleName(p.endpointLabel);
    if (m_modelField->text() != p.modelText) {
        m_modelField->setText(p.modelText);
    }
    m_modelField->setPlaceholderText(p.modelPlaceholder);
    m_modelField->setAccessibleName(p.modelLabel);
}

void QuorAIModelCatalogSection::applyRows(const QList<QuorAIModelCatalogPresentation::Row>& rows)
{
    // Row widgets are reused in place; only rows whose content changed repaint.
    while (m_rowButtons.size() < rows.size()) {
        auto* button = new QuorAIModelRowButton(m_listContent);
        connect(button, &QAbstractButton::clicked, this, [this, button] { emit rowChosen(button->row().item); });
        m_listLayout->insertWidget(static_cast<int>(m_rowButtons.size()), button);
        // Shown now, not once the layout gets round to it: a row not yet shown takes no room, and
        // the list's height is measured below.
        button->show();
        m_rowButtons.append(button);
    }
    while (m_rowButtons.size() > rows.size()) {
        QuorAIModelRowButton* button = m_rowButtons.takeLast();
        m_listLayout->removeWidget(button);
        button->hide();
        // Later: the click that led here may still be on this button's stack.
        button->deleteLater();
    }
    for (qsizetype i = 0; i < rows.size(); ++i) {
        m_rowButtons[i]->setRow(rows[i]);
    }
    fitListHeight();
}

void QuorAIModelCatalogSection::fitListHeight()
{
    const int width = std::max(m_listArea->viewport()->width(), 1);
    const int content = m_listLayout->totalHeightForWidth(width);
    const int height = std::clamp(content, listMinimumHeight, listMaximumHeight);
    if (m_listArea->height() != height || m_listArea->minimumHeight() != height) {
        m_listArea->setFixedHeight(height);
    }
}

bool QuorAIModelCatalogSection::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_listArea && event->type() == QEvent::Resize) {
        fitListHeight();
    }
    return QWidget::eventFilter(watched, event);
}
