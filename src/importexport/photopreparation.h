#pragma once

#include <QByteArray>

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
    // A contact's photo as its file gave it.
    struct Photo
    {
        // The contact's index in the import loop.
        int contact;
        QByteArray bytes;
    };

    // photos: the photos of the import in the order of their contacts;
    // contacts without one are left out, and an import without photos
    // starts no thread.
    explicit PhotoPreparation(std::vector<Photo> photos);
    ~PhotoPreparation();
    PhotoPreparation(const PhotoPreparation &) = delete;
    PhotoPreparation &operator=(const PhotoPreparation &) = delete;

    // The prepared photo of contact i (empty when it has none or it was no
    // usable image); contacts are taken in order, each once.
    QByteArray take(int i, EventLoopTurns &turns);

private:
    void run();

    // How many photos the worker may prepare ahead of the import loop:
    // bounds the memory of prepared photos that wait for their contact.
    static constexpr size_t Lookahead = 8;

    std::vector<Photo> m_photos;
    std::vector<bool> m_ready;
    // The photos taken: the next one to take is m_photos[m_taken].
    size_t m_taken = 0;
    bool m_stop = false;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::thread m_worker;
};
