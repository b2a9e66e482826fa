#pragma once

#include "QuorKit/Cloud/QuorKeychainStore.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/UI/QuorAPIKeyOutcome.h"

#include <QCoreApplication>
#include <QDir>
#include <QPainter>
#include <QVBoxLayout>
#include <QWidget>

#include <QCoro/QCoroTask>

// The keyring operations an application would hand the AI card: straight to the desktop keyring,
// each reporting what the keyring really did.
namespace ai_card_test {

inline const QString keyringService = QStringLiteral("com.tallowmer.quorzub");

inline QCoro::Task<QuorAPIKeyOutcome> keyringSave(QString account, QString key)
{
    std::optional<QString> refusal;
    try {
        co_await QuorKeychainStore::save(key, keyringService, account);
    } catch (const QuorKeychainError& error) {
        refusal = localizedDescription(error);
    }
    co_return refusal ? QuorAPIKeyOutcome::failed(*refusal) : QuorAPIKeyOutcome::done();
}

// Removal reports nothing itself, so the key is read back: gone only when it no longer loads.
inline QCoro::Task<QuorAPIKeyOutcome> keyringDelete(QString account)
{
    co_await QuorKeychainStore::deleteItem(keyringService, account);
    const std::optional<QString> left = co_await QuorKeychainStore::load(keyringService, account);
    co_return left ? QuorAPIKeyOutcome::failed(QStringLiteral("The key is still in the keyring."))
                   : QuorAPIKeyOutcome::done();
}

// A dark studio-like ground for grabs of the translucent card.
class Backdrop : public QWidget {
public:
    explicit Backdrop(QWidget* content)
    {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(20, 20, 20, 20);
        layout->addWidget(content);
        layout->addStretch(1);
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        QLinearGradient ground(0, 0, width(), height());
        ground.setColorAt(0, QColor(0x2A, 0x14, 0x2E));
        ground.setColorAt(1, QColor(0x14, 0x10, 0x22));
        painter.fillRect(rect(), ground);
    }
};

// Writes a grab into the build tree's screenshots folder once pending layout passes have run.
inline void saveScreenshot(QWidget* widget, const QString& name)
{
    for (int turn = 0; turn < 8; ++turn) {
        QCoreApplication::processEvents();
    }
    const QString folder = qEnvironmentVariable("QUOR_BINARY_DIR", QDir::tempPath()) + QStringLiteral("/screenshots");
    QDir().mkpath(folder);
    widget->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

} // namespace ai_card_test
