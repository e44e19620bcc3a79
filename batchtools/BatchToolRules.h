// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "settings/OutputFormatOptions.h"

#include <QDateTime>
#include <QString>

#include <vector>

// The rules of the batch tool windows (joiner, converter, splitter, ripper, burners) as plain
// functions, so every window and the tests share one copy. Paths use "/".
namespace BatchTool {

// The sub-folder part of an output path: the name followed by "/" when the box is ticked and
// the name is not empty, else empty.
QString GetUnderFolder(bool ticked, const QString& name);

// The folder the results go to: the destination, a "/" when it does not end with one (typed
// destinations often lack it, and the name must not run into the folder's own name), then the
// sub-folder part. An empty destination stays empty in front.
QString OutputFolder(const QString& destination, const QString& underFolder);

// The joined file's name: "[source_extension]" (the template's own extension, lower case),
// "[dest_extension]" (the target format's text up to " -", lower case; left as it is when the
// text has no " -"), "[time]" (HH-MM-SS) and "[date]" (short date, "/" made "-"), in this order.
QString ExpandJoinedFileName(const QString& nameTemplate, const QString& targetFormatText, const QDateTime& now,
                             const QString& shortDateFormat);

// Start and length in seconds of one row: -1 and -1 for a whole file ("1"); otherwise each of
// the two cells that holds a whole number gives it, and one that does not stays -1.
struct RowRange {
    long start = -1;
    long length = -1;
};
RowRange RangeOfRow(const QString& rangeAll, const QString& startText, const QString& lengthText);

// Set-as-default links: the destination link is enabled for any history entry but the first;
// the format and name-template links while the box's text differs from the stored default.
bool DestinationLinkEnabled(int selectedIndex);
bool DefaultLinkEnabled(const QString& boxText, const QString& storedDefault);

// 1 for a true option, 0 otherwise.
int OptionToCheckValue(bool option);

// The end-of-task actions that run, in their order; turning off only when no error came.
enum class EndAction { PlaySound, OpenFolder, NoticeApp, TurnOff };
std::vector<EndAction> EndActions(bool playSound, bool openFolder, bool noticeApp, bool turnOff, bool jobError);

// Whether something the joiner would overwrite stands at the path: any file, hidden ones
// included, and any symbolic link, also one that leads nowhere; a folder is not a file (the
// component refuses it with its own error).
bool OutputFileExists(const QString& path);

// The output format hand-over: code from the target-format text, the one settings call of that
// code with records built from the options now, and the log line. Works on any component with
// the shared member names (join, converter, ripper). Returns the log line.
template <class Component>
QString HandOverDestination(Component& component, const QString& targetFormatText,
                            const OutputFormatOptionsData& options = OutputFormatOptions)
{
    const int32_t code = DestinationFormatOf(targetFormatText);
    component.DestinationFormat(code);
    switch (code) {
    case 2: component.SetAcmFormat(options.cboTags, options.cboFormats); break;
    case 3: component.SetMp3Format(BuildMp3FormatRecord(options)); break;
    case 4: component.SetWmaFormat(BuildWmaFormatRecord(options)); break;
    case 5: component.SetOggFormat(BuildOggFormatRecord(options)); break;
    case 6: component.SetApeLevel(options.cboAPELevel); break;
    default: component.SetWavFormat(BuildWavFormatRecord(options)); break;
    }
    return DestinationFormatLogText(code);
}

// The end of a run in which rows failed, in place of "Done.": a run that wrote less than it was
// asked to must not look like one that wrote everything.
QString FailedRunText(long failed, long total);
// The end of a task with one output that failed ("join"), in the same words.
QString FailedTaskText(const QString& verb);

}  // namespace BatchTool
