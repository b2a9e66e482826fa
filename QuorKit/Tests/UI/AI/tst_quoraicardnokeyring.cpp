#include "AICardTestSupport.h"

#include "QuorKit/Cloud/QuorAIModelCatalogStore.h"
#include "QuorKit/Cloud/QuorCreditsAccountManager.h"
#include "QuorKit/Cloud/QuorCreditsAccountStore.h"
#include "QuorKit/UI/AI/QuorAIUnifiedSettingsCard.h"
#include "Support/QuorTestSupport.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

using namespace ai_card_test;

namespace {
// An OpenAI card over the keyring this process has (none), with services that reach nothing.
struct CardWithoutKeyring {
    QTemporaryDir folder;
    QuorCreditsAccountManager manager{folder.filePath(QStringLiteral("account")), std::nullopt,
                                      QStringLiteral("http://127.0.0.1:1")};
    QuorCreditsAccountStore credits{manager};
    QuorAIModelRegistry registry{folder.filePath(QStringLiteral("ai")), QStringLiteral("http://127.0.0.1:1/c.json")};
    QuorAIModelCatalogStore catalog{&registry, QStringLiteral("http://127.0.0.1:1"), QStringLiteral("http://127.0.0.1:1")};
    QuorAIConfig config{QuorAIProvider::openAI};
    QString account = QStringLiteral("ai-api-key-openAI");
    QuorAIUnifiedSettingsCard card;

    explicit CardWithoutKeyring(bool hasSavedKey)
        : card({[this] { return config; }, [this](const QuorAIConfig& value) { config = value; }}, hasSavedKey,
               [this](QString key) { return keyringSave(account, std::move(key)); },
               [this] { return keyringDelete(account); }, {}, Qt::white, QuorLanguage::en, credits, catalog)
    {
    }

    QuorAPIKeyFeedback feedbackAfterClicking(const QString& button)
    {
        card.findChild<QAbstractButton*>(button)->click();
        if (!QTest::qWaitFor([this] { return card.uiState()->apiKeyFeedback().has_value(); }, 10000)) {
            return {};
        }
        return *card.uiState()->apiKeyFeedback();
    }
};
} // namespace

// Runs with the session bus pointed at nowhere: the desktop has no keyring, so every save fails.
class TestQuorAICardNoKeyring : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // Before anything in this process opens the session bus.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quor-no-bus");
    }

    void aKeyTheKeyringRefusedIsNotShownAsSaved()
    {
        CardWithoutKeyring fixture(false);
        QuorAIUnifiedSettingsCard& card = fixture.card;
        auto* field = card.findChild<QLineEdit*>(QStringLiteral("apiKeyField"));
        field->setText(QStringLiteral("sk-no-keyring"));
        const QuorAPIKeyFeedback feedback = fixture.feedbackAfterClicking(QStringLiteral("saveKey"));
        QVERIFY(feedback.isError);
        QVERIFY2(feedback.text.contains(QStringLiteral("keyring")), qPrintable(feedback.text));
        QVERIFY(!feedback.text.contains(QStringLiteral("sk-no-keyring")));
        QCOMPARE(card.findChild<QLabel*>(QStringLiteral("apiKeyFeedback"))->text(), feedback.text);
        QVERIFY(card.findChild<QWidget*>(QStringLiteral("savedLabel"))->isHidden());
        QCOMPARE(field->text(), QStringLiteral("sk-no-keyring"));
        QVERIFY(card.findChild<QAbstractButton*>(QStringLiteral("saveKey"))->isEnabled());
    }

    void aRemovalTheKeyringCouldNotDoIsNotShownAsDone()
    {
        // The card believes a key is saved, as it would after the keyring locked behind its back.
        CardWithoutKeyring fixture(true);
        const QuorAPIKeyFeedback feedback = fixture.feedbackAfterClicking(QStringLiteral("clearKey"));
        QVERIFY(feedback.isError);
        QVERIFY2(feedback.text.contains(QStringLiteral("could not remove")), qPrintable(feedback.text));
        QVERIFY(!feedback.text.contains(QStringLiteral("removed.")));
    }
};

QUOR_TEST_MAIN(TestQuorAICardNoKeyring)
#include "tst_quoraicardnokeyring.moc"
