// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QElapsedTimer>
#include <QMetaType>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class QThread;
class QTimer;

// How a piece of background work ended, as a value: no exception crosses the thread.
struct WorkerResult {
    enum Outcome { Done, Aborted, Failed };
    Outcome outcome = Done;
    long code = 0;   // meaningful for Failed
    QString text;    // user-facing text for Failed

    static WorkerResult done() { return {}; }
    static WorkerResult aborted() { return {Aborted, 0, {}}; }
    static WorkerResult failed(long code, const QString& text) { return {Failed, code, text}; }
};
Q_DECLARE_METATYPE(WorkerResult)

// What a running job sees of its runner: the stop flag and a rate-limited progress report.
// Used only on the worker thread, by the job it was handed to.
class WorkerContext {
public:
    bool stopRequested() const { return m_stop->load(std::memory_order_relaxed); }
    // Reports progress of one stage (an entry of a list, counted as the caller likes) in percent.
    // Reports within a stage are passed on at most every interval; the first report of a new
    // stage and 100 % always pass, so a listener sees every stage begin and end.
    void progress(int stage, int percent);

private:
    friend class WorkerRunnerWorker;
    WorkerContext(const std::shared_ptr<std::atomic<bool>>& stop, std::function<void(int, int)> emitter,
                  int intervalMs);
    std::shared_ptr<std::atomic<bool>> m_stop;
    std::function<void(int, int)> m_emit;
    int m_intervalMs;
    QElapsedTimer m_sinceLast;
    int m_lastStage = -1;
    int m_lastPercent = -1;
};

// Progress reports on their way from the worker to the runner's thread. The worker only wakes
// that thread when the box was empty; the runner then takes everything at once, so a job that
// reports often (a join of many short files begins and ends a stage per file) costs a wake-up
// per delivery interval rather than one per report.
struct WorkerProgressBox {
    struct Report {
        quint64 serial;
        int stage;
        int percent;
    };
    std::mutex lock;
    std::vector<Report> reports;
    bool wakePending = false;
};

// Lives on the worker thread; runs the jobs the runner queues to it.
class WorkerRunnerWorker : public QObject {
    Q_OBJECT
public:
    using Job = std::function<WorkerResult(WorkerContext&)>;
    WorkerRunnerWorker(std::shared_ptr<std::atomic<bool>> stop, int intervalMs,
                       std::shared_ptr<WorkerProgressBox> box);

    // Called on the worker thread through a queued call.
    void run(const Job& job, quint64 serial);

signals:
    void progressPosted();
    void finished(quint64 serial, WorkerResult result);

private:
    std::shared_ptr<std::atomic<bool>> m_stop;
    int m_intervalMs;
    std::shared_ptr<WorkerProgressBox> m_box;
};

// Runs one job at a time on a thread of its own and reports back on the thread that owns the
// runner (the GUI thread), through queued signals: any number of progress() reports, then exactly
// one finished() per accepted start. Stopping is cooperative: the job polls
// WorkerContext::stopRequested(). The thread is started on first use and ended by shutdown()
// (or the destructor): request stop, quit, wait. It is never terminated.
class WorkerRunner : public QObject {
    Q_OBJECT
public:
    using Job = WorkerRunnerWorker::Job;
    explicit WorkerRunner(QObject* parent = nullptr, int progressIntervalMs = 40);
    ~WorkerRunner() override;

    // Queues the job. False, and nothing queued, while an earlier job has not reported finished.
    bool start(Job job);
    // Asks the running job to stop; it then finishes, usually as Aborted.
    void requestStop();
    // True from an accepted start until its finished() has been delivered.
    bool isBusy() const { return m_busy; }
    // Stops the running job, waits for it and ends the thread. Nothing of that job is delivered
    // afterwards; a later start() begins a new thread.
    void shutdown();

signals:
    void progress(int stage, int percent);
    void finished(const WorkerResult& result);

private:
    void scheduleProgress();
    void deliverProgress();
    void onFinished(quint64 serial, const WorkerResult& result);

    std::shared_ptr<std::atomic<bool>> m_stop;
    std::shared_ptr<WorkerProgressBox> m_box;
    QTimer* m_deliveryTimer = nullptr;
    QElapsedTimer m_sinceDelivery;
    QThread* m_thread = nullptr;
    WorkerRunnerWorker* m_worker = nullptr;
    int m_intervalMs;
    quint64 m_serial = 0;
    bool m_busy = false;
};
