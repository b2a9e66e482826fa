#include "QuorZubApp/App/ZubStudioWindow.h"

#include "QuorKit/Design/QuorGroundBackground.h"
#include "QuorKit/Design/QuorStyledButton.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorZubApp/ViewModels/ZubStudioViewModel.h"

#include <QAction>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>

namespace {

// The studio's tab row until the studio views take the window over: one button per tab, showing
// which tab is selected.
class StudioTabsView : public QuorGroundBackground {
public:
    StudioTabsView(ZubStudioViewModel* viewModel, QWidget* parent)
        : QuorGroundBackground(QuorProductPalette::deepCoral, parent), m_viewModel(viewModel)
    {
        auto* column = new QVBoxLayout(this);
        column->setContentsMargins(24, 20, 24, 20);
        auto* row = new QHBoxLayout();
        row->setSpacing(8);
        for (const ZubStudioTab tab : ZubStudioTabs::allCases()) {
            auto* button = new QuorStyledButton(QString(), QString(), QuorGlassButtonStyle{false}, this);
            connect(button, &QAbstractButton::clicked, this, [this, tab] {
                if (m_viewModel) {
                    m_viewModel->setSelectedTab(tab);
                }
            });
            m_buttons.append(button);
            row->addWidget(button);
        }
        row->addStretch(1);
        column->addLayout(row);
        column->addStretch(1);
        connect(viewModel, &ZubStudioViewModel::changed, this, [this] { sync(); });
        sync();
    }

private:
    void sync()
    {
        if (!m_viewModel) {
            return;
        }
        const QuorLanguage language = m_viewModel->language();
        const QString actions = QString::number(m_viewModel->config().enabledActions().size());
        const QString history = QString::number(m_viewModel->history().size());
        const QStringList titles{
            quorText(QStringLiteral("Playground"), QStringLiteral("Oyun Alanı"), {}, language),
            quorText(QStringLiteral("Actions (") + actions + QLatin1Char(')'),
                     QStringLiteral("Aksiyonlar (") + actions + QLatin1Char(')'), {}, language),
            quorText(QStringLiteral("History (") + history + QLatin1Char(')'),
                     QStringLiteral("Geçmiş (") + history + QLatin1Char(')'), {}, language),
            quorText(QStringLiteral("Settings"), QStringLiteral("Ayarlar"), {}, language),
        };
        for (qsizetype i = 0; i < m_buttons.size(); ++i) {
            m_buttons[i]->setText(titles[i]);
            m_buttons[i]->setButtonStyle(
                QuorGlassButtonStyle{ZubStudioTabs::allCases()[i] == m_viewModel->selectedTab()});
            m_buttons[i]->updateGeometry();
        }
    }

    QPointer<ZubStudioViewModel> m_viewModel;
    QList<QuorStyledButton*> m_buttons;
};

} // namespace

ZubStudioWindow::Commands ZubStudioWindow::commands(bool autoShowOnSelection, QuorLanguage language)
{
    Commands commands;
    commands.menuTitle = QStringLiteral("QuorZub");
    commands.trigger = quorText(QStringLiteral("Trigger Zub Bar"), QStringLiteral("Zub Çubuğunu Tetikle"), {}, language);
    commands.screenOCR = quorText(QStringLiteral("Screen OCR Translate"), QStringLiteral("Ekran OCR Çeviri"), {}, language);
    commands.autoShow = autoShowOnSelection
        ? quorText(QStringLiteral("Pause Auto-Zub on Selection"), QStringLiteral("Otomatik Zub'u Duraklat"), {}, language)
        : quorText(QStringLiteral("Enable Auto-Zub on Selection"), QStringLiteral("Otomatik Zub'u Etkinleştir"), {},
                   language);
    commands.quit = quorText(QStringLiteral("Quit"), QStringLiteral("Çıkış"), {}, language);
    return commands;
}

ZubStudioWindow::ZubStudioWindow(ZubStudioViewModel* viewModel, QColor accent, QWidget* parent)
    : QMainWindow(parent), m_viewModel(viewModel)
{
    Q_UNUSED(accent)
    setWindowTitle(QStringLiteral("QuorZub — by Tallowmer"));
    setObjectName(QStringLiteral("studio"));
    setMinimumSize(minimumStudioSize);
    resize(defaultStudioSize);

    m_menu = menuBar()->addMenu(QStringLiteral("QuorZub"));
    m_trigger = m_menu->addAction(QString());
    m_trigger->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+A")));
    m_screenOCR = m_menu->addAction(QString());
    m_screenOCR->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+Shift+O")));
    m_menu->addSeparator();
    m_autoShow = m_menu->addAction(QString());
    m_autoShow->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+P")));
    // Where the desktop has no tray, this menu is the way to quit.
    m_menu->addSeparator();
    m_quit = m_menu->addAction(QString());
    m_quit->setShortcut(QKeySequence::Quit);

    connect(m_trigger, &QAction::triggered, this, [this] {
        if (m_viewModel) {
            m_viewModel->triggerManualZub();
        }
    });
    connect(m_screenOCR, &QAction::triggered, this, [this] {
        if (m_viewModel) {
            m_viewModel->triggerScreenOCRTranslate();
        }
    });
    connect(m_autoShow, &QAction::triggered, this, [this] {
        if (m_viewModel) {
            m_viewModel->setAutoShowOnSelection(!m_viewModel->config().autoShowOnSelection);
        }
    });
    connect(m_quit, &QAction::triggered, this, [] { QCoreApplication::quit(); });

    setCentralWidget(new StudioTabsView(viewModel, this));
    if (m_viewModel) {
        connect(m_viewModel, &ZubStudioViewModel::changed, this, &ZubStudioWindow::sync);
    }
    sync();
}

void ZubStudioWindow::sync()
{
    if (!m_viewModel) {
        return;
    }
    const Commands texts = commands(m_viewModel->config().autoShowOnSelection, m_viewModel->language());
    m_menu->setTitle(texts.menuTitle);
    m_trigger->setText(texts.trigger);
    m_screenOCR->setText(texts.screenOCR);
    m_autoShow->setText(texts.autoShow);
    m_quit->setText(texts.quit);
}
