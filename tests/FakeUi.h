// A scripted platform::Ui: queued answers for boxes and dialogs, a log of
// what was shown, and timers that the test fires.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/Ui.h"

class FakeUi : public platform::Ui {
public:
    std::deque<platform::MsgAnswer> answers;
    std::deque<platform::FileDialogResult> openResults, saveResults;
    std::vector<std::string> messages;  // the texts of the boxes shown
    std::vector<platform::FileDialogOptions> openRequests, saveRequests;
    std::vector<std::string> desktopOpened, helpCalls;
    std::map<platform::TimerId, std::pair<int, std::function<void()>>> timers;
    int processEventsCalls = 0;
    std::string clipboard;
    bool boxMarker = false;
    // Runs while a box is open (before it is answered).
    std::function<void(const std::string& text)> onMessage;

    static platform::FileDialogResult Chose(std::vector<std::string> files, int filterIndex = 1) {
        platform::FileDialogResult r;
        r.accepted = true;
        r.files = std::move(files);
        r.filterIndex = filterIndex;
        return r;
    }

    platform::MsgAnswer MessageBox(const std::string& text, const std::string&, platform::MsgKind,
                                   platform::MsgButtons buttons) override {
        messages.push_back(text);
        if (onMessage) onMessage(text);
        if (answers.empty()) return buttons == platform::MsgButtons::YesNo ? platform::MsgAnswer::No : platform::MsgAnswer::Ok;
        platform::MsgAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    platform::FileDialogResult OpenDialog(const platform::FileDialogOptions& o) override {
        openRequests.push_back(o);
        return Next(openResults);
    }
    platform::FileDialogResult SaveDialog(const platform::FileDialogOptions& o) override {
        saveRequests.push_back(o);
        return Next(saveResults);
    }
    std::deque<std::optional<std::string>> inputAnswers;  // none left: Cancel
    std::vector<std::pair<std::string, std::string>> inputRequests;  // caption, prompt
    std::optional<std::string> InputBox(const std::string& caption, const std::string& prompt,
                                        const std::string&) override {
        inputRequests.emplace_back(caption, prompt);
        if (inputAnswers.empty()) return std::nullopt;
        std::optional<std::string> a = inputAnswers.front();
        inputAnswers.pop_front();
        return a;
    }
    std::deque<std::optional<std::string>> folderAnswers;  // none left: Cancel
    std::vector<std::pair<std::string, std::string>> folderRequests;  // caption, initial folder
    std::optional<std::string> ChooseFolder(const std::string& caption, const std::string& initial) override {
        folderRequests.emplace_back(caption, initial);
        if (folderAnswers.empty()) return std::nullopt;
        std::optional<std::string> a = folderAnswers.front();
        folderAnswers.pop_front();
        return a;
    }
    std::string ClipboardText() override { return clipboard; }
    bool ClipboardHasBoxMarker() override { return boxMarker; }
    void SetClipboardText(const std::string& text, bool box) override {
        clipboard = text;
        boxMarker = box;
    }
    platform::TimerId StartTimer(int ms, std::function<void()> fire) override {
        platform::TimerId id = next_++;
        timers[id] = {ms, std::move(fire)};
        return id;
    }
    void StopTimer(platform::TimerId id) override { timers.erase(id); }
    // Fires every pending timer once (timers started meanwhile wait).
    void FireTimers() {
        auto pending = std::move(timers);
        timers.clear();
        for (auto& [id, t] : pending) t.second();
    }
    bool TimerPending(int ms) const {
        for (auto& [id, t] : timers)
            if (t.first == ms) return true;
        return false;
    }
    void SetBusy(bool) override {}
    void ProcessEvents() override { ++processEventsCalls; }
    int beeps = 0;
    void Beep() override { ++beeps; }
    bool desktopSucceeds = true;
    bool OpenWithDesktop(const std::string& path) override {
        desktopOpened.push_back(path);
        return desktopSucceeds;
    }
    std::vector<std::string> started;  // programs started
    bool startSucceeds = true;
    bool StartProgram(const std::string& program, const std::vector<std::string>&) override {
        started.push_back(program);
        return startSucceeds;
    }
    std::vector<std::string> automationCalls;  // "progId method argument"
    bool hostAvailable = false;
    bool HostAutomation(const std::string& progId, const std::string& method, const std::string& arg) override {
        automationCalls.push_back(progId + " " + method + " " + arg);
        return hostAvailable;
    }
    void HelpContents(const std::string& file) override { helpCalls.push_back("contents " + file); }
    void HelpKeyword(const std::string& file, const std::string& word) override {
        helpCalls.push_back("keyword " + file + " " + word);
    }
    void HelpQuit(const std::string& file) override { helpCalls.push_back("quit " + file); }

private:
    static platform::FileDialogResult Next(std::deque<platform::FileDialogResult>& q) {
        if (q.empty()) return {};
        platform::FileDialogResult r = q.front();
        q.pop_front();
        return r;
    }
    platform::TimerId next_ = 1;
};
