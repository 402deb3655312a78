#include "importexport/photopreparation.h"

#include "importexport/eventloopturns.h"
#include "storage/photoencoding.h"

#include <chrono>

PhotoPreparation::PhotoPreparation(const QList<QByteArray> &photos)
    : m_photos(photos.cbegin(), photos.cend()),
      m_ready(m_photos.size(), false)
{
    for (size_t i = 0; i < m_photos.size(); ++i) {
        m_ready[i] = m_photos[i].isEmpty();
    }
    m_worker = std::thread([this] { run(); });
}

PhotoPreparation::~PhotoPreparation()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_worker.join();
}

void PhotoPreparation::run()
{
    for (size_t i = 0; i < m_photos.size(); ++i) {
        QByteArray source;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            if (m_ready[i]) {
                continue;
            }
            m_changed.wait(lock, [&] { return m_stop || int(i) < m_taken + Lookahead; });
            if (m_stop) {
                return;
            }
            source = m_photos[i];
        }
        const QByteArray prepared = PhotoEncoding::normalizeBase64(source);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_photos[i] = prepared;
            m_ready[i] = true;
        }
        m_changed.notify_all();
    }
}

QByteArray PhotoPreparation::take(int i, EventLoopTurns &turns)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_photos[size_t(i)].isEmpty() && m_ready[size_t(i)]) {
        m_taken = i + 1;
        lock.unlock();
        m_changed.notify_all();
        return QByteArray();
    }
    while (!m_ready[size_t(i)]) {
        const bool ready = m_changed.wait_for(lock, std::chrono::milliseconds(turns.IntervalMs),
                                              [&] { return bool(m_ready[size_t(i)]); });
        if (!ready) {
            lock.unlock();
            turns.turn();
            lock.lock();
        }
    }
    QByteArray photo;
    photo.swap(m_photos[size_t(i)]);
    m_taken = i + 1;
    lock.unlock();
    m_changed.notify_all();
    return photo;
}
