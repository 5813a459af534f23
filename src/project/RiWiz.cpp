#include "project/RiWiz.h"

#include <algorithm>
#include <cctype>
#include <climits>

#include "platform/FileIO.h"
#include "platform/Path.h"
#include "platform/ShiftJis.h"

namespace project {

namespace {

constexpr const char* kPluginFilter = ".RXﾌｧｲﾙ|*.RX|.DLLファイル|*.DLL|全てのファイル|*.*";

}  // namespace

std::vector<std::string> MemoLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

std::string JoinMemoLines(const std::vector<std::string>& lines) {
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) text += '\n';
        text += lines[i];
    }
    return text;
}

std::string OneLine(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        out += text[i] == '\r' || text[i] == '\n' ? ' ' : text[i];
    }
    return out;
}

int LastStepNumber(const std::vector<std::string>& lines) {
    int last = 0;
    for (const std::string& line : lines) {
        if (line.empty()) continue;
        const std::string upper = platform::UpperCase(line);
        if (upper.size() < 6 || upper.compare(0, 5, "[STEP") != 0 || upper.back() != ']') continue;
        const std::string middle = upper.substr(5, upper.size() - 6);
        // Only a plain decimal that leaves room for the next number counts.
        if (middle.empty() || middle.size() > 9 ||
            !std::all_of(middle.begin(), middle.end(), [](unsigned char c) { return std::isdigit(c) != 0; }))
            continue;
        last = std::stoi(middle);
    }
    return last;
}

TRiWizForm::TRiWizForm(ProjectModel& model, platform::Ui& ui, std::string programFolder)
    : model_(model), ui_(ui), programFolder_(std::move(programFolder)) {}

std::string TRiWizForm::StartFolder() const {
    std::string folder = model_.IsOpen() ? model_.SourceDir() : std::string();
    return folder.empty() ? programFolder_ : folder;
}

platform::FileDialogResult TRiWizForm::BrowseForFile() {
    platform::FileDialogOptions o;
    o.filter = kPluginFilter;
    o.defaultExt = "RX";
    o.initialDir = StartFolder();
    return ui_.OpenDialog(o);
}

void TRiWizForm::BrowseClick() {
    platform::FileDialogResult r = BrowseForFile();
    if (r.accepted && !r.files.empty()) fileName = platform::ExtractFileName(r.files.front());
}

void TRiWizForm::OutputClick() {
    platform::FileDialogOptions o;
    o.title = "ｲﾝｽﾄｰﾙ情報ﾌｧｲﾙの作成先の選択";
    o.filter = "(*.RI)|*.RI";
    o.defaultExt = "RI";
    o.initialDir = StartFolder();
    platform::FileDialogResult r = ui_.SaveDialog(o);
    if (r.accepted && !r.files.empty()) output = r.files.front();
}

void TRiWizForm::AddCopyClick() {
    platform::FileDialogResult r = BrowseForFile();
    if (!r.accepted || r.files.empty()) return;
    std::vector<std::string> lines = MemoLines(copyText);
    lines.push_back(platform::ExtractFileName(r.files.front()));
    copyText = JoinMemoLines(lines);
}

void TRiWizForm::AddStepClick() {
    std::vector<std::string> lines = MemoLines(stepText);
    const int n = LastStepNumber(lines) + 1;
    lines.insert(lines.end(), {"", "[STEP" + std::to_string(n) + "]", "CAPTION=", "INPUT="});
    stepText = JoinMemoLines(lines);
}

std::vector<std::string> TRiWizForm::FileLines() const {
    auto pick = [](const auto& items, int index) {
        return index >= 0 && index < static_cast<int>(std::size(items)) ? std::string(items[index]) : std::string();
    };
    std::vector<std::string> lines = {
        "[INSTALL]",
        "VERSION=" + OneLine(version),
        "TITLE=" + OneLine(title),
        "FILENAME=" + OneLine(fileName),
        "ARG=" + OneLine(arg),
        "LOGFILENAME=" + OneLine(logFileName),
        "DEFAULT=" + pick(kDefaultActions, defaultAction),
        "NOLOGIN=" + std::to_string(noLogin),
        "ACCESS=" + std::to_string(access),
    };
    const std::vector<std::string> copies = MemoLines(copyText);
    for (size_t i = 0; i < copies.size(); ++i) lines.push_back("Copy" + std::to_string(i + 1) + "=" + copies[i]);
    lines.emplace_back();
    for (std::string& step : MemoLines(stepText)) lines.push_back(std::move(step));
    return lines;
}

bool TRiWizForm::OkClick() {
    outputNeedsFix_ = false;
    auto refuse = [&](const std::string& text, bool outputField) {
        ui_.MessageBox(text, "エラー", platform::MsgKind::Error, platform::MsgButtons::Ok);
        outputNeedsFix_ = outputField;
        return false;
    };
    if (output.empty()) return refuse("*.RI ﾌｧｲﾙの出力先を指定してください。", true);
    // A bare or relative name lies where the file dialogs start, not in
    // whatever folder the program was started from.
    const std::string one = OneLine(output);
    const std::string path = one.front() == '/' ? one : platform::JoinPath(StartFolder(), one);
    std::string utf8;
    for (const std::string& line : FileLines()) utf8 += line + "\r\n";
    platform::EncodeResult sjis = platform::EncodeSjis(utf8);
    if (!sjis.ok())
        return refuse("次の文字はShift-JISで表せないため出力できません:\n" + sjis.unconvertible, false);
    try {
        platform::WriteFileSafely(path, sjis.bytes);
    } catch (const std::exception& e) {
        return refuse(e.what(), true);
    }
    written_ = path;
    ui_.MessageBox(path + "に出力しました", "VeskC Builder", platform::MsgKind::Information, platform::MsgButtons::Ok);
    if (addToProject && model_.IsOpen()) model_.SetInstallInfo(model_.StoredPath(path));
    return true;
}

}  // namespace project
