// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/WorkerRunner.h"

#include <QThread>
#include <QTimer>

#include <algorithm>
#include <utility>

WorkerContext::WorkerContext(const std::shared_ptr<std::atomic<bool>>& stop, std::function<void(int, int)> emitter,
                             int intervalMs)
    : m_stop(stop), m_emit(std::move(emitter)), m_intervalMs(intervalMs)
{
}

void WorkerContext::progress(int stage, int percent)
{
    percent = std::clamp(percent, 0, 100);
    if (stage == m_lastStage && percent == m_lastPercent)
        return;
    const bool always = stage != m_lastStage || percent == 100;
    if (!always && m_sinceLast.isValid() && m_sinceLast.elapsed() < m_intervalMs)
        return;
    m_lastStage = stage;
    m_lastPercent = percent;
    m_sinceLast.start();
    m_emit(stage, percent);
}

WorkerRunnerWorker::WorkerRunnerWorker(std::shared_ptr<std::atomic<bool>> stop, int intervalMs,
                                       std::shared_ptr<WorkerProgressBox> box)
    : m_stop(std::move(stop)), m_intervalMs(intervalMs), m_box(std::move(box))
{
}

void WorkerRunnerWorker::run(const Job& job, quint64 serial)
{
    auto post = [this, serial](int stage, int percent) {
        bool wake = false;
        {
            std::lock_guard guard(m_box->lock);
            m_box->reports.push_back({serial, stage, percent});
            wake = !m_box->wakePending;
            m_box->wakePending = true;
        }
        if (wake)
            emit progressPosted();
    };
    WorkerContext context(m_stop, post, m_intervalMs);
    WorkerResult result;
    try {
        result = job(context);
    } catch (const std::exception& e) {
        result = WorkerResult::failed(-1, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        result = WorkerResult::failed(-1, QStringLiteral("Unexpected failure."));
    }
    emit finished(serial, result);
}

WorkerRunner::WorkerRunner(QObject* parent, int progressIntervalMs)
    : QObject(parent),
      m_stop(std::make_shared<std::atomic<bool>>(false)),
      m_box(std::make_shared<WorkerProgressBox>()),
      m_deliveryTimer(new QTimer(this)),
      m_intervalMs(progressIntervalMs)
{
    qRegisterMetaType<WorkerResult>();
    m_deliveryTimer->setSingleShot(true);
    connect(m_deliveryTimer, &QTimer::timeout, this, &WorkerRunner::deliverProgress);
}

WorkerRunner::~WorkerRunner()
{
    shutdown();
}

bool WorkerRunner::start(Job job)
{
    if (m_busy || !job)
        return false;
    if (!m_thread) {
        m_thread = new QThread;
        m_thread->setObjectName(QStringLiteral("WorkerRunner"));
        m_worker = new WorkerRunnerWorker(m_stop, m_intervalMs, m_box);
        m_worker->moveToThread(m_thread);
        connect(m_worker, &WorkerRunnerWorker::progressPosted, this, &WorkerRunner::scheduleProgress,
                Qt::QueuedConnection);
        connect(m_worker, &WorkerRunnerWorker::finished, this, &WorkerRunner::onFinished, Qt::QueuedConnection);
        m_thread->start();
    }
    m_stop->store(false);
    m_busy = true;
    const quint64 serial = ++m_serial;
    QMetaObject::invokeMethod(
        m_worker, [worker = m_worker, job = std::move(job), serial] { worker->run(job, serial); },
        Qt::QueuedConnection);
    return true;
}

void WorkerRunner::requestStop()
{
    if (m_busy)
        m_stop->store(true);
}

void WorkerRunner::shutdown()
{
    m_stop->store(true);
    ++m_serial;  // whatever the old job had queued is stale now
    if (m_thread) {
        disconnect(m_worker, nullptr, this, nullptr);
        m_thread->quit();
        m_thread->wait();
        delete m_worker;
        delete m_thread;
        m_worker = nullptr;
        m_thread = nullptr;
    }
    m_deliveryTimer->stop();
    {
        std::lock_guard guard(m_box->lock);
        m_box->reports.clear();
        m_box->wakePending = false;  // its wake-up went with the disconnected worker
    }
    m_busy = false;
}

void WorkerRunner::scheduleProgress()
{
    // Reports that follow the last delivery closely wait for the rest of the interval, and
    // gather meanwhile; the job's end delivers whatever is still waiting first.
    const qint64 since = m_sinceDelivery.isValid() ? m_sinceDelivery.elapsed() : m_intervalMs;
    if (since >= m_intervalMs)
        deliverProgress();
    else if (!m_deliveryTimer->isActive())
        m_deliveryTimer->start(int(m_intervalMs - since));
}

void WorkerRunner::deliverProgress()
{
    m_deliveryTimer->stop();
    std::vector<WorkerProgressBox::Report> reports;
    {
        std::lock_guard guard(m_box->lock);
        reports.swap(m_box->reports);
        m_box->wakePending = false;
    }
    m_sinceDelivery.start();
    for (const WorkerProgressBox::Report& r : reports) {
        // A handler may shut the runner down or start the next job: check before every report.
        if (!m_busy || r.serial != m_serial)
            continue;
        emit progress(r.stage, r.percent);
    }
}

void WorkerRunner::onFinished(quint64 serial, const WorkerResult& result)
{
    if (!m_busy || serial != m_serial)
        return;
    deliverProgress();
    if (!m_busy || serial != m_serial)
        return;
    m_busy = false;
    emit finished(result);
}
