// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "components/cd/Burning.h"
#include "foundation/WorkerRunner.h"

#include <QMetaObject>
#include <QPointer>

#include <atomic>
#include <functional>
#include <memory>

namespace components {

// What the three burner components share: one burn at a time on a worker thread, its reports
// carried to the owner's (GUI) thread as queued calls, and a generation that silences
// everything still queued once the owner stops listening (Abort, Shutdown). GUI thread.
class BurnRun {
public:
    using Job = std::function<cd::BurnResult(const std::atomic<bool>& stop, const std::function<void(std::function<void()>)>& post)>;
    using End = std::function<void(const cd::BurnResult&)>;

    explicit BurnRun(QObject* owner) : m_owner(owner)
    {
        QObject::connect(&m_runner, &WorkerRunner::finished, owner, [this](const WorkerResult& r) {
            if (r.outcome == WorkerResult::Aborted)
                return;  // shut down: nothing more is told
            const cd::BurnResult result = m_last ? *m_last : cd::BurnResult{};
            End end = std::move(m_end);
            m_end = nullptr;
            if (end)
                end(result);
        });
    }
    ~BurnRun() { silence(); }

    bool busy() const { return m_runner.isBusy(); }

    // Starts the job; `end` gets its result, after every report it posted. False when a burn
    // runs already.
    bool start(Job job, End end)
    {
        if (m_runner.isBusy())
            return false;
        auto stop = std::make_shared<std::atomic<bool>>(false);
        m_stop = stop;
        auto last = std::make_shared<cd::BurnResult>();
        m_last = last;
        m_end = std::move(end);
        const quint64 generation = m_generation;
        QPointer<QObject> owner(m_owner);
        const BurnRun* self = this;
        auto post = [owner, generation, self](std::function<void()> fn) {
            QMetaObject::invokeMethod(
                owner.data(),
                [owner, generation, self, fn = std::move(fn)] {
                    if (owner && self->m_generation == generation)
                        fn();
                },
                Qt::QueuedConnection);
        };
        return m_runner.start([job = std::move(job), stop, last, post](WorkerContext&) {
            *last = job(*stop, post);
            return WorkerResult::done();
        });
    }

    // A start refused at once still answers later, on the event loop.
    void answerLater(std::function<void()> fn)
    {
        const quint64 generation = m_generation;
        QPointer<QObject> owner(m_owner);
        QMetaObject::invokeMethod(
            m_owner,
            [this, owner, generation, fn = std::move(fn)] {
                if (owner && m_generation == generation)
                    fn();
            },
            Qt::QueuedConnection);
    }

    // Asks a running burn to stop; it still ends through `end`, as stopped.
    void requestStop()
    {
        if (m_stop)
            m_stop->store(true);
    }

    // Stops a running burn, waits for it to clean up and drops everything still queued.
    void silence()
    {
        ++m_generation;
        if (m_stop)
            m_stop->store(true);
        m_end = nullptr;
        m_runner.shutdown();
    }

private:
    QObject* m_owner;
    WorkerRunner m_runner;
    std::shared_ptr<std::atomic<bool>> m_stop;
    std::shared_ptr<cd::BurnResult> m_last;
    End m_end;
    quint64 m_generation = 0;
};

}  // namespace components
