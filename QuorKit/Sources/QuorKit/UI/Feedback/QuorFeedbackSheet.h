#pragma once

#include "QuorKit/Cloud/QuorFeedbackKind.h"
#include "QuorKit/Cloud/QuorFeedbackReceipt.h"
#include "QuorKit/Cloud/QuorFeedbackScreenshot.h"
#include "QuorKit/Design/QuorProductPalette.h"
#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorKit/Utilities/QuorAppVersion.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QPointer>
#include <QStringList>
#include <QUuid>
#include <QWidget>

#include <QCoro/QCoroTask>

#include <functional>
#include <optional>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QHBoxLayout;
class QuorFeedbackSheetState;

// The in-app feedback composer: a kind, an e-mail address, an optional name, a short title, the
// details and up to five screenshots (from the clipboard or from files), sent straight to the
// feedback service; a receipt with the service's reference code follows. It never closes itself:
// the header's close button, Escape and the receipt's "Done" call the host's `onClose`, and without
// one neither button exists.
class QuorFeedbackSheet : public QWidget {
    Q_OBJECT
public:
    // Everything one upload sends, taken when Send is pressed: later edits do not change it.
    struct Submission {
        QString appName;
        QuorAppVersion version;
        QuorFeedbackKind kind = QuorFeedbackKind::feature;
        QString email;
        QString senderName;
        QString subject;
        QString message;
        QList<QuorFeedbackScreenshot> screenshots;
        QuorLanguage language = QuorLanguage::en;
        std::optional<QString> baseURL;
    };
    using Submitter = std::function<QCoro::Task<QuorFeedbackReceipt>(Submission)>;
    // Reads the clipboard's picture; it must leave the GUI thread free while it reads and converts.
    using ClipboardReader = std::function<QCoro::Task<std::optional<QuorFeedbackScreenshot>>()>;
    // The files the user chose, in order; empty when the dialog was cancelled.
    using FilePicker = std::function<QStringList(QWidget* parent)>;

    struct Texts {
        QString title;
        QString subtitle;
        QString kindCaption;
        QString emailLabel;
        QString emailPlaceholder;
        QString nameLabel;
        QString namePlaceholder;
        QString subjectLabel;
        QString subjectPlaceholder;
        QString detailsLabel;
        QString attachmentsLabel;
        QString paste;
        QString choose;
        QString removeScreenshot;
        QString openInBrowser;
        QString footer;          // "QuorZub v1.4.2"
        QString send;
        QString sending;
        QString thanks;
        QString referenceLabel;
        QString sendAnother;
        QString done;
        QString close;
        QString noClipboardImage;
        QString clipboardImageAdded;
        bool operator==(const Texts& other) const = default;
    };

    struct ChipLook {
        QColor symbolColor;
        QColor fill;
        QColor border;
        QFont::Weight weight = QFont::Medium;
        bool operator==(const ChipLook& other) const = default;
    };

    // What the sheet shows for a state: the widget only applies it.
    struct Look {
        bool showsReceipt = false;
        bool showsCloseButton = false;
        bool showsDoneButton = false;
        std::optional<QString> errorBanner;
        std::optional<QString> statusHint;
        QString submitTitle;
        bool submitEnabled = true;
        bool showsProgress = false;
        QString referenceText;                 // "Reference: FB-42"
        std::optional<QString> attachmentsText; // "📷 2", from one attachment on ("2" without an emoji font)
        std::optional<QString> attachmentsSymbol; // the kit's camera drawn before the count, without one
        bool operator==(const Look& other) const = default;
    };

    QuorFeedbackSheet(const QString& appName, const QuorAppVersion& version, QuorProductPalette palette,
                      QuorLanguage language, const std::optional<QString>& baseURL, std::function<void()> onClose,
                      QWidget* parent = nullptr);
    ~QuorFeedbackSheet() override;

    static Texts texts(const QString& appName, const QuorAppVersion& version, QuorLanguage language);
    static ChipLook chipLook(bool selected, QuorProductPalette palette);
    // `emojiFont`: whether a font can draw the camera pictograph; else the kit's symbol stands in.
    static Look look(const QuorFeedbackSheetState& state, bool hasOnClose, const Texts& texts, bool emojiFont = true);
    // "image/jpeg" for .jpg and .jpeg, "image/webp", "image/gif", in any letter case; else "image/png".
    static QString mimeTypeForFile(const QString& path);
    // The file dialog's filter: the four picture types, upper- and lower-case extensions alike
    // (file names are case-sensitive here).
    static QString fileFilter(QuorLanguage language);
    // Shown at 112 × 68 points, twice that in pixels so it stays sharp on dense screens.
    static QSize thumbnailPixels();

    // Replace what sends, what reads the clipboard and what picks files (tests and hosts may).
    void setSubmitter(Submitter submitter);
    void setClipboardReader(ClipboardReader reader);
    void setFilePicker(FilePicker picker);

    QuorFeedbackSheetState* uiState() const { return m_state; }
    // The thumbnail of a screenshot once decoded; nothing for data that is not a picture.
    std::optional<QImage> thumbnail(const QUuid& id) const;

    void submitFeedback();
    void pasteFromClipboard();
    void pickScreenshotsFromDisk();
    void sendAnotherNote();
    void openInBrowser();
    void close();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    enum class FileOutcome { added, unreadable, tooLarge };
    struct FileRead {
        FileOutcome outcome = FileOutcome::unreadable;
        QByteArray data;
    };
    static FileRead readScreenshotFile(const QString& path);

    static QCoro::Task<> runSubmit(QPointer<QuorFeedbackSheet> self, Submitter submit, Submission submission);
    static QCoro::Task<> addFiles(QPointer<QuorFeedbackSheet> self, QStringList paths);
    static QCoro::Task<> addFromClipboard(QPointer<QuorFeedbackSheet> self, ClipboardReader read);
    static QCoro::Task<> decodeThumbnail(QPointer<QuorFeedbackSheet> self, QUuid id, QByteArray data);
    void finishSubmit(const std::optional<QuorFeedbackReceipt>& receipt, const QString& failure);
    void attach(const QuorFeedbackScreenshot& screenshot);
    bool refuseWhenFull();

    QAbstractButton* captionButton(const QString& title, const QString& symbol, const char* name,
                                   void (QuorFeedbackSheet::*action)(), QWidget* parent);
    QWidget* buildHeader();
    QWidget* buildComposer();
    QWidget* buildKindCard();
    QWidget* buildFieldsCard();
    QWidget* buildAttachmentsCard();
    QWidget* buildFooter();
    QWidget* buildReceiptCard();
    void sync();
    void renderTiles();

    QString m_appName;
    QuorAppVersion m_version;
    QuorProductPalette m_palette;
    QuorLanguage m_language;
    std::optional<QString> m_baseURL;
    std::function<void()> m_onClose;
    Texts m_texts;
    QuorFeedbackSheetState* m_state;
    Submitter m_submitter;
    ClipboardReader m_clipboardReader;
    FilePicker m_filePicker;
    QHash<QUuid, QImage> m_thumbnails;
    QList<QUuid> m_shownTiles;

    QWidget* m_composer = nullptr;
    QWidget* m_receiptCard = nullptr;
    QList<QAbstractButton*> m_chips;
    QLineEdit* m_email = nullptr;
    QLineEdit* m_senderName = nullptr;
    QLineEdit* m_subject = nullptr;
    QPlainTextEdit* m_message = nullptr;
    QLabel* m_statusHint = nullptr;
    QWidget* m_tilesArea = nullptr;
    QHBoxLayout* m_tiles = nullptr;
    QWidget* m_errorBanner = nullptr;
    QLabel* m_errorText = nullptr;
    QAbstractButton* m_submit = nullptr;
    QAbstractButton* m_closeButton = nullptr;
    QAbstractButton* m_doneButton = nullptr;
    QLabel* m_receiptMessage = nullptr;
    QLabel* m_reference = nullptr;
    QLabel* m_attachmentsSymbol = nullptr;
    QLabel* m_attachmentsCount = nullptr;
};
