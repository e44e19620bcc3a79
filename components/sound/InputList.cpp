// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/sound/InputList.h"

#include <pulse/pulseaudio.h>

#include <QMetaObject>

#include <algorithm>
#include <mutex>

#include <sys/time.h>
#include <unistd.h>

namespace sound {

namespace {
// How long the first list may take; how long a lost server is left before it is tried again.
constexpr int kFirstListMs = 5000;
constexpr pa_usec_t kRetryUsec = 500 * 1000;

struct Listed {
    uint32_t index;
    InputDevice device;
};
}  // namespace

struct InputList::Private {
    InputList* q = nullptr;
    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;  // the loop's
    pa_time_event* retry = nullptr;  // the loop's
    bool stopping = false;           // the loop's
    bool answered = false;           // the loop's: a first list came, or the server is not there
    mutable std::mutex mutex;
    QList<InputDevice> inputs;  // under `mutex`

    // One reading of the whole list; readings end in the order they were asked for.
    struct Reading {
        Private* d;
        QList<Listed> listed;
    };
    QList<Reading*> readings;  // the loop's: asked for, not yet ended (a broken connection never ends them)

    // The loop's thread, with its lock held, from here on.
    void connect()
    {
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop);
        context = pa_context_new(api, "Quillmere inputs");
        if (!context) {
            failed();
            return;
        }
        pa_context_set_state_callback(context, onState, this);
        pa_context_set_subscribe_callback(context, onEvent, this);
        if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            failed();
    }
    // The server is away: nothing can be recorded from until it is back, and it is asked again.
    void failed()
    {
        if (stopping || retry)
            return;
        publish({});
        answered = true;
        pa_threaded_mainloop_signal(loop, 0);
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop);
        timeval when{};
        pa_timeval_add(pa_gettimeofday(&when), kRetryUsec);
        retry = api->time_new(api, &when, onRetry, this);
    }
    static void onRetry(pa_mainloop_api* api, pa_time_event* e, const timeval*, void* user)
    {
        auto* d = static_cast<Private*>(user);
        api->time_free(e);
        d->retry = nullptr;
        d->dropContext();
        if (!d->stopping)
            d->connect();
    }
    void dropContext()
    {
        if (!context)
            return;
        pa_context_set_state_callback(context, nullptr, nullptr);
        pa_context_set_subscribe_callback(context, nullptr, nullptr);
        pa_context_disconnect(context);
        pa_context_unref(context);
        context = nullptr;
    }
    // With the lock held: until a list came or the server turned out to be away.
    void waitForAnswer()
    {
        for (int waited = 0; !answered && waited < kFirstListMs; waited += 5) {
            pa_threaded_mainloop_unlock(loop);
            ::usleep(5000);
            pa_threaded_mainloop_lock(loop);
        }
    }
    static void onState(pa_context* c, void* user)
    {
        auto* d = static_cast<Private*>(user);
        switch (pa_context_get_state(c)) {
        case PA_CONTEXT_READY:
            if (pa_operation* op = pa_context_subscribe(c, PA_SUBSCRIPTION_MASK_SOURCE, nullptr, nullptr))
                pa_operation_unref(op);
            d->read();
            break;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            d->failed();
            break;
        default:
            break;
        }
    }
    static void onEvent(pa_context*, pa_subscription_event_type_t type, uint32_t, void* user)
    {
        if ((type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK) == PA_SUBSCRIPTION_EVENT_SOURCE)
            static_cast<Private*>(user)->read();
    }
    void read()
    {
        auto* r = new Reading{this, {}};
        if (pa_operation* op = pa_context_get_source_info_list(context, onSource, r)) {
            pa_operation_unref(op);
            readings.append(r);
        } else {
            delete r;
        }
    }
    static void onSource(pa_context*, const pa_source_info* info, int eol, void* user)
    {
        auto* r = static_cast<Reading*>(user);
        if (eol == 0 && info) {
            // A sink's monitor is what an output plays, not an input.
            if (info->monitor_of_sink == PA_INVALID_INDEX)
                r->listed.append({info->index,
                                  {QByteArray(info->name), QString::fromUtf8(info->description ? info->description : info->name),
                                   static_cast<int>(info->sample_spec.channels)}});
            return;
        }
        Private* d = r->d;
        if (eol > 0 && !d->stopping) {
            std::sort(r->listed.begin(), r->listed.end(),
                      [](const Listed& a, const Listed& b) { return a.index < b.index; });
            QList<InputDevice> list;
            for (const Listed& l : r->listed)
                list.append(l.device);
            d->publish(list);
            d->answered = true;
            pa_threaded_mainloop_signal(d->loop, 0);
        }
        d->readings.removeOne(r);
        delete r;
    }
    void publish(const QList<InputDevice>& list)
    {
        {
            std::lock_guard lock(mutex);
            if (list == inputs)
                return;
            inputs = list;
        }
        InputList* owner = q;
        QMetaObject::invokeMethod(q, [owner] { emit owner->changed(); }, Qt::QueuedConnection);
    }
};

InputList::InputList(QObject* parent) : QObject(parent), d(std::make_unique<Private>())
{
    d->q = this;
    d->loop = pa_threaded_mainloop_new();
    if (!d->loop)
        return;
    if (pa_threaded_mainloop_start(d->loop) < 0) {
        pa_threaded_mainloop_free(d->loop);
        d->loop = nullptr;
        return;
    }
    pa_threaded_mainloop_lock(d->loop);
    d->connect();
    d->waitForAnswer();
    pa_threaded_mainloop_unlock(d->loop);
}

void InputList::reconnectIfAway()
{
    if (!d->loop)
        return;
    pa_threaded_mainloop_lock(d->loop);
    if (d->retry) {
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(d->loop);
        api->time_free(d->retry);
        d->retry = nullptr;
        d->dropContext();
        d->answered = false;
        d->connect();
        d->waitForAnswer();
    }
    pa_threaded_mainloop_unlock(d->loop);
}

InputList::~InputList()
{
    if (!d->loop)
        return;
    pa_threaded_mainloop_lock(d->loop);
    d->stopping = true;
    if (d->retry) {
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(d->loop);
        api->time_free(d->retry);
        d->retry = nullptr;
    }
    d->dropContext();
    pa_threaded_mainloop_unlock(d->loop);
    pa_threaded_mainloop_stop(d->loop);
    pa_threaded_mainloop_free(d->loop);
    d->loop = nullptr;
    qDeleteAll(d->readings);
}

QList<InputDevice> InputList::inputs() const
{
    std::lock_guard lock(d->mutex);
    return d->inputs;
}

}  // namespace sound
