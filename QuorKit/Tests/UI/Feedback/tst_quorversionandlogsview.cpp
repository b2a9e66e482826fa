#include "QuorKit/Cloud/QuorBrowserHandOff.h"
#include "QuorKit/Design/QuorKeyboardAccess.h"
#include "QuorKit/Design/QuorKeyboardReach.h"
#include "QuorKit/UI/Feedback/QuorFeedbackButton.h"
#include "QuorKit/UI/Feedback/QuorVersionAndLogsView.h"
#include "QuorKit/Utilities/QuorAppLogger.h"
#include "QuorKit/Utilities/QuorBundle.h"
#include "Support/QuorTestSupport.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

namespace {
QuorAppVersion version()
{
    return {QStringLiteral("1.4.2"), QStringLiteral("57")};
}

std::shared_ptr<QuorAppLogger> freshLogger(const QString& name)
{
    const QString folder = quorTestSandboxPath() + QStringLiteral("/logs-") + name;
    QDir(folder).removeRecursively();
    return std::make_shared<QuorAppLogger>(QStringLiteral("QuorZub"), folder, QuorAppLogger::defaultMaxFileBytes, 5,
                                           [] { return version(); });
}

// A bundle whose resources hold a release log of the given lines.
QuorBundle bundleWithReleases(const QString& name, const QStringList& apps)
{
    const QString folder = quorTestSandboxPath() + QStringLiteral("/bundle-") + name;
    QDir().mkpath(folder);
    QFile file(folder + QStringLiteral("/release-log.jsonl"));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        int build = 1;
        for (const QString& app : apps) {
            file.write(QStringLiteral(R"({"timestamp":"2026-0%1-01T10:00:00Z","app":"%2","toVersion":"1.%1.0","toBuild":%1,)"
                                      R"("bumpKind":"minor","section":"Added","summary":"Release %1"})"
                                      "\n")
                           .arg(build++)
                           .arg(app)
                           .toUtf8());
        }
    }
    return QuorBundle({}, folder);
}

QuorReleaseLogRecord fallbackRecord()
{
    QuorReleaseLogRecord record;
    record.timestamp = QStringLiteral("2025-05-05T00:00:00Z");
    record.app = QStringLiteral("QuorZub");
    record.toVersion = QStringLiteral("0.9.0");
    return record;
}

// Once the read of the log that the last action asked for has been shown.
bool settled(const QuorVersionAndLogsView& view)
{
    return QTest::qWaitFor([&view] { return !view.isLoadingLogs(); }, quorPatienceMs);
}

QStringList visibleLabels(const QWidget& view, const QString& name)
{
    QStringList texts;
    for (const QLabel* label : view.findChildren<QLabel*>(name)) {
        texts << label->text();
    }
    return texts;
}
} // namespace

class TestQuorVersionAndLogsView : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QuorKeyboardAccess::install(); }

    void columnsAndTexts()
    {
        using View = QuorVersionAndLogsView;
        QCOMPARE(View::timeColumn(QStringLiteral("2026-01-02T03:04:05.678Z")), QStringLiteral("03:04:05"));
        QCOMPARE(View::timeColumn(QStringLiteral("garbage-value")), QStringLiteral("garbage-"));
        QCOMPARE(View::timeColumn(QStringLiteral("xT12")), QStringLiteral("12"));
        QCOMPARE(View::timeColumn(QString()), QString());
        QCOMPARE(View::levelColor(QuorLogLevel::info), QColor(0x3E, 0xE6, 0xA8));
        QCOMPARE(View::levelColor(QuorLogLevel::error), QColor(0xFF, 0x64, 0x7C));

        QuorReleaseLogRecord record;
        record.toBuild = 57;
        record.bumpKind = QStringLiteral("minor");
        record.section = QStringLiteral("Added");
        QCOMPARE(View::releaseMetaLine(record), QStringLiteral("Build 57 · minor/Added"));

        const View::Texts turkish = View::texts(QStringLiteral("QuorZub"), QuorLanguage::tr, false);
        QCOMPARE(turkish.title, QStringLiteral("QuorZub · Sürüm & Loglar"));
        QCOMPARE(turkish.buildChip, QStringLiteral("Build"));
        QCOMPARE(turkish.copy, QStringLiteral("Kopyala"));
        QCOMPARE(View::texts(QStringLiteral("QuorZub"), QuorLanguage::tr, true).copy, QStringLiteral("Kopyalandı"));
        QCOMPARE(View::texts(QStringLiteral("QuorZub"), QuorLanguage::en, true).copy, QStringLiteral("Copied"));
        QStringList segments;
        for (const auto& segment : View::levelSegments(QuorLanguage::tr)) {
            segments << segment.title;
        }
        QCOMPARE(segments, (QStringList{"Tümü", "INFO+", "WARN+", "ERROR"}));

        QCOMPARE(View::emblemStyle(QStringLiteral("QuorZub")), QuorBrandMarkStyle::app(QuorAppIdentity::quorZub));
        QCOMPARE(View::emblemStyle(QStringLiteral("Nothing We Know")), QuorBrandMarkStyle::currentApp());
    }

    void levelFilterAndTheNewest120()
    {
        const auto logger = freshLogger(QStringLiteral("filter"));
        for (int i = 0; i < 300; ++i) {
            logger->log(i % 100 == 7 ? QuorLogLevel::error : QuorLogLevel::info, QStringLiteral("action"),
                        QStringLiteral("entry %1").arg(i));
        }
        QuorVersionAndLogsView view(QStringLiteral("QuorZub"), version(), logger, QuorProductPalette::deepCoral,
                                    QuorLanguage::en, {}, {});
        QVERIFY(view.entries().isEmpty());
        view.show();
        // Read on a worker: the list fills once the read is done.
        QVERIFY(view.isLoadingLogs());
        QVERIFY(settled(view));
        QCOMPARE(view.entries().size(), 120);
        QCOMPARE(view.entries().first().message, QStringLiteral("entry 299"));
        QCOMPARE(view.findChildren<QWidget*>(QRegularExpression(QStringLiteral("^entry:"))).size(), 120);

        // The filter's segments are Tab stops that read as radio buttons, the chosen one checked.
        auto* errors = view.findChild<QAbstractButton*>(QStringLiteral("level:ERROR"));
        QVERIFY(errors != nullptr && (errors->focusPolicy() & Qt::TabFocus) != 0);
        QAccessibleInterface* access = QAccessible::queryAccessibleInterface(errors);
        QCOMPARE(access->role(), QAccessible::RadioButton);
        QVERIFY(!access->state().checked);
        errors->click();
        QVERIFY(access->state().checked);
        QVERIFY(settled(view));
        QCOMPARE(view.entries().size(), 3);
        QCOMPARE(view.entries().first().message, QStringLiteral("entry 207"));
        view.setSelectedMinLevel(QuorLogLevel::warn);
        QVERIFY(settled(view));
        QCOMPARE(view.entries().size(), 3);
        // An entry written while the view is open shows after a refresh only.
        logger->log(QuorLogLevel::warn, QStringLiteral("ocr"), QStringLiteral("late"));
        QCOMPARE(view.entries().size(), 3);
        view.findChild<QAbstractButton*>(QStringLiteral("refreshButton"))->click();
        QVERIFY(settled(view));
        QCOMPARE(view.entries().first().message, QStringLiteral("late"));
        view.setSelectedMinLevel(QuorLogLevel::debug);
        QVERIFY(settled(view));
        QCOMPARE(view.entries().size(), 120);
    }

    void copyExportsOldestFirstAndClearEmptiesTheList()
    {
        const auto logger = freshLogger(QStringLiteral("copy"));
        for (int i = 0; i < 300; ++i) {
            logger->log(QuorLogLevel::info, QStringLiteral("watcher"), QStringLiteral("line %1").arg(i));
        }
        QuorVersionAndLogsView view(QStringLiteral("QuorZub"), version(), logger, QuorProductPalette::deepCoral,
                                    QuorLanguage::en, {}, {});
        view.show();
        QVERIFY(settled(view));
        auto* copy = view.findChild<QAbstractButton*>(QStringLiteral("copyButton"));
        QCOMPARE(copy->text(), QStringLiteral("Copy"));
        copy->click();
        const QStringList lines = QGuiApplication::clipboard()->text().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 250);
        QVERIFY(lines.first().endsWith(QStringLiteral("[watcher] line 50")));
        QVERIFY(lines.last().contains(QStringLiteral("[INFO] [v1.4.2#57] [watcher] line 299")));
        QVERIFY(view.copiedToast());
        QCOMPARE(copy->text(), QStringLiteral("Copied"));

        view.findChild<QAbstractButton*>(QStringLiteral("clearButton"))->click();
        QVERIFY(settled(view));
        QVERIFY(view.entries().isEmpty());
        QVERIFY(!QFile::exists(logger->currentLogFileURL().toLocalFile()));
        QCOMPARE(visibleLabels(view, QStringLiteral("noEntries")),
                 QStringList{"No runtime log entries match the filter yet."});
        // An empty log copies an empty text; the label stays "Copied".
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        copy->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString());
        QCOMPARE(copy->text(), QStringLiteral("Copied"));
        // The log file's name shows although the file is gone.
        QCOMPARE(visibleLabels(view, QStringLiteral("logFileName")), QStringList{"quorzub.log"});
    }

    void aDamagedLineIsSkippedAndCopyCopiesWhatIsShown()
    {
        const auto logger = freshLogger(QStringLiteral("damaged"));
        logger->info(QStringLiteral("before"), QStringLiteral("action"));
        QFile file(logger->currentLogFileURL().toLocalFile());
        QVERIFY(file.open(QIODevice::Append));
        // Bytes that are not UTF-8, then a line cut short by a full disk.
        file.write("{\"build\":\"57\",\"message\":\"\xff\xfe\"}\n{\"build\":\"57\",\"categ");
        file.write("\n");
        file.close();
        logger->warn(QStringLiteral("after"), QStringLiteral("ocr"));

        QuorVersionAndLogsView view(QStringLiteral("QuorZub"), version(), logger, QuorProductPalette::deepCoral,
                                    QuorLanguage::en, {}, {});
        view.show();
        QVERIFY(settled(view));
        QStringList shown;
        for (const QuorLogEntry& entry : view.entries()) {
            shown << entry.message;
        }
        QCOMPARE(shown, (QStringList{"after", "before"}));
        view.findChild<QAbstractButton*>(QStringLiteral("copyButton"))->click();
        const QStringList copied = QGuiApplication::clipboard()->text().split(QLatin1Char('\n'));
        QCOMPARE(copied.size(), 2);
        QVERIFY(copied[0].endsWith(QStringLiteral("[action] before")));
        QVERIFY(copied[1].endsWith(QStringLiteral("[ocr] after")));
    }

    void theLevelFilterShowsWholeAndTheKeysChoose_data()
    {
        QTest::addColumn<QuorLanguage>("language");
        QTest::addColumn<int>("width");
        for (const QuorLanguage language : {QuorLanguage::en, QuorLanguage::tr}) {
            for (const int width : {680, 420}) {
                QTest::addRow("%s, %d", qPrintable(QuorLanguages::rawValue(language)), width) << language << width;
            }
        }
    }

    void theLevelFilterShowsWholeAndTheKeysChoose()
    {
        QFETCH(QuorLanguage, language);
        QFETCH(int, width);
        const auto logger = freshLogger(QStringLiteral("picker"));
        QuorVersionAndLogsView view(QStringLiteral("QuorZub"), version(), logger, QuorProductPalette::deepCoral,
                                    language, {}, [] {});
        view.resize(width, 540);
        view.show();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        QVERIFY(settled(view));
        auto* picker = view.findChild<QWidget*>(QStringLiteral("levelPicker"));
        QList<QAbstractButton*> segments;
        for (const auto& segment : QuorVersionAndLogsView::levelSegments(language)) {
            segments << view.findChild<QAbstractButton*>(QStringLiteral("level:") + segment.title);
        }
        // Every segment gets the size it asks for, inside the view.
        for (QAbstractButton* segment : std::as_const(segments)) {
            QVERIFY(segment->isVisible());
            QVERIFY(segment->sizeHint().height() > 0);
            QCOMPARE(segment->height(), segment->sizeHint().height());
            QVERIFY(segment->width() >= segment->sizeHint().width());
        }
        QVERIFY(picker->mapTo(&view, QPoint(picker->width(), picker->height())).x() <= view.width());

        // A click chooses; from the chosen segment the arrow keys choose its neighbours, wrapping.
        QTest::mouseClick(segments[2], Qt::LeftButton, {}, segments[2]->rect().center());
        QCOMPARE(view.selectedMinLevel(), QuorLogLevel::warn);
        segments[2]->setFocus(Qt::TabFocusReason);
        QTest::keyClick(segments[2], Qt::Key_Right);
        QCOMPARE(view.selectedMinLevel(), QuorLogLevel::error);
        QCOMPARE(QApplication::focusWidget(), segments[3]);
        QTest::keyClick(segments[3], Qt::Key_Down);
        QCOMPARE(view.selectedMinLevel(), QuorLogLevel::debug);
        QTest::keyClick(segments[0], Qt::Key_Left);
        QCOMPARE(view.selectedMinLevel(), QuorLogLevel::error);
        // Space chooses the segment the keyboard is on.
        segments[1]->setFocus(Qt::TabFocusReason);
        QTest::keyClick(segments[1], Qt::Key_Space);
        QCOMPARE(view.selectedMinLevel(), QuorLogLevel::info);
        QVERIFY(settled(view));
    }

    void releasesFromTheBundleElseTheFallback()
    {
        const auto logger = freshLogger(QStringLiteral("releases"));
        {
            QuorVersionAndLogsView view(QStringLiteral("QuorZub"), version(), logger, QuorProductPalette::deepCoral,
                                        QuorLanguage::tr, {fallbackRecord()}, {});
            view.setReleaseBundle(bundleWithReleases(QStringLiteral("others"), {"QuorNote", "QuorTune"}));
            view.show();
            QCOMPARE(view.releases(), QList<QuorReleaseLogRecord>{fallbackRecord()});
        }
        {
            QuorVersionAndLogsView view(QStringLiteral("QuorZub"), version(), logger, QuorProductPalette::deepCoral,
                                        QuorLanguage::en, {fallbackRecord()}, {});
            view.setReleaseBundle(bundleWithReleases(QStringLiteral("mine"), {"QuorZub", "QuorNote", "quorzub"}));
            view.show();
            QCOMPARE(view.releases().size(), 2);
            QCOMPARE(view.releases().first().toVersion, QStringLiteral("1.3.0"));
        }
        {
            QuorVersionAndLogsView view(QStringLiteral("QuorZub"), version(), logger, QuorProductPalette::deepCoral,
                                        QuorLanguage::tr, {}, {});
            view.setReleaseBundle(QuorBundle({}, std::nullopt));
            view.show();
            QCOMPARE(visibleLabels(view, QStringLiteral("noReleases")),
                     QStringList{"Bu derleme için sürüm geçmişi kaydı bulunamadı."});
        }
    }

    void closeControlsOnlyWithAnOnClose()
    {
        const auto logger = freshLogger(QStringLiteral("close"));
        int closed = 0;
        QuorVersionAndLogsView sheet(QStringLiteral("QuorZub"), version(), logger, QuorProductPalette::deepCoral,
                                     QuorLanguage::en, {}, [&closed] { ++closed; });
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        // Escape on the notice that the browser could not be opened closes the notice alone.
        QuorBrowserHandOff::setDefaultOpener([](const QUrl&) { return false; });
        sheet.findChild<QuorFeedbackButton*>()->click();
        QuorBrowserHandOff::setDefaultOpener({});
        QPointer<QWidget> notice;
        QUOR_TRY_VERIFY((notice = sheet.findChild<QWidget*>(QStringLiteral("unopenedPagePopup"))) != nullptr
                        && notice->isActiveWindow());
        QCOMPARE(QApplication::focusWidget(), notice->findChild<QWidget*>(QStringLiteral("copyAddress")));
        QVERIFY(QuorKeyboardReach::showsFocusRing(QApplication::focusWidget()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QUOR_TRY_VERIFY(notice == nullptr || !notice->isVisible());
        QUOR_TRY_VERIFY(sheet.isActiveWindow());
        QCOMPARE(closed, 0);
        sheet.findChild<QAbstractButton*>(QStringLiteral("closeButton"))->click();
        QCOMPARE(closed, 1);
        sheet.activateWindow();
        QTest::keyClick(&sheet, Qt::Key_Escape);
        QUOR_TRY_COMPARE(closed, 2);

        QuorVersionAndLogsView bare(QStringLiteral("QuorZub"), version(), logger, QuorProductPalette::deepCoral,
                                    QuorLanguage::en, {}, {});
        QCOMPARE(bare.findChild<QAbstractButton*>(QStringLiteral("closeButton")), nullptr);
    }

    void screenshots()
    {
        const auto logger = freshLogger(QStringLiteral("shots"));
        logger->log(QuorLogLevel::info, QStringLiteral("lifecycle"), QStringLiteral("QuorZub initialized (autoZub=true)"));
        logger->log(QuorLogLevel::warn, QStringLiteral("action"), QStringLiteral("Playground action 'translate' failed in 812 ms"));
        logger->log(QuorLogLevel::error, QStringLiteral("security"), QStringLiteral("Failed to save API key in the keyring"));
        const QString folder = qEnvironmentVariable("QUOR_BINARY_DIR", QDir::tempPath()) + QStringLiteral("/screenshots");
        QDir().mkpath(folder);
        QList<QImage> shots;
        for (const QuorLanguage language : {QuorLanguage::en, QuorLanguage::tr}) {
            QuorVersionAndLogsView view(QStringLiteral("QuorZub"), version(), logger, QuorProductPalette::deepCoral,
                                        language, {}, [] {});
            view.resize(680, 540);
            view.show();
            QVERIFY(settled(view));
            // Rows added to a visible list show on the next turn of the event loop.
            QCoreApplication::processEvents();
            const QImage shot = view.grab().toImage();
            shot.save(folder + QStringLiteral("/version-logs-") + QuorLanguages::rawValue(language) + QStringLiteral(".png"));

            // The picture is the sheet drawn whole, and the sheet holds the three entries newest
            // first, in its language.
            QCOMPARE(shot.size(), QSize(680, 540) * view.devicePixelRatio());
            QSet<QRgb> colors;
            for (int y = 0; y < shot.height(); y += 3) {
                for (int x = 0; x < shot.width(); x += 3) {
                    colors.insert(shot.pixel(x, y));
                }
            }
            QVERIFY2(colors.size() > 100, qPrintable(QString::number(colors.size())));
            const QList<QWidget*> rows = view.findChildren<QWidget*>(QRegularExpression(QStringLiteral("^entry:")));
            QCOMPARE(rows.size(), 3);
            QVERIFY(rows.first()->isVisible());
            QCOMPARE(view.entries().first().message, QStringLiteral("Failed to save API key in the keyring"));
            QCOMPARE(view.findChild<QAbstractButton*>(QStringLiteral("copyButton"))->text(),
                     QuorVersionAndLogsView::texts(QStringLiteral("QuorZub"), language, false).copy);
            shots << shot;
        }
        QVERIFY(shots[0] != shots[1]);
    }
};

QUOR_TEST_MAIN(TestQuorVersionAndLogsView)
#include "tst_quorversionandlogsview.moc"
