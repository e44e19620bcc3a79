// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// Speaks one text with a freshly started speech engine and hands the samples and word positions
// to the program through file descriptor 3. The engine keeps state from one text into the next
// (its pitch flutter among others); a process of its own per text starts every text from the
// same state, so the same text always gives the same samples.
//
// Usage: quillmere-speech <voice identifier> <words per minute> <amplitude>, the UTF-8 text on
// standard input. Records on descriptor 3, native byte order, 32-bit fields:
//   'W' text position (from 1), length, audio position in ms   one spoken word
//   'A' n, then n 16-bit samples                                 audio
//   'E' (finished) or 'X' (failed)                               the last record

#include <espeak-ng/speak_lib.h>

#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

constexpr int kOut = 3;

bool writeAll(const void* data, size_t bytes)
{
    const char* p = static_cast<const char*>(data);
    while (bytes > 0) {
        const ssize_t n = ::write(kOut, p, bytes);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        bytes -= static_cast<size_t>(n);
    }
    return true;
}

int onSynth(short* wav, int samples, espeak_EVENT* events)
{
    for (espeak_EVENT* e = events; e && e->type != espeakEVENT_LIST_TERMINATED; ++e)
        if (e->type == espeakEVENT_WORD) {
            const int32_t rec[4] = {'W', e->text_position, e->length, e->audio_position};
            if (!writeAll(rec, sizeof rec))
                return 1;
        }
    if (wav && samples > 0) {
        const int32_t rec[2] = {'A', samples};
        if (!writeAll(rec, sizeof rec) || !writeAll(wav, size_t(samples) * 2))
            return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(0, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return 3;
        if (n == 0)
            break;
        text.append(buffer, static_cast<size_t>(n));
    }
    int32_t status = 'X';
    if (espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 200, nullptr, 0) > 0) {
        espeak_SetSynthCallback(onSynth);
        if (espeak_SetVoiceByName(argv[1]) == EE_OK) {
            espeak_SetParameter(espeakRATE, std::atoi(argv[2]), 0);
            espeak_SetParameter(espeakVOLUME, std::atoi(argv[3]), 0);
            unsigned int id = 0;
            if (espeak_Synth(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8 | espeakENDPAUSE, &id,
                             nullptr) == EE_OK)
                status = 'E';
        }
    }
    writeAll(&status, sizeof status);
    return 0;
}
