#include "../StudioViewModel/FakeStudioEnvironment.h"

#include "QuorKit/UI/Feedback/QuorFeedbackButton.h"
#include "QuorZubApp/App/MenuBarZubPopoverView.h"
#include "QuorZubApp/App/ZubMenuBarExtra.h"
#include "QuorZubApp/App/ZubStudioWindow.h"
#include "QuorZubApp/ViewModels/ZubStudioViewModel.h"
#include "QuorZubApp/Views/ZubFloatingBarController.h"
#include "QuorZubApp/Views/ZubFloatingBarState.h"
#include "QuorZubCore/Services/ZubConfigStore.h"

#include "Support/QuorTestSupport.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {

ZubHistoryRecord record(int n, std::optional<QString> code = std::nullopt)
{
    ZubHistoryRecord r;
    r.id = QUuid::createUuid();
    r.actionKind = ZubActionKind::translate;
    r.actionTitle = QStringLiteral("Translate %1").arg(n);
    r.inputText = QStringLiteral("in");
    r.outputText = QStringLiteral("output %1").arg(n);
    r.targetLanguageCode = std::move(code);
    r.createdAt = QDateTime::currentDateTimeUtc();
    return r;
}

} // namespace

// The tray window, the tray icon's label and popup placement, and the studio window's command menu.
class TestMenuBarZubPopoverView : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    FakeStudioEnvironment* m_env = nullptr;
    std::unique_ptr<ZubStudioViewModel> m_vm;

    void make(const QList<ZubHistoryRecord>& history)
    {
        ZubConfigStore store(m_dir->path());
        store.saveConfig(ZubConfig::defaultConfig());
        store.saveHistory(history);
        auto env = std::make_unique<FakeStudioEnvironment>();
        m_env = env.get();
        m_vm = std::make_unique<ZubStudioViewModel>(std::move(env), m_dir->path());
    }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void cleanup()
    {
        m_vm.reset();
        m_dir.reset();
    }

    void modelShowsTheNewestFourResults()
    {
        ZubConfig config = ZubConfig::defaultConfig();
        auto empty = MenuBarZubPopoverView::model(config, {}, QuorLanguage::en, false);
        QVERIFY(empty.recentHeading.isEmpty());
        QVERIFY(empty.recentRows.isEmpty());
        QCOMPARE(empty.triggerShortcut, QStringLiteral("Ctrl+Alt+A"));
        QCOMPARE(empty.screenOCRShortcut, QStringLiteral("Ctrl+Alt+Shift+O"));

        QList<ZubHistoryRecord> seven;
        for (int i = 0; i < 7; ++i) {
            seven.append(record(i, i == 1 ? std::optional<QString>(QStringLiteral("de")) : std::nullopt));
        }
        const auto full = MenuBarZubPopoverView::model(config, seven, QuorLanguage::tr, true);
        QCOMPARE(full.recentRows.size(), 4);
        QCOMPARE(full.recentRows[0].title, QStringLiteral("Translate 0"));
        QCOMPARE(full.recentRows[3].title, QStringLiteral("Translate 3"));
        QVERIFY(!full.recentRows[0].languageBadge);
        QCOMPARE(full.recentRows[1].languageBadge, std::optional<QString>(QStringLiteral("DE")));
        QCOMPARE(full.recentHeading, QStringLiteral("Son Sonuçlar (Kopyalamak için Tıkla)"));
        QCOMPARE(full.triggerTitle, QStringLiteral("Seçim / Panoda Zub Aç"));
        QVERIFY(!full.screenOCREnabled);
        QCOMPARE(MenuBarZubPopoverView::model(config, seven.mid(0, 2), QuorLanguage::en, false).recentRows.size(), 2);
    }

    void recentRowsAreNamedForAScreenReader_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QuorLanguage>("language");
        QTest::addColumn<QString>("name");
        QTest::newRow("English") << QStringLiteral("Calculate") << QStringLiteral("5100") << QuorLanguage::en
                                 << QStringLiteral("Calculate: 5100. Copies to the clipboard.");
        QTest::newRow("Turkish") << QStringLiteral("Hesapla") << QStringLiteral("5100") << QuorLanguage::tr
                                 << QStringLiteral("Hesapla: 5100. Panoya kopyalar.");
        // Megabytes of output: a name of its first words, cut at a word.
        QTest::newRow("long output") << QStringLiteral("Translate") << QStringLiteral("word ").repeated(400'000)
                                     << QuorLanguage::en
                                     << QStringLiteral("Translate: word word word word word word word word… Copies to the clipboard.");
        QTest::newRow("several lines") << QStringLiteral("Summarize") << QStringLiteral("First point\nSecond point")
                                       << QuorLanguage::tr << QStringLiteral("Summarize: First point… Panoya kopyalar.");
        QTest::newRow("ends its own sentence") << QStringLiteral("Explain") << QStringLiteral("Is it?")
                                               << QuorLanguage::en << QStringLiteral("Explain: Is it? Copies to the clipboard.");
        QTest::newRow("empty output") << QStringLiteral("Clean") << QString() << QuorLanguage::tr
                                      << QStringLiteral("Clean. Panoya kopyalar.");
    }

    void recentRowsAreNamedForAScreenReader()
    {
        QFETCH(QString, title);
        QFETCH(QString, output);
        QFETCH(QuorLanguage, language);
        QFETCH(QString, name);
        QCOMPARE(MenuBarZubPopoverView::recentRowName(title, output, language), name);
    }

    void controlsReachTheViewModel()
    {
        ZubHistoryRecord longOne = record(1, QStringLiteral("tr"));
        // Far more than two lines: the row shows (and names) the start that they hold.
        longOne.outputText = QStringLiteral("A long output that certainly does not fit on two lines of a narrow "
                                            "row, so the row shows an ellipsis while a click still copies all of it.")
                                 .repeated(5'000);
        make({longOne, record(2)});
        MenuBarZubPopoverView view(m_vm.get(), [] {}, QColor(255, 110, 90));
        int quits = 0;
        int willAct = 0;
        view.onQuit = [&quits] { ++quits; };
        view.onWillAct = [&willAct] { ++willAct; };
        view.show();
        QCOMPARE(view.width(), MenuBarZubPopoverView::fixedWidth);
        QCOMPARE(view.recentRowButtons().size(), 2);
        const QString shown = view.recentRowButtons()[0]->text();
        QVERIFY(shown.size() <= MenuBarZubPopoverView::recentOutputCharacters + 1);
        QVERIFY(longOne.outputText.startsWith(shown.chopped(1)));
        const QString name = QAccessible::queryAccessibleInterface(view.recentRowButtons()[0])->text(QAccessible::Name);
        QVERIFY(!name.isEmpty() && name.size() <= shown.size());
        QCOMPARE(name, view.currentModel().recentRows[0].accessibleName);

        QVERIFY(view.feedbackButton() != nullptr);
        m_vm->setLanguage(QuorLanguage::tr);
        QCOMPARE(static_cast<QuorFeedbackButton*>(view.feedbackButton())->language(), QuorLanguage::tr);
        m_vm->setLanguage(QuorLanguage::en);

        view.autoShowSwitch()->click();
        QVERIFY(!m_vm->config().autoShowOnSelection);
        QVERIFY(!view.autoShowSwitch()->isChecked());
        QCOMPARE(m_env->stopCount, 1);

        view.recentRowButtons()[0]->click();
        QCOMPARE(m_env->clipboard, std::optional<QString>(longOne.outputText));
        QCOMPARE(m_vm->toastMessage(), QStringLiteral("Copied from menu bar."));

        m_env->captureGate = std::make_shared<FakeStudioEnvironment::Gate>();
        view.screenOCRButton()->click();
        QCOMPARE(willAct, 1);
        QVERIFY(m_vm->isOCRCapturing());
        QVERIFY(!view.screenOCRButton()->isEnabled());
        QVERIFY(view.triggerButton()->isEnabled());
        m_env->captureGate->open();
        QUOR_TRY_VERIFY(view.screenOCRButton()->isEnabled());

        view.quitButton()->click();
        QCOMPARE(quits, 1);

        // A new result appears at the top at once.
        m_vm->setPlaygroundText(QStringLiteral("fresh"));
        m_vm->runPlaygroundAction(ZubActionDefinition::defaultActions()[4]);
        QUOR_TRY_COMPARE(view.recentRowButtons().size(), 3);
        QCOMPARE(view.currentModel().recentRows[0].output, QStringLiteral("out:fresh"));

        const QString folder = qEnvironmentVariable("QUOR_BINARY_DIR", QDir::tempPath()) + QStringLiteral("/screenshots");
        QDir().mkpath(folder);
        QVERIFY(view.grab().save(folder + QStringLiteral("/menubar-popover.png")));
    }

    void trayLabelAndPopupPlacement()
    {
        const auto on = ZubMenuBarExtra::label(true, ZubTargetLanguage::autoFlipTREN);
        QCOMPARE(on.symbolName, QStringLiteral("sparkles.rectangle.stack.fill"));
        QCOMPARE(on.badge, QStringLiteral("TR↔EN"));
        QVERIFY(on.toolTip.contains(QStringLiteral("TR↔EN")));
        const auto off = ZubMenuBarExtra::label(false, ZubTargetLanguage::japanese);
        QCOMPARE(off.symbolName, QStringLiteral("sparkles.rectangle.stack"));
        QCOMPARE(off.badge, QStringLiteral("JA"));
        // Legible on a light panel as on a dark one: plenty of pixels stand apart from either.
        const QImage icon = ZubMenuBarExtra::renderIcon(on).pixmap(22, 22).toImage();
        for (const QColor panel : {QColor(Qt::white), QColor(Qt::black), QColor(0xf6, 0xf5, 0xf4)}) {
            QImage onPanel(icon.size(), QImage::Format_ARGB32);
            onPanel.fill(panel);
            QPainter(&onPanel).drawImage(0, 0, icon);
            int distinct = 0;
            for (int y = 0; y < onPanel.height(); ++y) {
                for (int x = 0; x < onPanel.width(); ++x) {
                    distinct += std::abs(qGray(onPanel.pixel(x, y)) - panel.lightness()) > 90 ? 1 : 0;
                }
            }
            QVERIFY2(distinct > icon.width() * icon.height() / 10, qPrintable(panel.name()));
        }

        // Trays ask for 16 to 24 pixels: there the badge alone fills the plate, the two languages
        // one above the other, with capitals several pixels tall; from 32 pixels the glyph returns.
        const auto relativeLuminance = [](const QColor& color) {
            const auto channel = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
            return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) + 0.0722 * channel(color.blueF());
        };
        const QColor plate = ZubMenuBarExtra::iconPlate();
        QCOMPARE(plate.alpha(), 255); // no panel colour shows through
        for (const bool autoShow : {true, false}) {
            for (const int side : {16, 22, 24}) {
                const auto layout = ZubMenuBarExtra::iconLayout(ZubMenuBarExtra::label(autoShow, ZubTargetLanguage::autoFlipTREN), side);
                const QString size = QString::number(side);
                QVERIFY2(!layout.showsGlyph, qPrintable(size));
                QCOMPARE(layout.lines, QStringList({QStringLiteral("TR"), QStringLiteral("EN")}));
                QCOMPARE(layout.lineBoxes.size(), 2);
                QVERIFY2(layout.lineBoxes[0].height() >= (side < 20 ? 5 : 7), qPrintable(size));
                QVERIFY2(layout.lineBoxes[0].bottom() < layout.lineBoxes[1].top(), qPrintable(size));
                for (const QRectF& box : layout.lineBoxes) {
                    QVERIFY2(QRectF(0, 0, side, side).contains(box), qPrintable(size));
                }
                // The marks' white, dimmed when paused, against the plate.
                const double o = layout.markOpacity;
                const QColor mark = QColor::fromRgbF(o + (1 - o) * plate.redF(), o + (1 - o) * plate.greenF(),
                                                     o + (1 - o) * plate.blueF());
                QVERIFY2((relativeLuminance(mark) + 0.05) / (relativeLuminance(plate) + 0.05) >= 4.5, qPrintable(size));
            }
        }
        const auto single = ZubMenuBarExtra::iconLayout(off, 22);
        QCOMPARE(single.lines, QStringList{QStringLiteral("JA")});
        QVERIFY(single.lineBoxes[0].height() >= 9);
        const auto large = ZubMenuBarExtra::iconLayout(on, 48);
        QVERIFY(large.showsGlyph);
        QCOMPARE(large.lines, QStringList{QStringLiteral("TR↔EN")});
        QVERIFY(large.glyph.bottom() <= large.lineBoxes[0].top());

        const QRect screen(0, 0, 1920, 1080);
        const QSize size(310, 400);
        // A top panel opens it downwards under the icon, kept inside the screen at the right edge.
        QCOMPARE(ZubMenuBarExtra::popupFrame(size, QRect(1890, 0, 24, 24), QPoint(), screen), QRect(1610, 28, 310, 400));
        // A bottom panel opens it upwards.
        QCOMPARE(ZubMenuBarExtra::popupFrame(size, QRect(900, 1056, 24, 24), QPoint(), screen), QRect(756, 652, 310, 400));
        // No geometry: at the pointer, clamped.
        QCOMPARE(ZubMenuBarExtra::popupFrame(size, QRect(), QPoint(1900, 1000), screen), QRect(1610, 680, 310, 400));
        QCOMPARE(ZubMenuBarExtra::popupFrame(size, QRect(), QPoint(100, 100), screen), QRect(104, 104, 310, 400));
    }

    void trayFollowsTheConfiguration()
    {
        make({});
        ZubMenuBarExtra extra(m_vm.get(), [] {}, Qt::red);
        QCOMPARE(extra.currentLabel().badge, QStringLiteral("TR↔EN"));
        for (int i = 0; i < 6; ++i) {
            m_vm->cycleTargetLanguage();
        }
        QCOMPARE(extra.currentLabel().badge, QStringLiteral("JA"));
        QCOMPARE(extra.trayIcon()->toolTip(), QStringLiteral("QuorZub — JA"));
        m_vm->setAutoShowOnSelection(false);
        QVERIFY(extra.currentLabel().isPaused);
    }

    void studioCommandMenu()
    {
        make({});
        ZubStudioWindow window(m_vm.get(), Qt::red);
        QCOMPARE(window.windowTitle(), QStringLiteral("QuorZub — by Tallowmer"));
        // Never larger than the screen it opens on, and centred there: a 1024x768 screen under a
        // 28-point panel leaves room for the window manager's frame.
        QCOMPARE(ZubStudioWindow::placement(QRect(0, 0, 1920, 1080)),
                 (ZubStudioWindow::Placement{QSize(1020, 680), QRect(380, 170, 1160, 740)}));
        QCOMPARE(ZubStudioWindow::placement(QRect(0, 28, 1024, 740)),
                 (ZubStudioWindow::Placement{QSize(1008, 680), QRect(8, 52, 1008, 692)}));
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(window.minimumSize(), ZubStudioWindow::placement(available).minimum);
        QVERIFY(available.contains(window.geometry()));
        QCOMPARE(window.autoShowAction()->text(), QStringLiteral("Pause Auto-Zub on Selection"));
        QCOMPARE(window.triggerAction()->shortcut().toString(), QStringLiteral("Ctrl+Alt+A"));
        QCOMPARE(window.screenOCRAction()->shortcut().toString(), QStringLiteral("Ctrl+Alt+Shift+O"));
        QCOMPARE(window.autoShowAction()->shortcut().toString(), QStringLiteral("Ctrl+Alt+P"));
        window.autoShowAction()->trigger();
        QVERIFY(!m_vm->config().autoShowOnSelection);
        QCOMPARE(window.autoShowAction()->text(), QStringLiteral("Enable Auto-Zub on Selection"));
        m_vm->setLanguage(QuorLanguage::tr);
        QCOMPARE(window.autoShowAction()->text(), QStringLiteral("Otomatik Zub'u Etkinleştir"));
        QCOMPARE(window.quitAction()->text(), QStringLiteral("Çıkış"));
        m_env->clipboard = QStringLiteral("clip");
        window.triggerAction()->trigger();
        QUOR_TRY_COMPARE(m_vm->floatingBarController()->state()->sourceText(), QStringLiteral("clip"));
    }
};

QUOR_TEST_MAIN(TestMenuBarZubPopoverView)
#include "tst_menubarzubpopoverview.moc"
