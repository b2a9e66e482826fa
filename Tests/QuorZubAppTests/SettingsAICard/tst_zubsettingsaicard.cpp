#include "QuorZubAppTests/Studio/FakeStudioModel.h"

#include "QuorZubApp/Views/Studio/ZubSettingsView.h"

#include "QuorKit/UI/AI/QuorAIUnifiedSettingsCard.h"
#include "Support/QuorTestSupport.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

namespace {
QAbstractButton* button(const QWidget& widget, const QString& name)
{
    return widget.findChild<QAbstractButton*>(name);
}

bool shown(const QWidget& card, const QString& name)
{
    return !card.findChild<QWidget*>(name)->isHidden();
}
} // namespace

// The settings tab hosts the AI card over the studio model: the configuration goes through the
// model's AI update, keys through its keyring operations, and the model's answers come back.
class TestZubSettingsAICard : public QObject {
    Q_OBJECT
private slots:
    void theCardEditsTheModelsAIConfiguration()
    {
        FakeStudioModel model;
        ZubSettingsView view(model, QColor(0xF4, 0x72, 0xD0));
        QuorAIUnifiedSettingsCard* card = view.aiCard();
        QVERIFY(card != nullptr);
        QVERIFY(view.isAncestorOf(card));

        button(*card, QStringLiteral("provider:ollamaLocal"))->click();
        QCOMPARE(model.count(QStringLiteral("updateAIConfig")), 1);
        QCOMPARE(model.persisted->aiConfig,
                 QuorAIConfig(QuorAIProvider::ollamaLocal, QStringLiteral("http://127.0.0.1:11434/api/chat"),
                              QStringLiteral("llama3.2")));

        // A change made elsewhere shows in the card at once.
        model.updateAIConfig(QuorAIConfig(QuorAIProvider::openAI));
        QVERIFY(card->presentation().tiles[1].isSelected);
        QVERIFY(shown(*card, QStringLiteral("apiKeyBlock")));
        // The card has no Connect button here, and the tab gives it the model's language.
        QCOMPARE(button(*card, QStringLiteral("connectTolvane")), nullptr);
        model.setLanguage(QuorLanguage::tr);
        QCOMPARE(card->presentation().headerTitle, QStringLiteral("AI Sağlayıcı"));
    }

    void keysGoThroughTheModelAndItsAnswerDecides()
    {
        FakeStudioModel model;
        model.updateAIConfig(QuorAIConfig(QuorAIProvider::openAI));
        ZubSettingsView view(model, QColor(0xF4, 0x72, 0xD0));
        QuorAIUnifiedSettingsCard* card = view.aiCard();
        auto* field = card->findChild<QLineEdit*>(QStringLiteral("apiKeyField"));

        field->setText(QStringLiteral("  sk-model-key  "));
        button(*card, QStringLiteral("saveKey"))->click();
        QUOR_TRY_VERIFY(card->uiState()->apiKeyFeedback().has_value());
        QVERIFY(model.calls.contains(QStringLiteral("saveAPIKeyToKeychain: sk-model-key")));
        QVERIFY(model.hasSavedAPIKey());
        QVERIFY(shown(*card, QStringLiteral("savedLabel")));
        QCOMPARE(card->uiState()->apiKeyFeedback()->text, QStringLiteral("API key saved."));

        button(*card, QStringLiteral("clearKey"))->click();
        QUOR_TRY_COMPARE(card->uiState()->apiKeyFeedback()->text, QStringLiteral("API key removed."));
        QVERIFY(model.calls.contains(QStringLiteral("deleteAPIKeyFromKeychain")));
        QVERIFY(!shown(*card, QStringLiteral("savedLabel")));
        QVERIFY(!shown(*card, QStringLiteral("clearKey")));

        // The keyring refuses: no "saved" anywhere, the reason under the field, the key still typed.
        model.keyringRefusal = QStringLiteral("Keyring save failed: the keyring is locked.");
        field->setText(QStringLiteral("sk-second"));
        button(*card, QStringLiteral("saveKey"))->click();
        QUOR_TRY_VERIFY(card->uiState()->apiKeyFeedback()->isError);
        QCOMPARE(card->findChild<QLabel*>(QStringLiteral("apiKeyFeedback"))->text(), *model.keyringRefusal);
        QVERIFY(!model.hasSavedAPIKey());
        QVERIFY(!shown(*card, QStringLiteral("savedLabel")));
        QCOMPARE(field->text(), QStringLiteral("sk-second"));
        QVERIFY(model.toastIsError());
    }
};

QUOR_TEST_MAIN(TestZubSettingsAICard)
#include "tst_zubsettingsaicard.moc"
