#include "../Studio/FakeStudioModel.h"
#include "../Studio/StudioFixtures.h"
#include "../StudioViewModel/FakeStudioEnvironment.h"

#include "QuorKit/Design/QuorTextFit.h"
#include "QuorKit/UI/Credits/QuorCreditsWalletPopover.h"
#include "QuorZubApp/App/MenuBarZubPopoverView.h"
#include "QuorZubApp/App/ZubStudioWindow.h"
#include "QuorZubApp/ViewModels/ZubStudioViewModel.h"
#include "QuorZubApp/Views/ZubFloatingBarContentView.h"
#include "QuorZubApp/Views/ZubFloatingBarState.h"
#include "QuorZubApp/Views/Studio/MainZubStudioView.h"
#include "QuorZubApp/Views/Studio/ZubStudioHeaderPresentation.h"
#include "QuorZubCore/Engine/ZubFloatingBarLayoutMetrics.h"
#include "QuorZubCore/Services/ZubConfigStore.h"
#include "Support/QuorTestSupport.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Why a text of `widget` does not show whole in `window`, or nothing when it does. What the
// program decides is checked, not how a font happens to draw: a label needs the room its size hint
// asks for (the height its width needs, when it wraps) and must lie inside every parent up to the
// window or a scrolled area; a widget that draws its own text must not have shortened it.
std::optional<QString> misfit(const QWidget* widget, const QWidget* window)
{
    for (const QWidget* w = widget; w != nullptr && w != window; w = w->parentWidget()) {
        if (QuorTextFit::shortensByDesign(w)) {
            return std::nullopt;
        }
    }
    if (const QStringList shortened = QuorTextFit::shortenedTexts(widget); !shortened.isEmpty()) {
        return QStringLiteral("shortened \"%1\"").arg(shortened.join(QStringLiteral("\", \"")));
    }
    const auto* label = qobject_cast<const QLabel*>(widget);
    if (label == nullptr || label->text().isEmpty()) {
        return std::nullopt;
    }
    const QString text = QStringLiteral("\"%1\"").arg(label->text());
    if (label->wordWrap()) {
        if (label->heightForWidth(label->width()) > label->height()) {
            return text + QStringLiteral(" needs %1 px of height at width %2, has %3")
                              .arg(label->heightForWidth(label->width()))
                              .arg(label->width())
                              .arg(label->height());
        }
    } else if (label->sizeHint().width() > label->width() || label->minimumSizeHint().height() > label->height()) {
        return text + QStringLiteral(" needs %1x%2, has %3x%4")
                          .arg(label->sizeHint().width())
                          .arg(label->minimumSizeHint().height())
                          .arg(label->width())
                          .arg(label->height());
    }
    QRect area = label->rect();
    for (const QWidget* w = label; w != window && w->parentWidget() != nullptr; w = w->parentWidget()) {
        const QWidget* parent = w->parentWidget();
        // A scrolled area shows the rest of its content when scrolled.
        if (qobject_cast<const QAbstractScrollArea*>(parent->parentWidget()) != nullptr) {
            break;
        }
        area.translate(w->pos());
        if (!parent->rect().contains(area)) {
            return text + QStringLiteral(" is cut by %1 (%2)")
                              .arg(QString::fromLatin1(parent->metaObject()->className()), parent->objectName());
        }
    }
    return std::nullopt;
}

// Every text in `window` that does not show whole, after it was laid out and painted.
QStringList misfits(QWidget* window)
{
    for (int turn = 0; turn < 8; ++turn) {
        QCoreApplication::processEvents();
    }
    window->grab();
    QStringList found;
    for (const QWidget* widget : window->findChildren<QWidget*>()) {
        if (widget->isVisibleTo(window)) {
            if (const auto why = misfit(widget, window)) {
                found << *why;
            }
        }
    }
    return found;
}

ZubHistoryRecord record(ZubActionKind kind, const QString& title, const QString& output, std::optional<QString> target)
{
    ZubHistoryRecord r = studio_fixtures::historyRecord(kind, title, QStringLiteral("Bugün hava çok güzel."), output);
    r.targetLanguageCode = std::move(target);
    r.detectedLanguageCode = QStringLiteral("tr");
    return r;
}

QList<ZubHistoryRecord> someHistory()
{
    return {record(ZubActionKind::translate, QStringLiteral("Translate"), QStringLiteral("The weather is very nice today."),
                   QStringLiteral("en")),
            record(ZubActionKind::summarize, QStringLiteral("Summarize"),
                   QStringLiteral("- The Linux port is feature complete.\n- Release candidate on Friday."), std::nullopt),
            studio_fixtures::historyRecord(ZubActionKind::cleanURL, QStringLiteral("Clean URL"),
                                           QStringLiteral("https://tallowmer.com/quorzub?utm_source=x"),
                                           QStringLiteral("https://tallowmer.com/quorzub"))};
}

const QList<QuorLanguage> kLanguages = {QuorLanguage::en, QuorLanguage::tr};

} // namespace

// Every text of the interface shows whole at each window's smallest size, in English and in
// Turkish. Only what is shortened by design (a long e-mail address, a file name, a preview of a
// result) may be cut.
class TestZubTextsFit : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QuorLanguages::setCurrent(QuorLanguage::en); }

    void studioWindowAtItsMinimumSize()
    {
        for (const QuorLanguage language : kLanguages) {
            FakeStudioModel model;
            model.setLanguage(language);
            model.setHistory(someHistory());
            model.setPlaygroundResult(studio_fixtures::translation());
            // As the studio window holds the view: under its command menu, at its minimum size.
            QMainWindow window;
            window.menuBar()->addMenu(QStringLiteral("QuorZub"));
            auto* view = new MainZubStudioView(model, QColor(0xF4, 0x72, 0xD0));
            window.setCentralWidget(view);
            window.resize(ZubStudioWindow::minimumStudioSize);
            window.show();
            for (const ZubStudioTab tab : ZubStudioHeaderPresentation::tabOrder()) {
                model.setSelectedTab(tab);
                const QStringList found = misfits(&window);
                QVERIFY2(found.isEmpty(), qPrintable(QStringLiteral("%1, tab %2: %3")
                                                         .arg(QuorLanguages::rawValue(language))
                                                         .arg(static_cast<int>(tab))
                                                         .arg(found.join(QStringLiteral("; ")))));
            }
            model.logger()->info(QStringLiteral("Selection watcher started; the floating bar follows every finished "
                                                "selection outside the excluded applications."),
                                 QStringLiteral("lifecycle"));
            model.logger()->warn(QStringLiteral("Translate failed: the local AI server did not answer."), QStringLiteral("action"));
            model.setVersionLogsSheetPresented(true);
            QDialog* sheet = view->versionSheet();
            QVERIFY(sheet != nullptr);
            const QStringList found = misfits(sheet);
            QVERIFY2(found.isEmpty(), qPrintable(QStringLiteral("%1, version & logs: %2")
                                                     .arg(QuorLanguages::rawValue(language), found.join(QStringLiteral("; ")))));
            model.setVersionLogsSheetPresented(false);
            QUOR_TRY_VERIFY(!model.catalogStore().isSyncing() && !model.creditsStore().isRefreshing());
        }
    }

    void walletPopover()
    {
        for (const QuorLanguage language : kLanguages) {
            QuorCreditsWalletPopover wallet(QuorCreditsAccountStore::shared(), Qt::magenta, language);
            wallet.show();
            const QStringList found = misfits(&wallet);
            QVERIFY2(found.isEmpty(), qPrintable(QStringLiteral("%1: %2")
                                                     .arg(QuorLanguages::rawValue(language), found.join(QStringLiteral("; ")))));
        }
        QUOR_TRY_VERIFY(!QuorCreditsAccountStore::shared().isRefreshing());
    }

    // The bar at the size it takes for the default actions: collapsed, running and with a result.
    void floatingBar()
    {
        const QList<ZubActionDefinition> actions = ZubConfig::defaultConfig().enabledActions();
        for (const QuorLanguage language : kLanguages) {
            for (const int phase : {0, 1, 2}) {
                ZubFloatingBarState state;
                state.setLanguage(language);
                state.setSourceText(QStringLiteral("Bugün hava çok güzel."));
                state.setDetectedLanguageCode(QStringLiteral("tr"));
                state.setActions(actions);
                state.setIsExecuting(phase == 1);
                if (phase == 2) {
                    state.setResult(studio_fixtures::translation());
                }
                state.setIsPresented(true);
                ZubFloatingBarContentView view(&state, {}, QuorProductPalette::deepCoral);
                view.resize(ZubFloatingBarLayoutMetrics::computePanelSize(static_cast<int>(actions.size()), phase > 0,
                                                                          phase == 1, false)
                                .toSize() - QSize(420, 0));
                view.show();
                const QStringList found = misfits(&view);
                QVERIFY2(found.isEmpty(), qPrintable(QStringLiteral("%1, phase %2: %3")
                                                         .arg(QuorLanguages::rawValue(language))
                                                         .arg(phase)
                                                         .arg(found.join(QStringLiteral("; ")))));
            }
        }
    }

    void trayWindow()
    {
        for (const QuorLanguage language : kLanguages) {
            QuorLanguages::setCurrent(language);
            QTemporaryDir folder;
            ZubConfigStore store(folder.path());
            store.saveConfig(ZubConfig::defaultConfig());
            store.saveHistory(someHistory());
            ZubStudioViewModel viewModel(std::make_unique<FakeStudioEnvironment>(), folder.path());
            MenuBarZubPopoverView view(&viewModel, [] {}, Qt::magenta);
            view.show();
            const QStringList found = misfits(&view);
            QVERIFY2(found.isEmpty(), qPrintable(QStringLiteral("%1: %2")
                                                     .arg(QuorLanguages::rawValue(language), found.join(QStringLiteral("; ")))));
        }
    }
};

QUOR_TEST_MAIN(TestZubTextsFit)
#include "tst_zubtextsfit.moc"
