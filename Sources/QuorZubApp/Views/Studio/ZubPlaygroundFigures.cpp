#include "QuorZubApp/Views/Studio/ZubPlaygroundFigures.h"

#include "QuorZubCore/Engine/ZubOfflineTextEngine.h"

#include <QtConcurrent/QtConcurrentRun>

#include <QCoro/QCoroFuture>

ZubPlaygroundFigures::Figures ZubPlaygroundFigures::measure(const QString& text)
{
    return {ZubOfflineTextEngine::detectLanguage(text), ZubOfflineTextEngine::analyzeStats(text)};
}

std::optional<ZubPlaygroundFigures::Figures> ZubPlaygroundFigures::figures(const QString& text)
{
    // A text handed on unchanged shares its characters, so this is no comparison of megabytes.
    if (m_figures && text == m_measuredText) {
        return m_figures;
    }
    if (text.size() <= immediateLimit) {
        m_measuredText = text;
        m_figures = measure(text);
    } else if (!m_measuring) {
        m_measuring = true;
        measureOnWorker(QPointer<ZubPlaygroundFigures>(this), text);
    }
    return m_figures;
}

QCoro::Task<> ZubPlaygroundFigures::measureOnWorker(QPointer<ZubPlaygroundFigures> self, QString text)
{
    QFuture<Figures> measuring = QtConcurrent::run(&ZubPlaygroundFigures::measure, text);
    const Figures figures = co_await measuring;
    if (!self) {
        co_return;
    }
    self->m_measuring = false;
    self->m_measuredText = text;
    self->m_figures = figures;
    // Whoever shows the figures asks again, for the text they hold by now; through the event loop, as
    // a measure that ends before it is awaited resumes here inside figures().
    QMetaObject::invokeMethod(self.data(), &ZubPlaygroundFigures::measured, Qt::QueuedConnection);
}
