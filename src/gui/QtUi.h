// platform::Ui on Qt Widgets.
#pragma once

#include <QPointer>
#include <QWidget>
#include <map>
#include <memory>

#include "platform/Ui.h"

class QTimer;

namespace gui {

QString Q(const std::string& utf8);
std::string S(const QString& text);
// "desc|*.R;*.H|..." to Qt's "desc (*.R *.r *.H *.h);;...": patterns match
// in either letter case, as they did where the filters were made.
QStringList ConvertFilter(const std::string& filter);

class QtUi : public platform::Ui {
public:
    QtUi();
    ~QtUi() override;
    void SetParent(QWidget* parent) { parent_ = parent; }

    platform::MsgAnswer MessageBox(const std::string& text, const std::string& caption, platform::MsgKind kind,
                                   platform::MsgButtons buttons) override;
    platform::FileDialogResult OpenDialog(const platform::FileDialogOptions& options) override;
    platform::FileDialogResult SaveDialog(const platform::FileDialogOptions& options) override;
    std::optional<std::string> InputBox(const std::string& caption, const std::string& prompt,
                                        const std::string& value) override;
    std::optional<std::string> ChooseFolder(const std::string& caption, const std::string& initial) override;

    std::string ClipboardText() override;
    bool ClipboardHasBoxMarker() override;
    void SetClipboardText(const std::string& text, bool boxMarker) override;

    platform::TimerId StartTimer(int ms, std::function<void()> fire) override;
    void StopTimer(platform::TimerId id) override;

    void SetBusy(bool busy) override;
    void ProcessEvents() override;
    void Beep() override;
    bool OpenWithDesktop(const std::string& pathOrUrl) override;
    bool StartProgram(const std::string& program, const std::vector<std::string>& args) override;
    void HelpContents(const std::string& helpFile) override;
    void HelpKeyword(const std::string& helpFile, const std::string& keyword) override;
    void HelpQuit(const std::string& helpFile) override;

private:
    platform::FileDialogResult RunFileDialog(const platform::FileDialogOptions& o, bool save);

    // Text and HTML help files open in a small viewer of our own (one per
    // file, reused), which can jump to a keyword; other kinds go to the
    // desktop's handler, which shows them whole.
    void ShowHelpViewer(const std::string& helpFile, const QString& keyword);
    std::map<std::string, QPointer<QWidget>> helpViewers_;

    QPointer<QWidget> parent_;
    std::map<platform::TimerId, QTimer*> timers_;
    platform::TimerId nextTimer_ = 1;
    int busy_ = 0;
};

}  // namespace gui
