#include "importexport/photopreparation.h"

#include "importexport/eventloopturns.h"
#include "storage/photoencoding.h"

#include <chrono>

PhotoPreparation::PhotoPreparation(std::vector<Photo> photos)
    : m_photos(std::move(photos)),
      m_ready(m_photos.size(), false)
{
    if (!m_photos.empty()) {
        m_worker = std::thread([this] { run(); });
    }
}

PhotoPreparation::~PhotoPreparation()
{
    if (!m_worker.joinable()) {
        return;
    }
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
            m_changed.wait(lock, [&] { return m_stop || i < m_taken + Lookahead; });
            if (m_stop) {
                return;
            }
            source = m_photos[i].bytes;
        }
        const QByteArray prepared = PhotoEncoding::normalizeBase64(source);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_photos[i].bytes = prepared;
            m_ready[i] = true;
        }
        m_changed.notify_all();
    }
}

QByteArray PhotoPreparation::take(int i, EventLoopTurns &turns)
{
    // Only this thread moves m_taken: the photo it names is read without
    // the lock, and a contact without a photo takes none.
    const size_t next = m_taken;
    if (next == m_photos.size() || m_photos[next].contact != i) {
        return QByteArray();
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_ready[next]) {
        const bool ready = m_changed.wait_for(lock, std::chrono::milliseconds(turns.IntervalMs),
                                              [&] { return bool(m_ready[next]); });
        if (!ready) {
            lock.unlock();
            turns.turn();
            lock.lock();
        }
    }
    QByteArray photo;
    photo.swap(m_photos[next].bytes);
    m_taken = next + 1;
    lock.unlock();
    m_changed.notify_all();
    return photo;
}
