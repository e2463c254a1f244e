#pragma once

#include <QJsonObject>
#include <QString>

namespace skywell
{

// One request of a client that manages the running instance without its
// window: the command line (over the instance socket) or the web page.
//
// command: "list", "add", "edit", "remove", "record", "stop", "status",
// "recordings". arguments: the command's options by their long names
// without "--": "name", "url", "source" (stream|soundcard|download),
// "output" (mp3-fm|mp3-am|mp3-cd|wav|as-broadcast|none), "once"
// (YYYY-MM-DD), "weekly" (mon,tue,...), "unscheduled" (true), "at" (HH:MM,
// local time), "length" (minutes), "split-titles" (true), "split-every"
// (minutes), "mute" (true), "minutes" (record). Values are strings, flags
// are true.
struct ControlRequest {
    QString command;
    QJsonObject arguments;
};

// Also the command line's exit status.
enum class ControlStatus {
    Done = 0,
    NothingRunning = 1, // nothing runs where it must (record, stop)
    Refused = 2,        // bad input: message says why, as the editor would
};

// data by command:
//   list:       {"shows": [Show...]}
//   add, edit:  {"show": Show}
//   status:     {"running": [{"show", "since", "until", "bytes", "level"}],
//                "next": {"show", "at"} or absent}
//   recordings: {"recordings": [{"file", "show", "date", "bytes", "seconds",
//                "mime"}]}
// where Show is {"name", "url", "source", "output", "schedule"
// (once|weekly|unscheduled), "once" (YYYY-MM-DD), "weekly" ([mon, ...]),
// "at" (HH:MM), "length" (minutes), "split-titles", "split-every", "mute",
// "next" (ISO 8601 local time, absent when none), "lastStatus"}. Times are
// ISO 8601 local time; "level" is 0..1; "file" is a file name in the
// recordings folder, never a path.
struct ControlReply {
    ControlStatus status = ControlStatus::Done;
    QString message; // what was done, or the refusal, for people
    QJsonObject data;
};

// Answers clients' requests on the instance's main thread. The one
// implementation acts on the running instance's Show list and recordings,
// so there is never a second writer of the Show file.
class ControlService
{
public:
    virtual ~ControlService() = default;
    virtual ControlReply handle(const ControlRequest &request) = 0;
};

} // namespace skywell
