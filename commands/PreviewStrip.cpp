// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "commands/PreviewStrip.h"

#include "components/cPlayer.h"
#include "platform/MessageBox.h"
#include "settings/ProgramOptions.h"

#include <QFileInfo>

#include <cmath>

namespace {
const QString kZeroTime = QStringLiteral("0:00:00");
}

PreviewStrip::PreviewStrip(cPlayer& player, PreviewStripHost& host, StripTimer& tmrPlayer, StripTimer& tmSlider,
                           StripTimer& tmrAudioData)
    : m_player(player), m_host(host), m_tmrPlayer(tmrPlayer), m_tmSlider(tmSlider), m_tmrAudioData(tmrAudioData)
{
}

long PreviewStrip::WholeSeconds(double seconds)
{
    if (!std::isfinite(seconds) || seconds <= 0)
        return 0;
    return static_cast<long>(std::nearbyint(seconds));  // the default rounding: a half to even
}

void PreviewStrip::LoadItemToPlayer()
{
    if (m_host.Rows() == 0)
        return;
    const QString path = m_host.RowFile(m_host.SelectedRow());
    if (path.isEmpty() || m_player.IsPlaying() || !QFileInfo(path).isFile())
        return;
    if (m_player.Load(path) != 0)
        return;
    m_host.SetTotalLengthText(m_player.FormatTime(WholeSeconds(m_player.Length())));
    m_host.SetPositionText(kZeroTime);
}

void PreviewStrip::StartPlay()
{
    if (m_host.Rows() == 0)
        return;
    if (m_player.IsPaused()) {
        m_player.Resume();
        m_host.SetButtonPressed(QStringLiteral("Pause"), false);
        return;
    }
    if (!m_tmrPlayer.IsOn() && m_player.IsPlaying()) {
        // A restart: this playback stops now, the row selected in 200 ms starts from its beginning.
        m_player.Stop();
        m_tmrPlayer.Start();
        return;
    }
    const long row = m_host.SelectedRow();
    const QString path = m_host.RowFile(row);
    if (!QFileInfo(path).isFile()) {
        platform::MsgBox(path + QStringLiteral(" is not existed."), platform::vbInformation | platform::vbOKOnly);
        m_host.ClickSelectedNode();
        return;
    }
    const long result = m_player.OpenAndPlay(path, ProgramOptions.cboDevices);
    if (result != 0) {
        m_player.ErrorReport(result);
        return;
    }
    m_host.SetStatus(QStringLiteral("Playing"), 38);
    const long length = WholeSeconds(m_player.Length());
    m_host.SetSliderMax(length > 0 ? length : 1);
    m_nodePlaying = m_host.SelectedNode();
    if (m_nodePlaying)
        m_host.SetNodePlaying(m_nodePlaying, true);
    m_host.SetTotalLengthText(m_player.FormatTime(length));
    m_tmSlider.Start();
    m_tmrAudioData.Start();
    m_host.SetRowBold(row, true);
}

void PreviewStrip::tmrPlayer_Timer()
{
    m_tmrPlayer.Stop();
    StartPlay();
}

void PreviewStrip::StopPlay()
{
    m_host.SetButtonEnabled(QStringLiteral("Play"), true);
    m_host.SetButtonPressed(QStringLiteral("Pause"), false);
    if (!m_player.IsPlaying())
        return;
    m_tmrAudioData.Stop();
    m_player.Stop();
    m_host.GraphClear(false);
    m_host.GraphClear(true);
    if (m_nodePlaying)
        m_host.SetNodePlaying(m_nodePlaying, false);
    m_nodePlaying = nullptr;
    m_tmrAudioData.Stop();
    m_tmSlider.Stop();
}

void PreviewStrip::tlbrPlayButtons_ButtonClick(long index) { makeRequest(m_host.ButtonKey(index).toUtf8().constData()); }

void PreviewStrip::makeRequest(const char* key)
{
    const QLatin1String k(key);
    if (k == QLatin1String("Play")) {
        StartPlay();
    } else if (k == QLatin1String("Pause")) {
        // The toolbar has already toggled the button.
        if (m_player.IsPlaying()) {
            if (m_host.ButtonPressed(QStringLiteral("Pause")))
                m_player.Pause();
            else
                m_player.Resume();
        } else {
            m_host.SetButtonPressed(QStringLiteral("Pause"), false);
        }
    } else if (k == QLatin1String("Stop")) {
        if (m_player.IsPaused())
            m_player.Resume();
        if (m_player.IsPlaying())
            StopPlay();
    }
}

void PreviewStrip::StopRequest() { makeRequest("Stop"); }

void PreviewStrip::cPlayer1_PlayEnd()
{
    m_tmrAudioData.Stop();
    m_tmSlider.Stop();
    m_host.SetSliderValue(0);
    m_host.GraphClear(false);
    m_host.GraphClear(true);
    m_host.SetPositionText(kZeroTime);
    StopRequest();
    m_host.SetStatus(QStringLiteral("Ready."), 47);
    m_host.SetRowUnBold();
    m_host.SetTreeDisplayFlag();
    if (!m_nodePlaying)
        return;
    m_host.SetNodePlaying(m_nodePlaying, false);
    // Only a file heard to its end goes on to the next row: a stop, from the strip or from a
    // command about to open a tool window, never starts another one.
    if (!m_player.ReachedEnd())
        return;
    if (!ProgramOptions.chkGoToNextItem)
        return;
    if (m_tmrPlayer.IsOn())
        return;
    const long rows = m_host.Rows();
    const long selected = m_host.SelectedRow();
    if (selected >= rows)
        return;
    for (long r = selected + 1; r <= rows; ++r) {
        if (m_host.RowMarked(r)) {
            m_host.SelectRow(r);
            makeRequest("Play");
            return;
        }
    }
}

void PreviewStrip::cSlider1_DragStart()
{
    if (m_player.IsPlaying())
        m_tmSlider.Stop();
}

void PreviewStrip::cSlider1_DragEnd()
{
    if (!m_player.IsPlaying())
        return;
    m_player.Seek(m_host.SliderValue());
    m_tmSlider.Start();
}

void PreviewStrip::tmSlider_Timer()
{
    const long position = m_player.Position();
    m_host.SetSliderValue(position);
    m_host.SetPositionText(m_player.FormatTime(position));
}

void PreviewStrip::tmrAudioData_Timer()
{
    if (!m_player.IsPlaying())
        return;
    m_host.GraphAudioData(true, m_player.CurrentAudioData());
    m_host.GraphRedraw(true);
    m_host.GraphAudioData(false, m_player.CurrentAudioData());
    m_host.GraphRedraw(false);
}
