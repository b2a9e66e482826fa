#include "QuorKit/Design/QuorCapsuleGaugeBar.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorGroundBackground.h"
#include "QuorKit/Design/QuorSymbols.h"
#include "QuorKit/Suite/QuorSuiteCommandBus.h"
#include "QuorKit/UI/Suite/QuorOffloadProgressBanner.h"
#include "QuorKit/UI/Suite/QuorSuiteColors.h"
#include "QuorKit/UI/Suite/QuorSuiteQuickActionsStrip.h"
#include "QuorKit/UI/Suite/QuorVirtualMemoryGaugeCard.h"
#include "QuorKit/UI/Suite/QuorVirtualMemoryHeaderPill.h"
#include "QuorKit/Utilities/QuorPaths.h"
#include "Support/QuorTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

#include <cmath>
#include <memory>

using Chip = QuorSuiteQuickActionsStrip::Chip;
using quor::platform::WindowApplication;

namespace {

constexpr qint64 GB = 1'000'000'000;

// The siblings' desktop entries in the sandbox's applications folder, a fake window for each one
// that runs, and a record of what was activated or started.
struct Siblings {
    QList<QuorSuiteApp> running;
    int activations = 0;
    int starts = 0;

    static QString folder() { return QuorPaths::applicationSupportDirectory() + QStringLiteral("/applications"); }
    static QString entry(QuorSuiteApp app)
    {
        return folder() + QLatin1Char('/') + QuorSuiteApps::bundleIdentifier(app) + QStringLiteral(".desktop");
    }

    Siblings(std::initializer_list<QuorSuiteApp> installed)
    {
        QDir(folder()).removeRecursively();
        QDir().mkpath(folder());
        for (const QuorSuiteApp app : installed) {
            QFile file(entry(app));
            file.open(QIODevice::WriteOnly);
            file.write("[Desktop Entry]\nExec=" + QuorSuiteApps::rawValue(app).toLower().toUtf8() + "\n");
        }
        QuorSuiteWorkspace::setOverride(QuorSuiteWorkspace{
            {folder()},
            [this] {
                QList<WindowApplication> windows;
                for (const QuorSuiteApp app : running) {
                    WindowApplication window;
                    window.className = QuorSuiteApps::rawValue(app);
                    windows.append(window);
                }
                return windows;
            },
            [] { return QList<quor::platform::RunningProcess>{}; },
            [this](const WindowApplication&) { return ++activations > 0; },
            [this](const QString&, const QStringList&) { return ++starts > 0; },
        });
    }
    ~Siblings() { QuorSuiteWorkspace::setOverride(std::nullopt); }
};

QStringList titles(const QList<Chip>& chips)
{
    QStringList list;
    for (const Chip& chip : chips) {
        list.append(chip.title);
    }
    return list;
}

std::optional<QuorSuiteCommandEnvelope> pendingFor(QuorSuiteApp app)
{
    return QuorSuiteCommandBus::shared().consumePendingCommand(app, QDateTime::currentDateTimeUtc(), 25);
}

QAbstractButton* buttonTitled(const QList<QAbstractButton*>& buttons, const QString& title)
{
    for (QAbstractButton* button : buttons) {
        if (button->text() == title) {
            return button;
        }
    }
    return nullptr;
}

QuorVirtualMemorySummary summary(qint64 swapTotal, qint64 swapUsed, qint64 poolVirtual, const QString& pressure)
{
    QuorVirtualMemorySummary s;
    s.physicalTotalBytes = 16 * GB;
    s.physicalUsedBytes = 10 * GB;
    s.swapTotalBytes = swapTotal;
    s.swapUsedBytes = swapUsed;
    s.activeDiskPoolCount = poolVirtual > 0 ? 1 : 0;
    s.diskPoolVirtualBytes = poolVirtual;
    s.diskPoolActualDiskBytes = poolVirtual / 4;
    s.diskPoolNames = poolVirtual > 0 ? QStringList{QStringLiteral("<b>Main</b>")} : QStringList{};
    s.pressureLevel = pressure;
    return s;
}

VaskelOffloadLiveProgress run(bool running, bool completed, qint64 step, double fraction, const QString& pressure)
{
    return {QDateTime::currentDateTimeUtc(), running, completed, step, 4, fraction,
            QStringLiteral("Swap wave"), QStringLiteral("Swap dalgası"), QStringLiteral("Moving idle pages to swap"),
            QString(), 3 * GB, 8 * GB, {}, pressure};
}

// Lays `view` (taken over) on the suite's ground and saves it under build/screenshots.
void saveShot(QWidget* view, const QString& name, int width)
{
    QWidget host;
    auto* ground = new QuorGroundBackground(QuorProductPalette::deepViolet, &host);
    auto* layout = new QVBoxLayout(&host);
    layout->setContentsMargins(16, 16, 16, 16);
    view->setParent(&host);
    layout->addWidget(view);
    host.resize(width, layout->hasHeightForWidth() ? layout->totalHeightForWidth(width) : host.sizeHint().height());
    ground->setGeometry(host.rect());
    ground->lower();
    host.show();
    QCoreApplication::processEvents();
    const QString folder = qEnvironmentVariable("QUOR_BINARY_DIR", QDir::tempPath()) + QStringLiteral("/screenshots");
    QDir().mkpath(folder);
    const QImage image = host.grab().toImage();
    QVERIFY(image.width() >= width && image.height() > 32);
    QVERIFY(image.save(folder + QLatin1Char('/') + name + QStringLiteral(".png")));
}

} // namespace

class TestQuorSuiteViews : public QObject {
    Q_OBJECT
private slots:
    void stripShowsGroupsOfInstalledSiblingsOnly()
    {
        const auto all = [](QuorSuiteApp) { return true; };
        const auto onlyVaskel = [](QuorSuiteApp app) { return app == QuorSuiteApp::vaskel; };
        QVERIFY(QuorSuiteQuickActionsStrip::chips(QuorSuiteApp::vaskel, {}, {}, QuorLanguage::en, false, onlyVaskel).isEmpty());
        for (const Chip& chip : QuorSuiteQuickActionsStrip::chips(QuorSuiteApp::kestrine, {}, {}, QuorLanguage::en, false, all)) {
            QVERIFY(chip.target != QuorSuiteApp::kestrine);
        }

        const auto compact = QuorSuiteQuickActionsStrip::chips(QuorSuiteApp::tolvane, 0, 0, QuorLanguage::en, true, all);
        QCOMPARE(titles(compact), (QStringList{"Smart RAM Offload", "Kill Frozen", "Target Window", "Quick Kill HUD",
                                               "Pulse HUD"}));
        QCOMPARE(QuorSuiteQuickActionsStrip::chips(QuorSuiteApp::tolvane, 3, {}, QuorLanguage::en, true, all).size(), 6);
        QCOMPARE(QuorSuiteQuickActionsStrip::chips(QuorSuiteApp::tolvane, {}, {}, QuorLanguage::en, false, all).size(), 8);
        const auto wide = QuorSuiteQuickActionsStrip::chips(QuorSuiteApp::tolvane, 3, 2, QuorLanguage::tr, false, all);
        QCOMPARE(wide.size(), 9);
        QCOMPARE(wide.at(1).title, QStringLiteral("Donukları Uyandır (3)"));
        QCOMPARE(wide.at(3).title, QStringLiteral("Donmuşları Öldür (2)"));
        QCOMPARE(wide.at(7).title, QStringLiteral("Pulse HUD"));

        // A counted kill chip is emphasized: white on a stronger danger plate.
        const QuorCapsuleLook emphasized = QuorSuiteQuickActionsStrip::chipLook(wide.at(3), false);
        QCOMPARE(emphasized.foreground, QColor(Qt::white));
        QCOMPARE(emphasized.fill, QuorSuiteColors::withOpacity(QuorGlassTokens::danger(), 0.30));
        QCOMPARE(emphasized.border, QuorSuiteColors::withOpacity(QuorGlassTokens::danger(), 0.65));
        const Chip plain = compact.at(1);
        QCOMPARE(plain.title, QStringLiteral("Kill Frozen"));
        QVERIFY(!plain.emphasized);
        QCOMPARE(QuorSuiteQuickActionsStrip::chipLook(plain, true).foreground, QuorGlassTokens::danger());

        for (const Chip& chip : wide) {
            QVERIFY2(QuorSymbols::isKnown(chip.symbolName), qPrintable(chip.symbolName));
            QVERIFY(QFontMetricsF(QuorSymbols::font(10)).inFontUcs4(QuorSymbols::codepoint(chip.symbolName)));
        }
    }

    void stripChipsSendCommandsAndReport()
    {
        Siblings siblings{QuorSuiteApp::vaskel, QuorSuiteApp::drummet};
        siblings.running = {QuorSuiteApp::vaskel};
        QStringList toasts;
        QuorSuiteQuickActionsStrip strip(QuorSuiteApp::tolvane, std::nullopt, std::nullopt, QuorLanguage::en, false,
                                         [&](const QString& text) { toasts.append(text); });
        const QList<QAbstractButton*> buttons = strip.chipButtons();
        QCOMPARE(buttons.size(), 6); // Kestrine is not installed
        QVERIFY(strip.height() > 0);
        for (QAbstractButton* button : buttons) {
            QVERIFY(!button->accessibleName().isEmpty());
            QVERIFY(button->focusPolicy() & Qt::TabFocus);
        }

        buttonTitled(buttons, QStringLiteral("Virtual Disk Lab"))->click();
        QCOMPARE(toasts.last(), QStringLiteral("Opening Vaskel Virtual Disk Lab"));
        QCOMPARE(siblings.activations, 1); // brought forward
        QCOMPARE(pendingFor(QuorSuiteApp::vaskel)->kind, QuorSuiteCommandKind::ramOpenDiskLab);

        siblings.running.clear();
        buttonTitled(buttons, QStringLiteral("Smart RAM Offload"))->click();
        QCOMPARE(toasts.last(), QStringLiteral("Sent Smart RAM Offload to Vaskel"));
        QCOMPARE(siblings.starts, 1);
        const auto offload = pendingFor(QuorSuiteApp::vaskel);
        QCOMPARE(offload->kind, QuorSuiteCommandKind::ramSmartOffload);
        QCOMPARE(offload->sourceApp, QuorSuiteApp::tolvane);

        // Uninstalled after the strip was drawn: nothing is written, and the toast says so.
        QVERIFY(QFile::remove(Siblings::entry(QuorSuiteApp::drummet)));
        buttonTitled(buttons, QStringLiteral("Kill Frozen"))->click();
        QCOMPARE(toasts.last(), QStringLiteral("Drummet is not installed"));
        QVERIFY(!pendingFor(QuorSuiteApp::drummet));
        Chip chip;
        chip.target = QuorSuiteApp::drummet;
        QCOMPARE(QuorSuiteQuickActionsStrip::feedbackText(chip, QuorSuiteCommandBus::Delivery::notInstalled, QuorLanguage::tr),
                 QStringLiteral("Drummet kurulu değil"));
        QCOMPARE(QuorSuiteQuickActionsStrip::feedbackText(chip, QuorSuiteCommandBus::Delivery::notStarted, QuorLanguage::en),
                 QStringLiteral("Drummet could not be started"));

        // Nothing left to drive: the strip takes no room.
        QVERIFY(QFile::remove(Siblings::entry(QuorSuiteApp::vaskel)));
        QuorSuiteQuickActionsStrip empty(QuorSuiteApp::tolvane, std::nullopt, std::nullopt, QuorLanguage::en, true, {});
        QVERIFY(empty.chipButtons().isEmpty());
        QCOMPARE(empty.height(), 0);
    }

    void aHostMayDeleteTheViewFromItsCallback()
    {
        Siblings siblings{QuorSuiteApp::vaskel};
        // Each callback deletes its view, then uses what it captured: that must still be there.
        int calls = 0;
        const auto deleting = [&calls](QPointer<QWidget>* view) {
            return [view, &calls, weight = std::make_shared<int>(1)](const auto&...) {
                delete view->data();
                calls += *weight;
            };
        };
        QPointer<QWidget> strip;
        strip = new QuorSuiteQuickActionsStrip(QuorSuiteApp::tolvane, std::nullopt, std::nullopt, QuorLanguage::en,
                                               true, deleting(&strip));
        static_cast<QuorSuiteQuickActionsStrip*>(strip.data())->chipButtons().first()->click();
        QPointer<QWidget> card;
        card = new QuorVirtualMemoryGaugeCard(summary(0, 0, 0, QStringLiteral("normal")), QuorLanguage::en,
                                              QuorSuiteColors::memoryViolet(), QuorSuiteApp::tolvane, deleting(&card));
        static_cast<QuorVirtualMemoryGaugeCard*>(card.data())->actionButtons().first()->click();
        QPointer<QWidget> pill;
        pill = new QuorVirtualMemoryHeaderPill(summary(0, 0, 0, QStringLiteral("normal")), QuorLanguage::en,
                                               deleting(&pill));
        static_cast<QuorVirtualMemoryHeaderPill*>(pill.data())->click();
        QCOMPARE(calls, 3);
        QVERIFY(strip.isNull() && card.isNull() && pill.isNull());
    }

    void pillColourAndTitleFollowTheSummary()
    {
        using Pill = QuorVirtualMemoryHeaderPill;
        QCOMPARE(Pill::look(summary(0, 0, 5 * GB, QStringLiteral("critical")), QuorLanguage::en).statusColor,
                 QuorGlassTokens::danger());
        const Pill::Look pools = Pill::look(summary(0, 0, 5 * GB, QStringLiteral("warning")), QuorLanguage::en);
        QCOMPARE(pools.statusColor, QuorSuiteColors::memoryViolet());
        QCOMPARE(pools.symbolName, QStringLiteral("externaldrive.badge.timemachine"));
        QCOMPARE(pools.title, QStringLiteral("VM: Pool 5.00 GB"));
        QCOMPARE(Pill::look(summary(0, 0, 0, QStringLiteral("warning")), QuorLanguage::en).statusColor,
                 QuorGlassTokens::warning());
        const Pill::Look swapOnly = Pill::look(summary(2 * GB, GB, 0, QStringLiteral("normal")), QuorLanguage::en);
        QCOMPARE(swapOnly.statusColor, QuorSuiteColors::swapCyan());
        QCOMPARE(swapOnly.symbolName, QStringLiteral("memorychip"));
        QCOMPARE(Pill::look(summary(0, 0, 0, QStringLiteral("normal")), QuorLanguage::en).title, QStringLiteral("VM ON"));
        QCOMPARE(Pill::look(summary(0, 0, 0, QStringLiteral("normal")), QuorLanguage::tr).title,
                 QStringLiteral("Sanal Bellek ON"));

        int taps = 0;
        Pill pill(summary(0, 0, 0, QStringLiteral("normal")), QuorLanguage::en, [&] { ++taps; });
        pill.click();
        QCOMPARE(taps, 1);
        QCOMPARE(pill.accessibleName(), QStringLiteral("VM ON"));
    }

    void cardPresentationFollowsTheSummary()
    {
        using Card = QuorVirtualMemoryGaugeCard;
        const QColor accent = QuorSuiteColors::memoryViolet();
        QCOMPARE(Card::presentation(summary(0, 0, 5 * GB, QStringLiteral("critical")), QuorLanguage::en, accent, true).statusColor,
                 QuorGlassTokens::danger());
        const Card::Presentation swapping =
            Card::presentation(summary(2 * GB, GB, 0, QStringLiteral("warning")), QuorLanguage::tr, accent, true);
        QCOMPARE(swapping.statusColor, QuorSuiteColors::swapCyan());
        QCOMPARE(swapping.stateBadge, QStringLiteral("AÇIK"));
        QCOMPARE(swapping.pills.at(0).label, QStringLiteral("Swap"));
        QCOMPARE(swapping.pills.at(0).detail, QStringLiteral("50% • Plain"));
        QCOMPARE(swapping.effectiveBadge, QStringLiteral("Efektif: 18.00 GB"));

        QuorVirtualMemorySummary idle = summary(0, 0, 0, QStringLiteral("warning"));
        idle.physicalTotalBytes = 0;
        const Card::Presentation standby = Card::presentation(idle, QuorLanguage::en, accent, false);
        QCOMPARE(standby.statusColor, QuorGlassTokens::success());
        QCOMPARE(standby.stateBadge, QStringLiteral("STANDBY"));
        QVERIFY(standby.buttons.isEmpty());
        QVERIFY(!standby.effectiveBadge);
        QCOMPARE(standby.gauges.at(0).valueText, QStringLiteral("10.00 GB / 0 B (0%)"));
        QCOMPARE(standby.gauges.at(0).fraction, 0.0);
        QCOMPARE(standby.gauges.at(1).valueText, QStringLiteral("0 B (Standby)"));
        QCOMPARE(standby.gauges.at(1).fraction, 0.0);
        QVERIFY(!standby.pills.at(0).detail);
        QCOMPARE(standby.pills.at(0).tint, QuorGlassTokens::textSecondary());
        QCOMPARE(standby.pills.at(3).value, QStringLiteral("0 frozen"));
        QCOMPARE(standby.pills.at(3).tint, QuorGlassTokens::textMuted());

        QuorVirtualMemorySummary frozen = summary(GB, 0, 5 * GB, QStringLiteral("normal"));
        frozen.frozenAppCount = 3;
        frozen.swapFileCount = 2;
        frozen.swapEncrypted = true;
        frozen.reclaimedFromFrozenBytes = 700'000'000;
        const Card::Presentation tool = Card::presentation(frozen, QuorLanguage::en, accent, true);
        QCOMPARE(tool.buttons.size(), 3);
        QCOMPARE(tool.buttons.at(1).title, QStringLiteral("Thaw (3)"));
        QVERIFY(!tool.buttons.at(2).feedback); // Disk Lab reports nothing
        QCOMPARE(tool.pills.at(0).label, QStringLiteral("Swap (2)"));
        QCOMPARE(tool.pills.at(0).detail, QStringLiteral("0% • dm-crypt"));
        QCOMPARE(tool.pills.at(1).detail, QStringLiteral("<b>Main</b>"));
        QCOMPARE(tool.pills.at(3).detail, QStringLiteral("↓ 700.0 MB"));
        QCOMPARE(tool.pills.at(3).tint, QuorGlassTokens::warning());
        frozen.frozenAppCount = 0;
        QCOMPARE(Card::presentation(frozen, QuorLanguage::en, accent, true).buttons.size(), 2);

        QCOMPARE(Card::roundedPercent(62.5), 63);
        QCOMPARE(Card::roundedPercent(130), 100);
        QCOMPARE(Card::roundedPercent(std::nan("")), 0);
        QCOMPARE(QuorCapsuleGaugeBar::fillWidth(0.001, 300, 4), 4.0);
        QCOMPARE(QuorCapsuleGaugeBar::fillWidth(1.3, 300, 4), 300.0);
        QCOMPARE(QuorCapsuleGaugeBar::fillWidth(-0.2, 300, 4), 0.0);
    }

    void cardButtonsSendAndHeaderWraps()
    {
        Siblings siblings{QuorSuiteApp::vaskel};
        QStringList feedback;
        QuorVirtualMemorySummary frozen = summary(GB, 0, 5 * GB, QStringLiteral("normal"));
        frozen.frozenAppCount = 2;
        QuorVirtualMemoryGaugeCard card(frozen, QuorLanguage::en, QuorSuiteColors::memoryViolet(), QuorSuiteApp::kestrine,
                                        [&](const QString& text) { feedback.append(text); });
        buttonTitled(card.actionButtons(), QStringLiteral("Smart Offload"))->click();
        QCOMPARE(feedback, QStringList{QStringLiteral("Triggered Vaskel Smart RAM Offload")});
        QCOMPARE(siblings.starts, 1); // not running: started
        QCOMPARE(pendingFor(QuorSuiteApp::vaskel)->sourceApp, QuorSuiteApp::kestrine);
        buttonTitled(card.actionButtons(), QStringLiteral("Disk Lab"))->click();
        QCOMPARE(feedback.size(), 1);
        QCOMPARE(pendingFor(QuorSuiteApp::vaskel)->kind, QuorSuiteCommandKind::ramOpenDiskLab);

        card.resize(900, card.heightForWidth(900) > 0 ? card.heightForWidth(900) : 400);
        card.show();
        QCoreApplication::processEvents();
        QVERIFY(card.isHeaderOneRow());
        card.resize(330, 600);
        QCoreApplication::processEvents();
        QVERIFY(!card.isHeaderOneRow());

        // Installed and running, but the commands folder cannot be written: the press says that.
        siblings.running = {QuorSuiteApp::vaskel};
        const QString commands = QuorSuiteCommandBus::shared().commandsDirectory();
        QVERIFY(QDir(commands).removeRecursively());
        QFile blocker(commands);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        buttonTitled(card.actionButtons(), QStringLiteral("Smart Offload"))->click();
        QCOMPARE(feedback.last(), QStringLiteral("The command for Vaskel could not be written"));
        QVERIFY(QFile::remove(commands));

        // Uninstalled while the card shows: the press reads it then, says so and hides the buttons.
        siblings.running.clear();
        QVERIFY(QFile::remove(Siblings::entry(QuorSuiteApp::vaskel)));
        buttonTitled(card.actionButtons(), QStringLiteral("Disk Lab"))->click();
        QCOMPARE(feedback.last(), QStringLiteral("Vaskel is not installed"));
        QVERIFY(card.currentPresentation().buttons.isEmpty());
        QVERIFY(!card.actionButtons().first()->isVisibleTo(&card));
        // Installed again by the next time the card shows: the buttons are back.
        Siblings reinstalled{QuorSuiteApp::vaskel};
        card.hide();
        card.show();
        QVERIFY(!card.currentPresentation().buttons.isEmpty());
        QVERIFY(card.actionButtons().first()->isVisibleTo(&card));
    }

    void bannerFollowsTheRun()
    {
        using Banner = QuorOffloadProgressBanner;
        const Banner::Presentation done =
            Banner::presentation(run(false, true, 4, 1, QStringLiteral("critical")), QuorLanguage::tr, false, true, true);
        QCOMPARE(done.accent, QuorGlassTokens::success());
        QCOMPARE(done.stepBadge, QStringLiteral("TAMAMLANDI"));
        QCOMPARE(done.trailingButton, Banner::TrailingButton::dismiss);
        for (const Banner::StepPill& pill : done.stepPills) {
            QCOMPARE(pill.symbolName, QStringLiteral("checkmark.circle.fill"));
        }

        const Banner::Presentation running =
            Banner::presentation(run(true, false, 2, 0.004, QStringLiteral("warning")), QuorLanguage::en, false, true, false);
        QCOMPARE(running.accent, QuorGlassTokens::warning());
        QCOMPARE(running.stepBadge, QStringLiteral("STEP 2/4"));
        QCOMPARE(running.byteProgress, QStringLiteral("3.00 GB / 8.00 GB"));
        QCOMPARE(running.percentText, QStringLiteral("0%"));
        QCOMPARE(QuorCapsuleGaugeBar::fillWidth(running.fraction, 400, 6), 6.0);
        QCOMPARE(running.trailingButton, Banner::TrailingButton::cancel);
        QCOMPARE(running.stepPills.at(0).color, QuorGlassTokens::success());
        QCOMPARE(running.stepPills.at(1).color, QuorGlassTokens::warning());
        QCOMPARE(running.stepPills.at(1).symbolName, QStringLiteral("bolt.circle.fill"));
        QCOMPARE(running.stepPills.at(1).fillOpacity, 0.22);
        QCOMPARE(running.stepPills.at(3).color, QuorGlassTokens::textMuted());
        QCOMPARE(running.stepPills.at(3).fillOpacity, 0.06);
        QCOMPARE(running.detail, QStringLiteral("Moving idle pages to swap"));

        const Banner::Presentation stopped =
            Banner::presentation(run(false, false, 3, 0.125, QStringLiteral("normal")), QuorLanguage::en, false, true, false);
        QCOMPARE(stopped.accent, QuorSuiteColors::memoryViolet());
        QCOMPARE(stopped.percentText, QStringLiteral("13%"));
        QVERIFY(!stopped.byteProgress);
        QCOMPARE(stopped.trailingButton, Banner::TrailingButton::none);
        QCOMPARE(stopped.stepPills.at(1).symbolName, QStringLiteral("checkmark.circle.fill"));
        QCOMPARE(stopped.stepPills.at(2).symbolName, QStringLiteral("circle"));

        // A published fraction outside 0...1 is held within it for the text and the bar.
        VaskelOffloadLiveProgress wild = run(true, false, 1, 0.5, QStringLiteral("normal"));
        wild.fractionCompleted = 2.5; // as decoded from another process
        wild.targetBytes = 0;
        wild.detailEN.clear();
        const Banner::Presentation compact = Banner::presentation(wild, QuorLanguage::en, true, false, false);
        QCOMPARE(compact.percentText, QStringLiteral("100%"));
        QCOMPARE(compact.fraction, 1.0);
        QVERIFY(!compact.byteProgress && !compact.detail && compact.stepPills.isEmpty());
        QCOMPARE(compact.trailingButton, Banner::TrailingButton::none);
        QCOMPARE(Banner::percent(-3), 0);
        QCOMPARE(Banner::percent(std::nan("")), 0);

        int cancels = 0;
        VaskelOffloadLiveProgress marked = run(true, false, 2, 0.5, QStringLiteral("normal"));
        marked.phaseTitleEN = QStringLiteral("<b>Phase</b>");
        Banner banner(marked, QuorLanguage::en, false, [&] { ++cancels; });
        banner.trailingButton()->click();
        QCOMPARE(cancels, 1);
        bool plain = false;
        for (const QLabel* label : banner.findChildren<QLabel*>()) {
            plain = plain || (label->text() == marked.phaseTitleEN && label->textFormat() == Qt::PlainText);
        }
        QVERIFY(plain);
    }

    void screenshots()
    {
        Siblings siblings{QuorSuiteApp::vaskel, QuorSuiteApp::drummet, QuorSuiteApp::kestrine};
        QuorVirtualMemorySummary busy = summary(2 * GB, 1'500'000'000, 5 * GB, QStringLiteral("normal"));
        busy.isVaskelRunning = true;
        busy.frozenAppCount = 3;
        busy.mountedRAMDiskCount = 1;
        busy.ramDiskTotalBytes = 3 * GB;
        busy.ramDiskNames = {QStringLiteral("Scratch")};
        DrummetLiveStatus kill;
        kill.problematicCount = 2;
        for (const bool compact : {false, true}) {
            saveShot(new QuorSuiteQuickActionsStrip(QuorSuiteApp::tolvane, busy, kill, QuorLanguage::en, compact, {}),
                     compact ? QStringLiteral("suite-strip-compact") : QStringLiteral("suite-strip-wide"), 1200);
        }
        saveShot(new QuorVirtualMemoryHeaderPill(busy, QuorLanguage::tr), QStringLiteral("suite-memory-pill"), 560);
        for (const int width : {860, 380}) {
            saveShot(new QuorVirtualMemoryGaugeCard(busy, QuorLanguage::en, QuorSuiteColors::memoryViolet(),
                                                    QuorSuiteApp::tolvane, {}),
                     QStringLiteral("suite-memory-card-%1").arg(width), width);
        }
        for (const bool compact : {false, true}) {
            saveShot(new QuorOffloadProgressBanner(run(true, false, 2, 0.42, QStringLiteral("normal")), QuorLanguage::en,
                                                   compact, [] {}),
                     compact ? QStringLiteral("suite-offload-compact") : QStringLiteral("suite-offload"), 640);
        }
    }
};

QUOR_TEST_MAIN(TestQuorSuiteViews)
#include "tst_quorsuiteviews.moc"
