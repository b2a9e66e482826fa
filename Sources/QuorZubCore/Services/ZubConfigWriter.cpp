#include "QuorZubCore/Services/ZubConfigWriter.h"

#include <QTimer>

#include <optional>
#include <utility>

// Lives on the writer's thread: holds the configuration that waits and writes it once no newer one
// came for the quiet time.
class ZubConfigWriter::Worker : public QObject {
public:
    Worker(ZubConfigStore store, std::chrono::milliseconds quietTime, ZubConfigWriter* owner)
        : m_store(std::move(store)), m_owner(owner), m_quiet(new QTimer(this))
    {
        m_quiet->setSingleShot(true);
        m_quiet->setInterval(quietTime);
        connect(m_quiet, &QTimer::timeout, this, &Worker::writeWaiting);
    }

    void take(ZubConfig config, quint64 number, bool promptly)
    {
        m_waiting = Waiting{std::move(config), number};
        if (promptly) {
            writeWaiting();
        } else {
            m_quiet->start();
        }
    }

    void writeWaiting()
    {
        m_quiet->stop();
        if (!m_waiting) {
            return;
        }
        const Waiting waiting = std::move(*m_waiting);
        m_waiting.reset();
        const ZubConfigStore::SaveResult result = m_store.saveConfig(waiting.config);
        ++m_owner->m_writeCount;
        ZubConfigWriter* owner = m_owner;
        // Dropped by Qt if the writer is gone by the time its thread runs it.
        QMetaObject::invokeMethod(
            owner, [owner, number = waiting.number, result] { emit owner->written(number, result); },
            Qt::QueuedConnection);
    }

private:
    struct Waiting {
        ZubConfig config;
        quint64 number = 0;
    };

    const ZubConfigStore m_store;
    ZubConfigWriter* const m_owner;
    QTimer* m_quiet;
    std::optional<Waiting> m_waiting;
};

ZubConfigWriter::ZubConfigWriter(ZubConfigStore store, std::chrono::milliseconds quietTime, QObject* parent)
    : QObject(parent), m_worker(new Worker(std::move(store), quietTime, this))
{
    m_thread.setObjectName(QStringLiteral("config writer"));
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.start();
}

ZubConfigWriter::~ZubConfigWriter()
{
    flush();
    m_thread.quit();
    m_thread.wait();
}

quint64 ZubConfigWriter::save(const ZubConfig& config, bool promptly)
{
    const quint64 number = ++m_lastNumber;
    Worker* worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker, config, number, promptly] { worker->take(config, number, promptly); }, Qt::QueuedConnection);
    return number;
}

void ZubConfigWriter::flush()
{
    Worker* worker = m_worker;
    QMetaObject::invokeMethod(worker, [worker] { worker->writeWaiting(); }, Qt::BlockingQueuedConnection);
}
