#pragma once

#include <QByteArray>
#include <QList>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

class EventLoopTurns;

// Prepares the photos of an import on a worker thread, in import order and a
// few contacts ahead of the import loop, so that decoding large photos never
// holds up the window: the loop takes each prepared photo when it reaches
// its contact and lets the event loop run while it waits for one. The
// preparation is the stores' own (PhotoEncoding), so the stores keep the
// prepared photo as it is.
class PhotoPreparation
{
public:
    explicit PhotoPreparation(const QList<QByteArray> &photos);
    ~PhotoPreparation();
    PhotoPreparation(const PhotoPreparation &) = delete;
    PhotoPreparation &operator=(const PhotoPreparation &) = delete;

    // The prepared photo i (empty when it was no usable image); photos are
    // taken in order, each once.
    QByteArray take(int i, EventLoopTurns &turns);

private:
    void run();

    // How far the worker may run ahead of the import loop: bounds the memory
    // of prepared photos that wait for their contact.
    static constexpr int Lookahead = 8;

    std::vector<QByteArray> m_photos;
    std::vector<bool> m_ready;
    int m_taken = 0;
    bool m_stop = false;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::thread m_worker;
};
