// The desktop services the logic needs: message boxes, file dialogs, the
// clipboard, timers, the busy cursor, the help viewer, handing files to the
// desktop. The program implements it with Qt; tests use a scripted fake.
// All text is UTF-8.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class MsgKind { Information, Warning, Error, Confirmation };
enum class MsgButtons { Ok, YesNo };
enum class MsgAnswer { Ok, Yes, No, Cancel };

struct FileDialogOptions {
    std::string title;
    // Windows style: "description|pattern;pattern|description|pattern...".
    std::string filter;
    int filterIndex = 1;  // 1-based, as the filter string counts
    std::string initialDir;
    std::string fileName;
    std::string defaultExt;  // without the dot; added when the chosen name has none
    bool multiSelect = false;
    // An open dialog may also name a file that does not exist yet.
    bool mustExist = true;
    // Called when the user picks another filter (1-based); returns the new
    // default extension.
    std::function<std::string(int filterIndex)> onTypeChange;
};

struct FileDialogResult {
    bool accepted = false;
    std::vector<std::string> files;  // full paths, in the order chosen
    int filterIndex = 1;
};

using TimerId = int;

class Ui {
public:
    virtual ~Ui() = default;

    virtual MsgAnswer MessageBox(const std::string& text, const std::string& caption, MsgKind kind,
                                 MsgButtons buttons) = 0;
    virtual FileDialogResult OpenDialog(const FileDialogOptions& options) = 0;
    virtual FileDialogResult SaveDialog(const FileDialogOptions& options) = 0;
    virtual std::optional<std::string> InputBox(const std::string& caption, const std::string& prompt,
                                                const std::string& value) = 0;
    virtual std::optional<std::string> ChooseFolder(const std::string& caption, const std::string& initial) = 0;

    // Clipboard: Unicode text, plus the marker that says it holds a box selection.
    virtual std::string ClipboardText() = 0;
    virtual bool ClipboardHasBoxMarker() = 0;
    virtual void SetClipboardText(const std::string& text, bool boxMarker) = 0;

    // One-shot timers: `fire` runs once after `ms` unless stopped first.
    virtual TimerId StartTimer(int ms, std::function<void()> fire) = 0;
    virtual void StopTimer(TimerId id) = 0;

    virtual void SetBusy(bool busy) = 0;
    virtual void ProcessEvents() = 0;
    virtual void Beep() = 0;

    // Hands a file or URL to the desktop's handler; false when none took it.
    virtual bool OpenWithDesktop(const std::string& pathOrUrl) = 0;
    virtual bool StartProgram(const std::string& program, const std::vector<std::string>& args) = 0;
    // Calls `method` with one string argument on the host application's
    // automation object `progId`. False when that host is not available,
    // which is always the case on a desktop that has no such host.
    virtual bool HostAutomation(const std::string& /*progId*/, const std::string& /*method*/,
                                const std::string& /*argument*/) {
        return false;
    }

    // Help files: contents, a keyword search, and the end of use.
    virtual void HelpContents(const std::string& helpFile) = 0;
    virtual void HelpKeyword(const std::string& helpFile, const std::string& keyword) = 0;
    virtual void HelpQuit(const std::string& helpFile) = 0;
};

}  // namespace platform
