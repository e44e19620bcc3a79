// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "components/cAudioConverter.h"

// The output-format hand-over (BatchTool::HandOverDestination) speaks of DestinationFormat, as
// the join and ripper components name it; the converter calls the same setting OutputFormat.
// This puts the converter under the shared names for the length of one hand-over.
class ConverterFormatCalls {
public:
    explicit ConverterFormatCalls(cAudioConverter& converter) : m_c(converter) {}
    void DestinationFormat(long code) { m_c.OutputFormat(code); }
    void SetWavFormat(const engine::WavFormatRecord& r) { m_c.SetWavFormat(r); }
    void SetAcmFormat(const QString& tag, const QString& format) { m_c.SetAcmFormat(tag, format); }
    void SetMp3Format(const engine::Mp3FormatRecord& r) { m_c.SetMp3Format(r); }
    void SetWmaFormat(const engine::WmaFormatRecord& r) { m_c.SetWmaFormat(r); }
    void SetOggFormat(const engine::OggFormatRecord& r) { m_c.SetOggFormat(r); }
    void SetApeLevel(long level) { m_c.SetApeLevel(level); }

private:
    cAudioConverter& m_c;
};
