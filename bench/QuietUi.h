// A platform::Ui for benchmarks: no windows, it only counts event polls.
#pragma once

#include "platform/Ui.h"

namespace bench {

class QuietUi : public platform::Ui {
public:
    int events = 0;
    platform::MsgAnswer MessageBox(const std::string&, const std::string&, platform::MsgKind, platform::MsgButtons) override {
        return platform::MsgAnswer::Ok;
    }
    platform::FileDialogResult OpenDialog(const platform::FileDialogOptions&) override { return {}; }
    platform::FileDialogResult SaveDialog(const platform::FileDialogOptions&) override { return {}; }
    std::optional<std::string> InputBox(const std::string&, const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> ChooseFolder(const std::string&, const std::string&) override { return {}; }
    std::string ClipboardText() override { return {}; }
    bool ClipboardHasBoxMarker() override { return false; }
    void SetClipboardText(const std::string&, bool) override {}
    platform::TimerId StartTimer(int, std::function<void()>) override { return 0; }
    void StopTimer(platform::TimerId) override {}
    void SetBusy(bool) override {}
    void ProcessEvents() override { ++events; }
    void Beep() override {}
    bool OpenWithDesktop(const std::string&) override { return false; }
    bool StartProgram(const std::string&, const std::vector<std::string>&) override { return false; }
    void HelpContents(const std::string&) override {}
    void HelpKeyword(const std::string&, const std::string&) override {}
    void HelpQuit(const std::string&) override {}
};

}  // namespace bench
