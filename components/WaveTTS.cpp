// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cWaveTTS.h"

#include "components/OutputTarget.h"
#include "components/PcmWavFile.h"
#include "components/engine/PcmConverter.h"
#include "components/sound/PcmRing.h"
#include "components/sound/SoundOutput.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMediaDevices>
#include <QTimer>

#include <espeak-ng/speak_lib.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <deque>
#include <mutex>
#include <thread>

const std::vector<SpeechFormat>& SpeechFormatTable()
{
    static const std::vector<SpeechFormat> table = [] {
        std::vector<SpeechFormat> t;
        const struct {
            int khz, rate;
        } rates[] = {{8, 8000}, {11, 11025}, {12, 12000}, {16, 16000}, {22, 22050},
                     {24, 24000}, {32, 32000}, {44, 44100}, {48, 48000}};
        for (const auto& r : rates)
            for (int bits : {8, 16})
                for (int channels : {1, 2})
                    t.push_back({QStringLiteral("SAFT%1kHz%2Bit%3")
                                     .arg(r.khz)
                                     .arg(bits)
                                     .arg(channels == 1 ? QStringLiteral("Mono") : QStringLiteral("Stereo")),
                                 r.rate, bits, channels});
        return t;
    }();
    return table;
}

int SpeechWordsPerMinute(long rate)
{
    const double r = std::clamp<long>(rate, -10, 10);
    return static_cast<int>(std::lround(r < 0 ? 175 + r * (175 - 80) / 10.0 : 175 + r * (450 - 175) / 10.0));
}

int PreferredVoice(const QStringList& languages, const QString& localeName)
{
    // "pt_BR.UTF-8@euro" names the dialect "pt-br".
    const QString desk = localeName.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0).toLower().replace(
        QLatin1Char('_'), QLatin1Char('-'));
    const QString lang = desk.section(QLatin1Char('-'), 0, 0);
    int best = -1, bestScore = 0;
    for (int i = 0; i < languages.size(); ++i) {
        const QString l = languages.at(i).toLower();
        const int score = l == desk ? 4 : l == lang ? 3 : l == QLatin1String("en") ? 2 : l == QLatin1String("en-gb") ? 1 : 0;
        if (score > bestScore) {
            best = i;
            bestScore = score;
        }
    }
    return best;
}

extern char** environ;

namespace {

constexpr long kDefaultFormat = 18;  // SAFT22kHz16BitMono

struct Voice {
    QString name;
    QByteArray identifier;
};

// The process's one speech engine. Every call into it holds lock().
struct Engine {
    std::mutex mutex;
    bool ok = false;
    int rate = 22050;
    std::vector<Voice> voices;
};

// What a synthesis hands its caller.
struct SynthSink {
    std::function<bool(const short*, int)> audio;      // false stops the synthesis
    std::function<void(int, int, int)> word;           // text position from 1, length, ms
};

// The engine keeps state from one text into the next (its pitch flutter among others), so the
// same text would not give the same samples twice. Each text is therefore synthesised by the
// helper program beside this one, a fresh engine per text, as a separate run of the engine would.
// (A fork of this threaded program could not safely run the engine in the child.)
constexpr const char kHelperFile[] = "quillmere-speech";

QString helperPath()
{
    const QString exe = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    const QString folder = QFileInfo(exe).absolutePath();
    const QString name = QString::fromLatin1(kHelperFile);
    for (const QString& path : {QDir(folder).filePath(name), QDir::cleanPath(folder + QStringLiteral("/../bin/") + name),
                                QDir::cleanPath(folder + QStringLiteral("/../lib/quillmere/") + name)})
        if (QFileInfo(path).isExecutable())
            return path;
    return {};
}

bool writeAll(int fd, const void* data, size_t bytes)
{
    const char* p = static_cast<const char*>(data);
    while (bytes > 0) {
        const ssize_t n = ::send(fd, p, bytes, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        bytes -= static_cast<size_t>(n);
    }
    return true;
}

bool readAll(int fd, void* data, size_t bytes)
{
    char* p = static_cast<char*>(data);
    while (bytes > 0) {
        const ssize_t n = ::read(fd, p, bytes);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        bytes -= static_cast<size_t>(n);
    }
    return true;
}

Engine& engine()
{
    static Engine* e = [] {
        auto* en = new Engine;
        std::lock_guard lock(en->mutex);
        const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 200, nullptr, 0);
        if (rate <= 0)
            return en;
        en->ok = true;
        en->rate = rate;
        const espeak_VOICE** list = espeak_ListVoices(nullptr);
        QStringList languages;
        for (int i = 0; list && list[i]; ++i) {
            en->voices.push_back({QString::fromUtf8(list[i]->name), QByteArray(list[i]->identifier)});
            languages << QString::fromUtf8(list[i]->languages + 1);
        }
        const int best = PreferredVoice(languages, QLocale::system().name());
        if (best > 0)
            std::rotate(en->voices.begin(), en->voices.begin() + best, en->voices.begin() + best + 1);
        return en;
    }();
    return *e;
}

// Synthesises the text with the engine lock held; false with a reason when the engine failed.
bool synthesise(const QString& text, long voice, long rate, long volume, SynthSink& sink, QString* error)
{
    Engine& e = engine();
    std::lock_guard lock(e.mutex);
    if (!e.ok) {
        *error = QStringLiteral("The speech engine could not be started (espeak-ng-data missing?).");
        return false;
    }
    if (e.voices.empty()) {
        *error = QStringLiteral("The speech engine has no voices.");
        return false;
    }
    const size_t v = voice < 0 || voice >= static_cast<long>(e.voices.size()) ? 0 : static_cast<size_t>(voice);
    const QByteArray identifier = e.voices[v].identifier;
    const QString voiceName = e.voices[v].name;
    const int wpm = SpeechWordsPerMinute(rate);
    const int amplitude = static_cast<int>(std::clamp<long>(volume, 0, 200));
    const QByteArray utf8 = text.toUtf8();
    const QString helper = helperPath();
    if (helper.isEmpty()) {
        *error = QStringLiteral("The speech engine cannot be started: %1 is missing beside the program.")
                     .arg(QLatin1String(kHelperFile));
        return false;
    }
    // Text in through a socket (a helper that died early fails the send, it raises no SIGPIPE),
    // records out through a pipe on the helper's descriptor 3.
    int in[2], fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, in) != 0) {
        *error = QStringLiteral("The speech engine cannot be reached: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        *error = QStringLiteral("The speech engine cannot be reached: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        ::close(in[0]);
        ::close(in[1]);
        return false;
    }
    // Everything the child needs is made before it exists: posix_spawn runs only the
    // descriptor moves and the exec in it.
    const QByteArray program = QFile::encodeName(helper);
    const QByteArray wpmText = QByteArray::number(wpm), amplitudeText = QByteArray::number(amplitude);
    char* const argv[] = {const_cast<char*>(kHelperFile), const_cast<char*>(identifier.constData()),
                          const_cast<char*>(wpmText.constData()), const_cast<char*>(amplitudeText.constData()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[1], 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
    pid_t child = -1;
    const int spawned = ::posix_spawn(&child, program.constData(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[1]);
    ::close(fds[1]);
    if (spawned != 0) {
        ::close(in[0]);
        ::close(fds[0]);
        *error = QStringLiteral("The speech engine cannot be started: %1").arg(QString::fromLocal8Bit(std::strerror(spawned)));
        return false;
    }
    writeAll(in[0], utf8.constData(), static_cast<size_t>(utf8.size()));
    ::close(in[0]);
    bool ok = false, stopped = false;
    std::vector<short> samples;
    for (;;) {
        int32_t type = 0;
        if (!readAll(fds[0], &type, sizeof type))
            break;
        if (type == 'W') {
            int32_t rec[3];
            if (!readAll(fds[0], rec, sizeof rec))
                break;
            if (sink.word)
                sink.word(rec[0], rec[1], rec[2]);
        } else if (type == 'A') {
            int32_t n = 0;
            if (!readAll(fds[0], &n, sizeof n) || n < 0 || n > (1 << 24))
                break;
            samples.resize(static_cast<size_t>(n));
            if (!readAll(fds[0], samples.data(), size_t(n) * 2))
                break;
            if (!sink.audio(samples.data(), n)) {
                stopped = true;
                break;
            }
        } else {
            ok = type == 'E';
            if (!ok)
                *error = QStringLiteral("The voice '%1' cannot be used.").arg(voiceName);
            break;
        }
    }
    if (stopped || !ok)
        ::kill(child, SIGKILL);
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (stopped)
        return true;  // the caller asked for the end
    if (!ok && error->isEmpty())
        *error = QStringLiteral("The speech engine ended without finishing the text.");
    return ok;
}

engine::PcmFormat pcmOfId(long id)
{
    const auto& table = SpeechFormatTable();
    const SpeechFormat& f = table[static_cast<size_t>(id >= 0 && id < static_cast<long>(table.size()) ? id : kDefaultFormat)];
    engine::PcmFormat p;
    p.sampleRate = f.sampleRate;
    p.bitsPerSample = f.bits;
    p.channels = f.channels;
    return p;
}

// Character positions of the engine count code points from 1; the text box counts UTF-16 units.
long unitsBefore(const QString& text, int codePoint)
{
    long units = 0;
    int cp = 0;
    for (int i = 0; i < text.size() && cp < codePoint; ++i, ++units) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size())
            ++i, ++units;
        ++cp;
    }
    return units;
}

class WaveTTS final : public cWaveTTS {
public:
    WaveTTS()
    {
        m_poll.setInterval(20);
        connect(&m_poll, &QTimer::timeout, this, [this] { poll(); });
    }
    ~WaveTTS() override { Release(); }

    long VoiceCount() override { return static_cast<long>(engine().voices.size()); }
    QString VoiceName(long index) override
    {
        const auto& v = engine().voices;
        return index >= 1 && index <= static_cast<long>(v.size()) ? v[static_cast<size_t>(index - 1)].name : QString();
    }
    long OutputCount() override { return QMediaDevices::audioOutputs().size(); }
    QString OutputName(long index) override
    {
        const QList<QAudioDevice> outs = QMediaDevices::audioOutputs();
        return index >= 1 && index <= outs.size() ? outs.at(static_cast<int>(index - 1)).description() : QString();
    }
    void ListFormats() override
    {
        const auto& table = SpeechFormatTable();
        for (size_t i = 0; i < table.size(); ++i)
            emit FormatFound(table[i].name, static_cast<long>(i));
    }
    bool Status() const override { return m_speaking; }

    long Output() const override { return m_output; }
    void Output(long v) override { m_output = v; }
    long Voice() const override { return m_voice; }
    void Voice(long v) override { m_voice = v; }
    long Rate() const override { return m_rate; }
    void Rate(long v) override { m_rate = std::clamp<long>(v, -10, 10); }
    long Volume() const override { return m_volume; }
    void Volume(long v) override { m_volume = std::clamp<long>(v, 0, 200); }
    long SpeakMode() const override { return m_mode; }
    void SpeakMode(long v) override { m_mode = v; }
    long Format() const override { return m_format; }
    void Format(long id) override
    {
        if (id >= 0 && id < static_cast<long>(SpeechFormatTable().size()))
            m_format = id;
    }

    void Speak(const QString& text) override
    {
        Stop();  // a new speech replaces a running one
        const QAudioDevice device = sound::SoundOutput::OutputDevice(m_output);
        engine::PcmFormat wanted = pcmOfId(m_format), chosen;
        if (device.isNull() || !sound::SoundOutput::ChooseFormat(device, wanted, &chosen)) {
            m_lastError = QStringLiteral("There is no sound output to speak on.");
            return;
        }
        m_device = device;
        m_playFormat = chosen;
        m_text = text;
        m_speaking = true;
        m_synthDone = false;
        m_stop = false;
        m_ring = std::make_unique<sound::PcmRing>(static_cast<qint64>(chosen.sampleRate) * chosen.bytesPerFrame() * 2);
        {
            std::lock_guard lock(m_wordsLock);
            m_words.clear();
        }
        const long voice = m_voice, rate = m_rate, volume = m_volume;
        const int engineRate = engine().rate;
        m_worker = std::thread([this, text, voice, rate, volume, chosen, engineRate] {
            engine::PcmConverter converter;
            engine::PcmFormat in;
            in.sampleRate = engineRate;
            in.channels = 1;
            in.bitsPerSample = 16;
            QString error;
            bool ok = converter.configure(in, chosen, &error);
            std::vector<uint8_t> out;
            const auto cancelled = [this] { return m_stop.load(); };
            SynthSink sink;
            sink.audio = [&](const short* wav, int samples) {
                out.clear();
                const uint8_t* planes[1] = {reinterpret_cast<const uint8_t*>(wav)};
                if (!converter.convert(planes, samples, out, &error))
                    return false;
                return m_ring->write(reinterpret_cast<const char*>(out.data()), static_cast<qint64>(out.size()), cancelled);
            };
            sink.word = [&](int position, int length, int ms) {
                std::lock_guard lock(m_wordsLock);
                m_words.push_back({static_cast<qint64>(ms) * chosen.sampleRate / 1000, position, length});
            };
            if (ok)
                ok = synthesise(text, voice, rate, volume, sink, &error);
            out.clear();
            if (ok && converter.flush(out, &error) && !out.empty())
                m_ring->write(reinterpret_cast<const char*>(out.data()), static_cast<qint64>(out.size()), cancelled);
            m_ring->setEnd();
            m_synthDone = true;
        });
        m_poll.start();
    }

    void Stop() override
    {
        m_poll.stop();
        m_stop = true;
        if (m_ring)
            m_ring->clear();
        if (m_worker.joinable())
            m_worker.join();
        if (m_sound) {
            m_sound->disconnect(this);
            m_sound->stop();
        }
        m_sound.reset();
        m_ring.reset();
        m_speaking = false;
    }

    long SpeakToFile(const QString& text, const QString& path) override
    {
        m_lastError.clear();
        if (text.trimmed().isEmpty())
            return fail(ErrEmpty, QStringLiteral("There is no text to say."));
        if (!engine().ok)
            return fail(ErrEngine, QStringLiteral("The speech engine could not be started (espeak-ng-data missing?)."));
        const engine::PcmFormat target = pcmOfId(m_format);
        engine::PcmFormat in;
        in.sampleRate = engine().rate;
        in.channels = 1;
        in.bitsPerSample = 16;
        engine::PcmConverter converter;
        QString error;
        if (!converter.configure(in, target, &error))
            return fail(ErrFormat, error);
        components::OutputTarget output;
        PcmWavFile file;
        if (!output.resolve(path, &error) || !output.createPartFile(&error) ||
            !file.open(output.partFile(), output.file(), target, &error))
            return fail(ErrFile, components::WriteError(path, error));
        std::vector<uint8_t> out;
        bool written = true;
        SynthSink sink;
        sink.audio = [&](const short* wav, int samples) {
            out.clear();
            const uint8_t* planes[1] = {reinterpret_cast<const uint8_t*>(wav)};
            written = converter.convert(planes, samples, out, &error) &&
                      file.write(reinterpret_cast<const char*>(out.data()), static_cast<qint64>(out.size()), &error);
            return written;
        };
        if (!synthesise(text, m_voice, m_rate, m_volume, sink, &error))
            return fail(ErrVoice, error);
        out.clear();
        if (!written || !converter.flush(out, &error) ||
            !file.write(reinterpret_cast<const char*>(out.data()), static_cast<qint64>(out.size()), &error))
            return fail(ErrFile, error);
        if (file.dataBytes() == 0)
            return fail(ErrEmpty, QStringLiteral("There is nothing to say in the text."));
        if (!file.finish(-1, &error) || !output.commit(&error))
            return fail(ErrFile, error);
        return 0;
    }

    QString LastError() const override { return m_lastError; }
    void Release() override { Stop(); }

private:
    struct Word {
        qint64 frame;
        int position;
        int length;
    };

    long fail(long code, const QString& text)
    {
        m_lastError = text;
        return code;
    }

    void poll()
    {
        if (!m_ring)
            return;
        if (!m_sound) {
            // The output starts with a tenth of a second in hand (or the whole of a short speech).
            const qint64 enough = static_cast<qint64>(m_playFormat.sampleRate / 10) * m_playFormat.bytesPerFrame();
            if (m_ring->bytesReady() < enough && !m_synthDone)
                return;
            if (m_synthDone && m_ring->bytesReady() == 0) {
                finish();
                return;
            }
            m_sound = std::make_unique<sound::SoundOutput>();
            connect(m_sound.get(), &sound::SoundOutput::ended, this, [this] { finish(); }, Qt::QueuedConnection);
            QString error;
            if (!m_sound->start(m_device, m_playFormat, m_ring.get(), &error)) {
                m_lastError = error;
                m_sound.reset();
                Stop();
                return;
            }
        }
        emitWordsUpTo(m_sound->framesHeard());
    }

    void emitWordsUpTo(qint64 frame)
    {
        std::vector<Word> due;
        {
            std::lock_guard lock(m_wordsLock);
            while (!m_words.empty() && m_words.front().frame <= frame) {
                due.push_back(m_words.front());
                m_words.pop_front();
            }
        }
        for (const Word& w : due) {
            const long start = unitsBefore(m_text, w.position - 1);
            const long length = unitsBefore(m_text, w.position - 1 + w.length) - start;
            emit TextPosition(start, length);
        }
    }

    void finish()
    {
        if (!m_speaking)
            return;
        emitWordsUpTo(std::numeric_limits<qint64>::max());
        Stop();
        emit WholeText();
    }

    long m_output = -1, m_voice = 0, m_rate = 0, m_volume = 100, m_mode = 11, m_format = kDefaultFormat;
    QString m_lastError;

    bool m_speaking = false;
    QString m_text;
    QAudioDevice m_device;
    engine::PcmFormat m_playFormat;
    std::unique_ptr<sound::PcmRing> m_ring;
    std::unique_ptr<sound::SoundOutput> m_sound;
    std::thread m_worker;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_synthDone{false};
    std::mutex m_wordsLock;
    std::deque<Word> m_words;
    QTimer m_poll;
};

}  // namespace

std::unique_ptr<cWaveTTS> CreateWaveTTS() { return std::make_unique<WaveTTS>(); }
