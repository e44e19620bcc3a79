// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/WorkerRunner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>

namespace {

TEST(WorkerRunner, RunsOffTheCallerThreadAndReportsOnIt)
{
    WorkerRunner runner;
    QThread* jobThread = nullptr;
    QList<QThread*> reportThreads;
    QObject::connect(&runner, &WorkerRunner::progress, [&](int, int) { reportThreads << QThread::currentThread(); });
    QObject::connect(&runner, &WorkerRunner::finished,
                     [&](const WorkerResult&) { reportThreads << QThread::currentThread(); });
    QSignalSpy finished(&runner, &WorkerRunner::finished);

    ASSERT_TRUE(runner.start([&](WorkerContext& context) {
        jobThread = QThread::currentThread();
        context.progress(1, 50);
        return WorkerResult::done();
    }));
    // Nothing is reported from inside start(), whatever the job does.
    EXPECT_EQ(finished.count(), 0);
    EXPECT_TRUE(runner.isBusy());
    EXPECT_FALSE(runner.start([](WorkerContext&) { return WorkerResult::done(); }));

    ASSERT_TRUE(finished.wait(5000));
    EXPECT_NE(jobThread, QThread::currentThread());
    ASSERT_EQ(reportThreads.size(), 2);
    for (QThread* t : reportThreads)
        EXPECT_EQ(t, QThread::currentThread());
    EXPECT_EQ(finished.at(0).at(0).value<WorkerResult>().outcome, WorkerResult::Done);
    EXPECT_FALSE(runner.isBusy());

    // The finished handler may start the next job at once (row-by-row windows do).
    QSignalSpy again(&runner, &WorkerRunner::finished);
    ASSERT_TRUE(runner.start([](WorkerContext&) { return WorkerResult::failed(7, QStringLiteral("bad")); }));
    ASSERT_TRUE(again.wait(5000));
    const auto result = again.at(0).at(0).value<WorkerResult>();
    EXPECT_EQ(result.outcome, WorkerResult::Failed);
    EXPECT_EQ(result.code, 7);
    EXPECT_EQ(result.text, QStringLiteral("bad"));
}

TEST(WorkerRunner, StopRequestEndsAPollingJobQuickly)
{
    WorkerRunner runner;
    QSignalSpy finished(&runner, &WorkerRunner::finished);
    std::atomic<bool> started{false};
    ASSERT_TRUE(runner.start([&](WorkerContext& context) {
        started = true;
        while (!context.stopRequested())
            QThread::usleep(200);
        return WorkerResult::aborted();
    }));
    QElapsedTimer waited;
    waited.start();
    while (!started && waited.elapsed() < 5000)
        QThread::msleep(1);
    QElapsedTimer timer;
    timer.start();
    runner.requestStop();
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_LT(timer.elapsed(), 300);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.at(0).at(0).value<WorkerResult>().outcome, WorkerResult::Aborted);

    // A fresh start is not stopped by the earlier request.
    QSignalSpy next(&runner, &WorkerRunner::finished);
    ASSERT_TRUE(runner.start([](WorkerContext& context) {
        return context.stopRequested() ? WorkerResult::aborted() : WorkerResult::done();
    }));
    ASSERT_TRUE(next.wait(5000));
    EXPECT_EQ(next.at(0).at(0).value<WorkerResult>().outcome, WorkerResult::Done);
}

TEST(WorkerRunner, ProgressIsRateLimitedButEveryStageBeginsAndEnds)
{
    WorkerRunner runner(nullptr, 1000);
    QList<QPair<int, int>> reports;
    QObject::connect(&runner, &WorkerRunner::progress, [&](int stage, int percent) { reports.append({stage, percent}); });
    QSignalSpy finished(&runner, &WorkerRunner::finished);
    ASSERT_TRUE(runner.start([](WorkerContext& context) {
        for (int stage = 1; stage <= 3; ++stage)
            for (int percent = 1; percent <= 100; ++percent)
                context.progress(stage, percent);
        return WorkerResult::done();
    }));
    ASSERT_TRUE(finished.wait(5000));
    const QList<QPair<int, int>> expected{{1, 1}, {1, 100}, {2, 1}, {2, 100}, {3, 1}, {3, 100}};
    EXPECT_EQ(reports, expected);
}

TEST(WorkerRunner, ReportsComeInBatchesYetAllInOrderAndWhileTheJobRuns)
{
    WorkerRunner runner(nullptr, 40);
    QList<QPair<int, int>> reports;
    std::atomic<bool> seenWhileRunning{false};
    QObject::connect(&runner, &WorkerRunner::progress, [&](int stage, int percent) {
        reports.append({stage, percent});
        if (stage == 5001)
            seenWhileRunning = true;
    });
    QSignalSpy finished(&runner, &WorkerRunner::finished);
    ASSERT_TRUE(runner.start([&](WorkerContext& context) {
        // A burst like a join of many short files: a stage begins and ends per file.
        for (int stage = 1; stage <= 5000; ++stage) {
            context.progress(stage, 0);
            context.progress(stage, 100);
        }
        // A report followed by a long silence still reaches the owner while the job runs.
        context.progress(5001, 50);
        QElapsedTimer waited;
        waited.start();
        while (!seenWhileRunning && waited.elapsed() < 5000)
            QThread::msleep(1);
        return WorkerResult::done();
    }));
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_TRUE(seenWhileRunning);
    ASSERT_EQ(reports.size(), 10001);
    for (int stage = 1; stage <= 5000; ++stage) {
        ASSERT_EQ(reports.at(2 * (stage - 1)), qMakePair(stage, 0));
        ASSERT_EQ(reports.at(2 * (stage - 1) + 1), qMakePair(stage, 100));
    }
    EXPECT_EQ(reports.last(), qMakePair(5001, 50));
}

TEST(WorkerRunner, AThrowingJobFinishesAsFailed)
{
    WorkerRunner runner;
    QSignalSpy finished(&runner, &WorkerRunner::finished);
    ASSERT_TRUE(runner.start([](WorkerContext&) -> WorkerResult { throw std::runtime_error("boom"); }));
    ASSERT_TRUE(finished.wait(5000));
    const auto result = finished.at(0).at(0).value<WorkerResult>();
    EXPECT_EQ(result.outcome, WorkerResult::Failed);
    EXPECT_EQ(result.text, QStringLiteral("boom"));
}

TEST(WorkerRunner, ShutdownStopsTheJobWaitsAndDeliversNothingMore)
{
    std::atomic<bool> started{false}, ended{false};
    auto runner = std::make_unique<WorkerRunner>();
    QSignalSpy finished(runner.get(), &WorkerRunner::finished);
    QSignalSpy progress(runner.get(), &WorkerRunner::progress);
    ASSERT_TRUE(runner->start([&](WorkerContext& context) {
        started = true;
        while (!context.stopRequested()) {
            context.progress(1, 10);
            QThread::usleep(100);
        }
        ended = true;
        return WorkerResult::aborted();
    }));
    while (!started)
        QThread::msleep(1);
    runner->shutdown();
    EXPECT_TRUE(ended);
    EXPECT_FALSE(runner->isBusy());
    QCoreApplication::processEvents();
    EXPECT_EQ(finished.count(), 0);
    EXPECT_EQ(progress.count(), 0);

    // A released runner can be used again, on a new thread, and reports only the new job.
    ASSERT_TRUE(runner->start([](WorkerContext&) { return WorkerResult::failed(3, QStringLiteral("new")); }));
    ASSERT_TRUE(finished.wait(5000));
    QCoreApplication::processEvents();
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.at(0).at(0).value<WorkerResult>().code, 3);
    EXPECT_EQ(progress.count(), 0);
}

}  // namespace
