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
    // The long copy, while it is being measured, is not yet what the figures at hand belong to.
    const bool measuredIsAtHand = !m_ofLongText || !m_measuring;
    if (m_figures && measuredIsAtHand && text == (m_ofLongText ? m_longText : m_shortText)) {
        return m_figures;
    }
    if (text.size() <= immediateLimit) {
        m_shortText = text;
        m_ofLongText = false;
        m_figures = measure(text);
    } else if (!m_measuring) {
        startMeasuring(text);
    }
    return m_figures;
}

void ZubPlaygroundFigures::startMeasuring(const QString& text)
{
    m_measuring = true;
    // Into the copy's own memory where it has room (the worker let go of it when it finished),
    // with room to grow as typing goes on.
    if (!m_longText.isDetached() || m_longText.capacity() < text.size()) {
        m_longText = QString();
        m_longText.reserve(text.size() + text.size() / 8);
    }
    m_longText.resize(0);
    m_longText.append(text.constData(), text.size());
    // The worker lets go of its share before it answers, so the copy is free again by the time
    // the next text is measured.
    measureOnWorker(QPointer<ZubPlaygroundFigures>(this), QtConcurrent::run([shared = m_longText]() mutable {
                        const Figures figures = measure(shared);
                        shared = QString();
                        return figures;
                    }));
}

QCoro::Task<> ZubPlaygroundFigures::measureOnWorker(QPointer<ZubPlaygroundFigures> self, QFuture<Figures> measuring)
{
    const Figures figures = co_await measuring;
    if (!self) {
        co_return;
    }
    self->m_measuring = false;
    self->m_ofLongText = true;
    self->m_figures = figures;
    // Whoever shows the figures asks again, for the text they hold by now; through the event loop, as
    // a measure that ends before it is awaited resumes here inside figures().
    QMetaObject::invokeMethod(self.data(), &ZubPlaygroundFigures::measured, Qt::QueuedConnection);
}
