#include "QtUi.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QProcess>
#include <QTimer>
#include <QUrl>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

#include "SingleLine.h"
#include "platform/ShiftJis.h"
#include "reference/KeywordList.h"

namespace gui {

namespace {
const char* const kBoxMime = "application/x-teditor-box-type";

// Gives the keyboard back to the window and field that had it once a dialog
// closes; without a window manager nobody else does.
class ReturnFocus {
public:
    // `owner`: the window to go back to when none is active yet, as right
    // after another dialog closed (its window's activation still on the way).
    explicit ReturnFocus(QWidget* owner)
        : window_(QApplication::activeWindow()), focus_(QApplication::focusWidget()) {
        if (!window_ && owner) {
            window_ = owner->window();
            focus_ = window_->focusWidget();
        }
    }
    ~ReturnFocus() {
        if (window_) window_->activateWindow();
        if (focus_) focus_->setFocus(Qt::OtherFocusReason);
    }

private:
    QPointer<QWidget> window_;
    QPointer<QWidget> focus_;
};
}

QString Q(const std::string& utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }
std::string S(const QString& text) { return text.toUtf8().toStdString(); }

QStringList ConvertFilter(const std::string& filter) {
    QStringList parts = Q(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) continue;
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
            QString t = p.trimmed();
            if (t == "*.*") t = "*";
            for (const QString& v : {t, t.toLower(), t.toUpper()})
                if (!patterns.contains(v)) patterns << v;
        }
        out << parts[i] + " (" + patterns.join(' ') + ")";
    }
    return out;
}

QtUi::QtUi() = default;

QtUi::~QtUi() {
    for (auto& [id, timer] : timers_) delete timer;
}

platform::MsgAnswer QtUi::MessageBox(const std::string& text, const std::string& caption, platform::MsgKind kind,
                                     platform::MsgButtons buttons) {
    QMessageBox::Icon icon = QMessageBox::Information;
    switch (kind) {
        case platform::MsgKind::Information: icon = QMessageBox::Information; break;
        case platform::MsgKind::Warning: icon = QMessageBox::Warning; break;
        case platform::MsgKind::Error: icon = QMessageBox::Critical; break;
        case platform::MsgKind::Confirmation: icon = QMessageBox::Question; break;
    }
    // Made before the box so that it acts once the box is gone.
    ReturnFocus back(parent_);
    QMessageBox box(icon, Q(caption), Q(text),
                    buttons == platform::MsgButtons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    parent_);
    int r = box.exec();
    if (r == QMessageBox::Yes) return platform::MsgAnswer::Yes;
    if (r == QMessageBox::No) return platform::MsgAnswer::No;
    if (r == QMessageBox::Ok) return platform::MsgAnswer::Ok;
    return platform::MsgAnswer::Cancel;
}

platform::FileDialogResult QtUi::RunFileDialog(const platform::FileDialogOptions& o, bool save) {
    ReturnFocus back(parent_);
    // The desktop's own dialog where its platform theme offers one (it then
    // speaks the desktop's language); Qt's, translated, elsewhere.
    QFileDialog dlg(parent_, Q(o.title));
    dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(save || !o.mustExist ? QFileDialog::AnyFile
                                         : (o.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile));
    QStringList filters = ConvertFilter(o.filter);
    dlg.setNameFilters(filters);
    if (o.filterIndex >= 1 && o.filterIndex <= filters.size()) dlg.selectNameFilter(filters[o.filterIndex - 1]);
    if (!o.initialDir.empty() && QDir(Q(o.initialDir)).exists()) dlg.setDirectory(Q(o.initialDir));
    if (!o.fileName.empty()) dlg.selectFile(Q(o.fileName));
    dlg.setDefaultSuffix(Q(o.defaultExt));
    if (o.onTypeChange) {
        QObject::connect(&dlg, &QFileDialog::filterSelected, &dlg, [&dlg, &o, filters](const QString& f) {
            dlg.setDefaultSuffix(Q(o.onTypeChange(static_cast<int>(filters.indexOf(f)) + 1)));
        });
    }
    platform::FileDialogResult r;
    if (dlg.exec() != QDialog::Accepted) return r;
    r.accepted = true;
    for (const QString& f : dlg.selectedFiles()) r.files.push_back(S(QFileInfo(f).absoluteFilePath()));
    r.filterIndex = static_cast<int>(filters.indexOf(dlg.selectedNameFilter())) + 1;
    return r;
}

platform::FileDialogResult QtUi::OpenDialog(const platform::FileDialogOptions& o) { return RunFileDialog(o, false); }
platform::FileDialogResult QtUi::SaveDialog(const platform::FileDialogOptions& o) { return RunFileDialog(o, true); }

std::optional<std::string> QtUi::InputBox(const std::string& caption, const std::string& prompt,
                                          const std::string& value) {
    ReturnFocus back(parent_);
    QInputDialog dialog(parent_);
    dialog.setWindowTitle(Q(caption));
    dialog.setLabelText(Q(prompt));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(Q(value));
    SingleLineFields(&dialog);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return S(dialog.textValue());
}

std::optional<std::string> QtUi::ChooseFolder(const std::string& caption, const std::string& initial) {
    ReturnFocus back(parent_);
    QString dir = QFileDialog::getExistingDirectory(parent_, Q(caption), initial.empty() ? "/" : Q(initial));
    if (dir.isEmpty()) return std::nullopt;
    return S(dir);
}

std::string QtUi::ClipboardText() { return S(QApplication::clipboard()->text()); }

bool QtUi::ClipboardHasBoxMarker() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data && data->hasFormat(kBoxMime);
}

void QtUi::SetClipboardText(const std::string& text, bool boxMarker) {
    auto* data = new QMimeData;
    data->setText(Q(text));
    if (boxMarker) data->setData(kBoxMime, QByteArray());
    QApplication::clipboard()->setMimeData(data);
}

platform::TimerId QtUi::StartTimer(int ms, std::function<void()> fire) {
    platform::TimerId id = nextTimer_++;
    auto* timer = new QTimer;
    timer->setSingleShot(true);
    timer->setInterval(ms);
    timers_[id] = timer;
    QObject::connect(timer, &QTimer::timeout, [this, id, fire = std::move(fire)] {
        auto it = timers_.find(id);
        if (it == timers_.end()) return;
        it->second->deleteLater();
        timers_.erase(it);
        fire();
    });
    timer->start();
    return id;
}

void QtUi::StopTimer(platform::TimerId id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    it->second->stop();
    it->second->deleteLater();
    timers_.erase(it);
}

void QtUi::SetBusy(bool busy) {
    if (busy) {
        if (busy_++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (busy_ > 0 && --busy_ == 0) {
        QApplication::restoreOverrideCursor();
    }
}

void QtUi::ProcessEvents() { QApplication::processEvents(); }
void QtUi::Beep() { QApplication::beep(); }

bool QtUi::OpenWithDesktop(const std::string& pathOrUrl) {
    QString target = Q(pathOrUrl);
    QUrl url = QFileInfo::exists(target) ? QUrl::fromLocalFile(target) : QUrl(target);
    return QDesktopServices::openUrl(url);
}

bool QtUi::StartProgram(const std::string& program, const std::vector<std::string>& args) {
    QStringList list;
    for (const std::string& a : args) list << Q(a);
    return QProcess::startDetached(Q(program), list);
}

namespace {

bool BuiltInHelp(const QString& path) { return reference::HelpViewerShows(S(path)); }

}  // namespace

void QtUi::HelpContents(const std::string& helpFile) {
    if (!QFileInfo::exists(Q(helpFile))) {
        MessageBox("ヘルプファイルが見つかりません。\n" + helpFile, "エラー", platform::MsgKind::Error,
                   platform::MsgButtons::Ok);
        return;
    }
    if (BuiltInHelp(Q(helpFile))) ShowHelpViewer(helpFile, {});
    else if (!OpenWithDesktop(helpFile))
        MessageBox(helpFile + " を開くプログラムがありません。", "エラー", platform::MsgKind::Error,
                   platform::MsgButtons::Ok);
}

void QtUi::HelpKeyword(const std::string& helpFile, const std::string& keyword) {
    if (!BuiltInHelp(Q(helpFile)) || !QFileInfo::exists(Q(helpFile))) {
        HelpContents(helpFile);
        return;
    }
    ShowHelpViewer(helpFile, Q(keyword).trimmed());
}

void QtUi::ShowHelpViewer(const std::string& helpFile, const QString& keyword) {
    QPointer<QWidget>& slot = helpViewers_[helpFile];
    if (!slot) {
        auto* dialog = new QDialog(parent_);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setWindowTitle(QFileInfo(Q(helpFile)).fileName() + " - ヘルプ");
        dialog->resize(640, 480);
        auto* layout = new QVBoxLayout(dialog);
        auto* browser = new QTextBrowser(dialog);
        browser->setObjectName("helpText");
        browser->setOpenExternalLinks(true);
        auto* status = new QLabel(dialog);
        status->setObjectName("helpStatus");
        layout->addWidget(browser, 1);
        layout->addWidget(status);
        QFile file(Q(helpFile));
        QByteArray bytes;
        if (file.open(QIODevice::ReadOnly)) bytes = file.read(64 * 1024 * 1024);
        // A help text in Shift-JIS as often as in UTF-8.
        QString text = QString::fromUtf8(bytes);
        if (text.contains(QChar::ReplacementCharacter))
            text = Q(platform::DecodeSjis(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()))).text);
        const QString ext = QFileInfo(Q(helpFile)).suffix().toLower();
        browser->setSearchPaths({QFileInfo(Q(helpFile)).absolutePath()});
        if (ext == "htm" || ext == "html") browser->setHtml(text);
        else if (ext == "md") browser->setMarkdown(text);
        else browser->setPlainText(text);
        slot = dialog;
    }
    auto* browser = slot->findChild<QTextBrowser*>("helpText");
    auto* status = slot->findChild<QLabel*>("helpStatus");
    status->clear();
    if (!keyword.isEmpty()) {
        // Whole word first (the function itself, not a longer name), from the top.
        QTextCursor top(browser->document());
        browser->setTextCursor(top);
        QTextCursor hit = browser->document()->find(keyword, top, QTextDocument::FindWholeWords);
        if (hit.isNull()) hit = browser->document()->find(keyword, top);
        if (hit.isNull()) {
            status->setText("「" + keyword + "」は見つかりません");
        } else {
            browser->setTextCursor(hit);
            browser->ensureCursorVisible();
        }
    }
    slot->show();
    slot->raise();
    slot->activateWindow();
    browser->setFocus();
}

void QtUi::HelpQuit(const std::string&) {
    for (auto& [file, viewer] : helpViewers_)
        if (viewer) viewer->close();
    helpViewers_.clear();
}

}  // namespace gui
