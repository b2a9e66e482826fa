#pragma once

#include "QuorKit/Design/Emblems/QuorBrandMark.h"
#include "QuorKit/Design/QuorProductPalette.h"
#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorKit/System/QuorReleaseLogRecord.h"
#include "QuorKit/Utilities/QuorAppVersion.h"
#include "QuorKit/Utilities/QuorLogEntry.h"
#include "QuorKit/Utilities/QuorLogLevel.h"

#include <QColor>
#include <QList>
#include <QPointer>
#include <QWidget>

#include <QCoro/QCoroTask>

#include <functional>
#include <memory>

class QAbstractButton;
class QLabel;
class QVBoxLayout;
class QuorAppLogger;
class QuorBundle;

// The "Version & Logs" screen: the version and build, the release history from the application's
// release log, and the newest runtime log entries with a level filter and refresh, copy, folder and
// clear. Everything reloads each time it comes on screen. The log is read and decoded on a worker;
// the list changes when the read is done, and Copy copies the entries of the read the list shows.
class QuorVersionAndLogsView : public QWidget {
    Q_OBJECT
public:
    struct Texts {
        QString title;          // "QuorZub · Version & Logs"
        QString versionHeading;
        QString versionCaption;
        QString versionChip;
        QString buildChip;      // "Build" in every language
        QString releaseHeading;
        QString noReleases;
        QString logsHeading;
        QString refreshHelp;
        QString copy;           // "Copy", or "Copied" once copied
        QString folder;
        QString clear;
        QString noEntries;
        bool operator==(const Texts& other) const = default;
    };

    struct LevelSegment {
        QString title;
        QuorLogLevel level;
        bool operator==(const LevelSegment& other) const = default;
    };

    static constexpr int listLimit = 120;
    static constexpr int copyLimit = 250;

    // `onClose` absent: no header row with its close button and no ground background.
    QuorVersionAndLogsView(const QString& appName, const QuorAppVersion& version,
                           std::shared_ptr<QuorAppLogger> logger, QuorProductPalette palette, QuorLanguage language,
                           const QList<QuorReleaseLogRecord>& fallbackReleases, std::function<void()> onClose,
                           QWidget* parent = nullptr);
    ~QuorVersionAndLogsView() override;

    static Texts texts(const QString& appName, QuorLanguage language, bool copied);
    static QList<LevelSegment> levelSegments(QuorLanguage language);
    // The UTC time of day of a log timestamp: the 8 characters after its first "T", else its first 8.
    static QString timeColumn(const QString& timestamp);
    static QColor levelColor(QuorLogLevel level);
    // "Build 57 · minor/Added"
    static QString releaseMetaLine(const QuorReleaseLogRecord& record);
    static QuorBrandMarkStyle emblemStyle(const QString& appName);

    // Where the release history is read from (the running program's bundle unless a host says).
    void setReleaseBundle(const QuorBundle& bundle);

    QuorLogLevel selectedMinLevel() const { return m_selectedMinLevel; }
    // The newest listLimit entries of the last read, as listed.
    const QList<QuorLogEntry>& entries() const { return m_entries; }
    // Whether a read of the log is under way.
    bool isLoadingLogs() const { return m_loadingLogs; }
    const QList<QuorReleaseLogRecord>& releases() const { return m_releases; }
    bool copiedToast() const { return m_copiedToast; }

    void reloadAll();
    void reloadLogs();
    void setSelectedMinLevel(QuorLogLevel level);
    void copyLogs();
    void revealLogFolder();
    void clearLogs();
    void close();

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* buildHeader();
    QWidget* buildVersionCard();
    QWidget* buildReleaseCard();
    QWidget* buildLogsCard();
    void renderReleases();
    void renderEntries();
    void renderToolbar();
    // Reads the log at the chosen level on a worker (clearing it first when asked); the newest read
    // asked for is the one shown.
    void loadLogs(bool clearFirst);
    static QCoro::Task<> runLoad(QPointer<QuorVersionAndLogsView> self, std::shared_ptr<QuorAppLogger> logger,
                                 QuorLogLevel level, bool clearFirst, quint64 generation);

    QString m_appName;
    QuorAppVersion m_version;
    std::shared_ptr<QuorAppLogger> m_logger;
    QuorProductPalette m_palette;
    QuorLanguage m_language;
    QList<QuorReleaseLogRecord> m_fallbackReleases;
    std::function<void()> m_onClose;
    std::unique_ptr<QuorBundle> m_bundle;

    QuorLogLevel m_selectedMinLevel = QuorLogLevel::debug;
    QList<QuorLogEntry> m_entries;
    // The newest copyLimit entries of the same read.
    QList<QuorLogEntry> m_copyEntries;
    quint64 m_logGeneration = 0;
    bool m_loadingLogs = false;
    QList<QuorReleaseLogRecord> m_releases;
    bool m_copiedToast = false;

    QVBoxLayout* m_releaseRows = nullptr;
    QVBoxLayout* m_entryRows = nullptr;
    QWidget* m_toolbar = nullptr;
    QWidget* m_levelPicker = nullptr;
    QAbstractButton* m_copyButton = nullptr;
};
