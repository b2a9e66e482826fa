#include "QuorZubApp/App/ZubStudioWindow.h"

#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorZubApp/ViewModels/ZubStudioViewModel.h"
#include "QuorZubApp/Views/Studio/MainZubStudioView.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>

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

ZubStudioWindow::Placement ZubStudioWindow::placement(const QRect& available)
{
    const QSize room = (available.size() - frameAllowance).expandedTo(QSize(1, 1));
    Placement placement;
    placement.minimum = minimumStudioSize.boundedTo(room);
    placement.frame = QRect(QPoint(), defaultStudioSize.boundedTo(room));
    placement.frame.moveCenter(available.center());
    return placement;
}

ZubStudioWindow::ZubStudioWindow(ZubStudioViewModel* viewModel, QColor accent, QWidget* parent)
    : QMainWindow(parent), m_viewModel(viewModel)
{
    setWindowTitle(QStringLiteral("QuorZub — by Tallowmer"));
    setObjectName(QStringLiteral("studio"));
    placeOnScreen();

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

    if (m_viewModel) {
        m_view = new MainZubStudioView(*m_viewModel, accent, this);
        setCentralWidget(m_view);
        connect(m_viewModel, &ZubStudioViewModel::changed, this, &ZubStudioWindow::sync);
    }
    sync();
}

void ZubStudioWindow::closeEvent(QCloseEvent* event)
{
    QMainWindow::closeEvent(event);
    if (!event->isAccepted()) {
        return;
    }
    if (m_view != nullptr) {
        m_view->keepScrollPosition();
    }
    emit closed();
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

void ZubStudioWindow::placeOnScreen()
{
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        setMinimumSize(minimumStudioSize);
        resize(defaultStudioSize);
        return;
    }
    const Placement frame = placement(screen->availableGeometry());
    setMinimumSize(frame.minimum);
    setGeometry(frame.frame);
}
