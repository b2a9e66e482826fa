#include "QuorZubApp/ViewModels/ZubStudioViewModel.h"

#include "QuorKit/Cloud/QuorAIModelCatalogStore.h"
#include "QuorKit/Cloud/QuorCreditsAccountStore.h"
#include "QuorKit/Utilities/QuorAppLogger.h"
#include "QuorKit/Utilities/QuorAtomicFile.h"
#include "QuorKit/Utilities/QuorGraphemes.h"
#include "QuorKit/Utilities/QuorNotificationCenter.h"
#include "QuorZubApp/Views/ZubFloatingBarController.h"
#include "QuorZubApp/Views/ZubFloatingBarState.h"

#include <algorithm>

namespace {
const QString kAction = QStringLiteral("action");

QString trimmed(const QString& text)
{
    return text.trimmed();
}

QString characterCount(const QString& text)
{
    return QString::number(QuorGraphemes::count(text));
}
} // namespace

// --- Playground, action list, exclusions and history editing -----------------------------------

void ZubStudioViewModel::runPlaygroundAction(const ZubActionDefinition& action)
{
    m_playgroundExecutionTask.cancel();
    assign(m_isPlaygroundBusy, true);
    const QString text = m_playgroundText;
    const ZubConfig config = m_config;
    const QuorLanguage language = m_language;
    m_logger->info(QStringLiteral("Executing playground action '%1' (inputChars=%2)")
                       .arg(ZubActionKinds::rawValue(action.kind), characterCount(text)),
                   kAction);
    const QPointer<ZubStudioViewModel> self(this);
    m_playgroundExecutionTask.start([self, action, text, config, language](QuorCancellationToken token) {
        return runAction(self, action, text, config, language, token, &ZubStudioViewModel::finishPlaygroundAction);
    });
}

void ZubStudioViewModel::finishPlaygroundAction(const ZubActionDefinition& action, const ZubExecutionResult& result)
{
    assign(m_isPlaygroundBusy, false);
    assign(m_playgroundResult, std::optional<ZubExecutionResult>(result));
    logActionOutcome(QStringLiteral("Playground"), action, result);
    recordHistory(result);
    handleActionSideEffects(action, result);
}

void ZubStudioViewModel::toggleActionEnabled(const QUuid& id, bool enabled)
{
    for (ZubActionDefinition& action : m_config.actions) {
        if (action.id == id) {
            action.isEnabled = enabled;
            persistConfig();
            return;
        }
    }
}

void ZubStudioViewModel::moveAction(const QUuid& id, int offset)
{
    QList<ZubActionDefinition> sorted = m_config.sortedActions();
    const auto found = std::find_if(sorted.begin(), sorted.end(),
                                    [&id](const ZubActionDefinition& action) { return action.id == id; });
    if (found == sorted.end()) {
        return;
    }
    const qsizetype index = found - sorted.begin();
    const qsizetype target = index + offset;
    if (target < 0 || target >= sorted.size()) {
        return;
    }
    sorted.swapItemsAt(index, target);
    for (qsizetype i = 0; i < sorted.size(); ++i) {
        sorted[i].order = i;
    }
    m_config.actions = sorted;
    persistConfig();
}

void ZubStudioViewModel::addCustomAIAction(const QString& titleEN, const QString& titleTR, const QString& symbolName,
                                           const QString& prompt)
{
    const QString english = trimmed(titleEN);
    const QString turkish = trimmed(titleTR);
    const QString instruction = trimmed(prompt);
    if (instruction.isEmpty() || (english.isEmpty() && turkish.isEmpty())) {
        showToast(text(QStringLiteral("Title and prompt template are required."),
                       QStringLiteral("Başlık ve prompt şablonu gereklidir.")),
                  true);
        return;
    }
    qint64 order = 0;
    if (!m_config.actions.isEmpty()) {
        const auto highest = std::max_element(
            m_config.actions.cbegin(), m_config.actions.cend(),
            [](const ZubActionDefinition& a, const ZubActionDefinition& b) { return a.order < b.order; });
        order = highest->order + 1;
    }
    m_config.actions.append(ZubActionDefinition::make(
        QUuid::createUuid(), ZubActionKind::customAI, english.isEmpty() ? turkish : english,
        turkish.isEmpty() ? english : turkish, symbolName.isEmpty() ? QStringLiteral("sparkles") : symbolName, true,
        instruction, order));
    persistConfig(text(QStringLiteral("Custom AI action added."), QStringLiteral("Özel AI aksiyonu eklendi.")));
}

void ZubStudioViewModel::deleteCustomAction(const QUuid& id)
{
    m_config.actions.removeIf([&id](const ZubActionDefinition& action) {
        return action.id == id && action.kind == ZubActionKind::customAI;
    });
    normalizeActionOrder();
    persistConfig();
}

void ZubStudioViewModel::normalizeActionOrder()
{
    QList<ZubActionDefinition> sorted = m_config.sortedActions();
    for (qsizetype i = 0; i < sorted.size(); ++i) {
        sorted[i].order = i;
    }
    m_config.actions = sorted;
}

void ZubStudioViewModel::resetDefaultActions()
{
    m_config.actions = ZubActionDefinition::defaultActions();
    persistConfig(text(QStringLiteral("Restored default actions."), QStringLiteral("Varsayılan aksiyonlar geri yüklendi.")));
}

void ZubStudioViewModel::addExcludedBundleID(const QString& value)
{
    const QString entry = trimmed(value);
    if (entry.isEmpty() || m_config.excludedBundleIDs.contains(entry, Qt::CaseInsensitive)) {
        return;
    }
    m_config.excludedBundleIDs.append(entry);
    persistConfig();
}

void ZubStudioViewModel::removeExcludedBundleID(const QString& value)
{
    m_config.excludedBundleIDs.removeIf(
        [&value](const QString& entry) { return entry.compare(value, Qt::CaseInsensitive) == 0; });
    persistConfig();
}

void ZubStudioViewModel::toggleHistoryPin(const QUuid& id)
{
    const auto matches = [id](const ZubHistoryRecord& record) { return record.id == id; };
    if (std::none_of(m_history.cbegin(), m_history.cend(), matches)) {
        return;
    }
    editHistory([matches](QList<ZubHistoryRecord>& history) {
        const auto found = std::find_if(history.begin(), history.end(), matches);
        if (found != history.end()) {
            found->isPinned = !found->isPinned;
        }
    });
}

void ZubStudioViewModel::deleteHistoryRecord(const QUuid& id)
{
    editHistory([id](QList<ZubHistoryRecord>& history) {
        history.removeIf([&id](const ZubHistoryRecord& record) { return record.id == id; });
    });
}

void ZubStudioViewModel::clearUnpinnedHistory()
{
    editHistory(
        [](QList<ZubHistoryRecord>& history) {
            history.removeIf([](const ZubHistoryRecord& record) { return !record.isPinned; });
        },
        text(QStringLiteral("Cleared unpinned history."), QStringLiteral("Sabitlenmemiş geçmiş temizlendi.")));
}
