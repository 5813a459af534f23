#include "EditorWidget.h"

#include <utility>

#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QHelpEvent>
#include <QToolTip>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

#include "Fonts.h"
#include "QtCanvas.h"
#include "QtUi.h"
#include "editor/EditorPainter.h"
#include "platform/ShiftJis.h"

namespace gui {

EditorWidget::EditorWidget(editor::TEditor* editor, QWidget* parent) : QAbstractScrollArea(parent), editor_(editor) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setMouseTracking(true);
    blink_.setInterval(QApplication::cursorFlashTime() > 0 ? QApplication::cursorFlashTime() / 2 : 500);
    connect(&blink_, &QTimer::timeout, this, [this] {
        caretOn_ = !caretOn_;
        if (editor_) editor_->InvalidateCaret();
    });
    // Each slice takes about 10 ms, so keys and paints go on between them.
    states_.setSingleShot(true);
    states_.setInterval(0);
    connect(&states_, &QTimer::timeout, this, [this] {
        if (editor_ && editor_->UpdateStatesSlice(10)) states_.start();
    });
    if (editor_) {
        editor_->SetWindow(this);
        editor_->SetMacroTarget(this);
    }
    Refresh();
}

void EditorWidget::StatesPending() {
    if (!states_.isActive()) states_.start();
}

EditorWidget::~EditorWidget() {
    LeaveRecorder();
    if (editor_) {
        editor_->SetWindow(nullptr);
        editor_->SetMacroTarget(nullptr);
    }
}

void EditorWidget::Detach() {
    LeaveRecorder();
    if (editor_) {
        editor_->SetWindow(nullptr);
        editor_->SetMacroTarget(nullptr);
    }
    editor_ = nullptr;
    onKeyDown = nullptr;
    takesKey = nullptr;
    onWheel = nullptr;
    onZoom = nullptr;
    onFocus = nullptr;
    onContextMenu = nullptr;
    onDoubleClick = nullptr;
    onRefused = nullptr;
    onBarToolTip = nullptr;
    blink_.stop();
    states_.stop();
}

bool EditorWidget::ApplyFont() {
    const editor::TEditorFont& f = editor_->Properties().font;
    std::string key = f.name + "/" + std::to_string(f.size);
    if (key == fontKey_) return false;
    fontKey_ = key;
    font_ = EditorFont(f.name, f.size);
    rawFont_ = QRawFont::fromFont(font_);
    QFontMetrics fm(font_);
    ascent_ = fm.ascent();
    return true;
}

void EditorWidget::Relayout() {
    QFontMetrics fm(font_);
    editor_->RecomputeMetrics(fm.height() + fm.leading(), std::max(1, fm.horizontalAdvance(QLatin1Char('0'))),
                              viewport()->width(), viewport()->height());
}

void EditorWidget::Refresh() {
    if (!editor_) return;
    // Shown bars stay shown, disabled when there is nothing to scroll.
    const editor::TScrollBars bars = editor_->Properties().scrollBars;
    setVerticalScrollBarPolicy(bars == editor::ssVertical || bars == editor::ssBoth ? Qt::ScrollBarAlwaysOn
                                                                                     : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(bars == editor::ssHorizontal || bars == editor::ssBoth ? Qt::ScrollBarAlwaysOn
                                                                                         : Qt::ScrollBarAlwaysOff);
    // Only a new font lays the window out again; everything else the
    // editor repaints itself, as little as it needs.
    if (!ApplyFont()) return;
    Relayout();
    // Larger rows (a zoom, a new size) must not leave the caret below the
    // window, where typing would go unseen.
    editor_->ScrollCaretIntoView();
    UpdateScrollBars();
    viewport()->update();
}

void EditorWidget::UpdateScrollBars() {
    if (!editor_) return;
    syncing_ = true;
    const int rows = editor_->VisibleRows(), cols = editor_->VisibleColumns();
    verticalScrollBar()->setRange(0, editor_->MaxTopRow());
    verticalScrollBar()->setPageStep(rows);
    verticalScrollBar()->setValue(editor_->TopRow());
    horizontalScrollBar()->setRange(0, editor_->MaxLeftColumn());
    horizontalScrollBar()->setPageStep(cols);
    horizontalScrollBar()->setValue(editor_->LeftColumn());
    syncing_ = false;
}

void EditorWidget::InvalidateRect(const editor::TRect& r) {
    QRect q = QRect(r.left, r.top, r.Width(), r.Height()) & viewport()->rect();
    if (q.isEmpty()) return;
    pending_ += q;
    viewport()->update(q);
}

void EditorWidget::ScrollRect(const editor::TRect& area, int dx, int dy) {
    const QRect a = QRect(area.left, area.top, area.Width(), area.Height()) & viewport()->rect();
    if (a.isEmpty()) return;
    if (std::abs(dx) >= a.width() || std::abs(dy) >= a.height()) {
        InvalidateRect(area);  // nothing of it stays on screen
        return;
    }
    const QRegion moved = (pending_ & a).translated(dx, dy) & a;
    viewport()->scroll(dx, dy, a);
    // Uncovered by the move, and awaiting paint like the rest.
    pending_ += QRegion(a) - QRegion(a.translated(dx, dy));
    if (!moved.isEmpty()) {
        pending_ += moved;
        viewport()->update(moved);
    }
}

void EditorWidget::UpdateNow() {
    if (!pending_.isEmpty() && viewport()->isVisible()) viewport()->repaint(pending_);
}

void EditorWidget::paintEvent(QPaintEvent* event) {
    pending_ -= event->region();
    QPainter p(viewport());
    if (!editor_) {
        p.fillRect(viewport()->rect(), palette().base());
        return;
    }
    QtCanvas canvas(p, font_, rawFont_, ascent_);
    editor::TEditorPainter painter(*editor_);
    // Each rectangle of the region on its own: a changed row and a row
    // uncovered by a scroll far below it are not painted with all between.
    for (const QRect& r : event->region()) {
        p.setClipRect(r);
        painter.Paint(canvas, {r.left(), r.top(), r.right() + 1, r.bottom() + 1}, caretOn_);
    }
}

void EditorWidget::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (!editor_) return;
    Relayout();
    UpdateScrollBars();
}

int EditorWidget::ZoomKey(const QKeyEvent& event) {
    const Qt::KeyboardModifiers m = event.modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    if (m != Qt::ControlModifier) return 0;
    switch (event.key()) {
        case Qt::Key_Plus:
        case Qt::Key_Equal: return 1;
        case Qt::Key_Minus: return -1;
        default: return 0;
    }
}

void EditorWidget::wheelEvent(QWheelEvent* event) {
    int delta = event->angleDelta().y();
    if (event->modifiers() & Qt::ControlModifier) {
        zoomDelta_ += delta;
        const int steps = zoomDelta_ / QWheelEvent::DefaultDeltasPerStep;
        zoomDelta_ -= steps * QWheelEvent::DefaultDeltasPerStep;
        if (steps != 0 && onZoom) onZoom(steps);
        event->accept();
        return;
    }
    zoomDelta_ = 0;
    if (delta != 0 && onWheel) {
        onWheel(delta);
        UpdateScrollBars();
    }
    event->accept();
}

void EditorWidget::RestartBlink() {
    if (!caretOn_ && editor_) editor_->InvalidateCaret();
    caretOn_ = true;
    if (hasFocus()) blink_.start();
}

void EditorWidget::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    if (editor_) editor_->SetFocused(true);
    if (onFocus) onFocus(true);
    RestartBlink();
}

void EditorWidget::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    blink_.stop();
    if (editor_) editor_->SetFocused(false);
    if (onFocus) onFocus(false);
}

void EditorWidget::contextMenuEvent(QContextMenuEvent* event) {
    // Ctrl with the right button asks for a keyword hint instead.
    bool consumed = std::exchange(pressConsumed_, false);
    if (event->reason() == QContextMenuEvent::Mouse && (consumed || (event->modifiers() & Qt::ControlModifier))) return;
    if (onContextMenu) onContextMenu(event->globalPos());
    else if (editor_ && editor_->PopupMenu().AutoPopup()) ShowEditorPopup(event->globalPos());
}

namespace {

void AddPopupItems(QMenu* menu, editor::TEditorPopupMenu& popup, const std::vector<editor::TEditorPopupItem>& items) {
    using C = editor::TEditorPopupCommand;
    for (const editor::TEditorPopupItem& item : items) {
        if (item.command == C::Separator) {
            menu->addSeparator();
            continue;
        }
        if (item.command == C::Submenu) {
            AddPopupItems(menu->addMenu(Q(item.caption)), popup, item.items);
            continue;
        }
        QAction* action = menu->addAction(Q(item.caption + (item.shortcut.empty() ? "" : "\t" + item.shortcut)));
        action->setEnabled(item.enabled);
        action->setCheckable(item.checked);
        action->setChecked(item.checked);
        const editor::TEditorPopupItem* target = &item;
        QObject::connect(action, &QAction::triggered, menu, [&popup, target] { popup.Click(*target); });
    }
}

}  // namespace

void EditorWidget::ShowEditorPopup(const QPoint& globalPos) {
    editor::TEditorPopupMenu& popup = editor_->PopupMenu();
    popup.Update();
    QMenu menu(this);
    AddPopupItems(&menu, popup, popup.Items());
    menu.exec(globalPos);
    UpdateScrollBars();
}

void EditorWidget::scrollContentsBy(int, int) {
    if (syncing_ || !editor_) return;
    editor_->ScrollBarTopRow(verticalScrollBar()->value());
    editor_->ScrollBarLeftColumn(horizontalScrollBar()->value());
}

editor::TKeyState EditorWidget::Keys(Qt::KeyboardModifiers m) {
    editor::TKeyState k;
    k.shift = m & Qt::ShiftModifier;
    k.ctrl = m & Qt::ControlModifier;
    k.alt = m & Qt::AltModifier;
    return k;
}

int EditorWidget::VirtualKey(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Backspace: return editor::vkBack;
        case Qt::Key_Tab: case Qt::Key_Backtab: return editor::vkTab;
        case Qt::Key_Return: case Qt::Key_Enter: return editor::vkReturn;
        case Qt::Key_PageUp: return editor::vkPrior;
        case Qt::Key_PageDown: return editor::vkNext;
        case Qt::Key_End: return editor::vkEnd;
        case Qt::Key_Home: return editor::vkHome;
        case Qt::Key_Left: return editor::vkLeft;
        case Qt::Key_Up: return editor::vkUp;
        case Qt::Key_Right: return editor::vkRight;
        case Qt::Key_Down: return editor::vkDown;
        case Qt::Key_Insert: return editor::vkInsert;
        case Qt::Key_Delete: return editor::vkDelete;
        case Qt::Key_Escape: return 27;
        default:
            if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) return 112 + (qtKey - Qt::Key_F1);
            if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) return qtKey;
            return 0;
    }
}

int EditorWidget::VirtualKey(const QKeyEvent& event) {
    int vk = VirtualKey(event.key());
    if (vk || !(event.modifiers() & Qt::ControlModifier)) return vk;
    // Ctrl+Space (completion) is a command; a plain space stays typing only.
    if (event.key() == Qt::Key_Space) return ' ';
    // X and Wayland key codes 10..19 are the digit row's keys 1..9, 0 on every layout.
    const quint32 code = event.nativeScanCode();
    if (code >= 10 && code <= 19)
        return code == 19 ? '0' : static_cast<int>('1' + (code - 10));
    return 0;
}

namespace {

// The Qt key of one of the virtual keys above.
int QtKeyOf(int vk) {
    static const std::pair<int, int> table[] = {
        {editor::vkBack, Qt::Key_Backspace}, {editor::vkTab, Qt::Key_Tab},     {editor::vkReturn, Qt::Key_Return},
        {editor::vkPrior, Qt::Key_PageUp},   {editor::vkNext, Qt::Key_PageDown}, {editor::vkEnd, Qt::Key_End},
        {editor::vkHome, Qt::Key_Home},      {editor::vkLeft, Qt::Key_Left},   {editor::vkUp, Qt::Key_Up},
        {editor::vkRight, Qt::Key_Right},    {editor::vkDown, Qt::Key_Down},   {editor::vkInsert, Qt::Key_Insert},
        {editor::vkDelete, Qt::Key_Delete},  {27, Qt::Key_Escape},
    };
    for (auto [v, q] : table)
        if (v == vk) return q;
    if (vk >= 112 && vk <= 123) return Qt::Key_F1 + (vk - 112);
    return vk;  // letters and digits
}

}  // namespace

bool EditorWidget::IsContextMenuKey(const QKeyEvent& event) {
    return event.key() == Qt::Key_F10 && (event.modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier;
}

bool EditorWidget::event(QEvent* event) {
    // The editor's own shortcuts and the document window's keys win over
    // the main window's menu shortcuts while the editor has the focus.
    // Every key press passes here first, so a keyboard macro records it
    // here, shortcut or not.
    if (event->type() == QEvent::ShortcutOverride && editor_) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (ZoomKey(*key) != 0) {
            event->accept();
            return true;
        }
        editor::TKeyState keys = Keys(key->modifiers());
        int vk = VirtualKey(*key);
        notified_ = false;
        if (vk && !IsContextMenuKey(*key)) {
            Observe(editor::mmKeyDownNotify, static_cast<uint32_t>(vk), 0, keys);
            notified_ = true;
        }
        if (vk && (editor::TEditor::IsShortcutKey(vk, keys) || (takesKey && takesKey(vk, keys)))) {
            event->accept();
            return true;
        }
    }
    // TAB belongs to the text, not to focus changes.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

bool EditorWidget::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip && editor_ && onBarToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const editor::TPaintMetrics& m = editor_->Metrics();
        QPoint p = help->pos();
        QString text;
        if (editor_->Properties().leftbar.visible && p.x() < m.leftMargin && p.y() >= m.topMargin && m.rowHeight > 0)
            text = onBarToolTip(editor_->TopRow() + (p.y() - m.topMargin) / m.rowHeight);
        if (text.isEmpty()) QToolTip::hideText();
        else QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

bool EditorWidget::KeyNotify(int vk, const editor::TKeyState& keys, bool playing) {
    if (editor_->ShortcutKey(vk, keys)) return true;
    // Typed keys met the window's shortcuts before they came here.
    return playing && !(takesKey && takesKey(vk, keys)) && TriggerWindowShortcut(vk, keys);
}

bool EditorWidget::TriggerWindowShortcut(int vk, const editor::TKeyState& keys) {
    QKeyCombination combo(Qt::KeyboardModifiers((keys.shift ? Qt::ShiftModifier : Qt::NoModifier) | (keys.ctrl ? Qt::ControlModifier : Qt::NoModifier)), Qt::Key(QtKeyOf(vk)));
    QKeySequence sequence(combo);
    for (QAction* action : window()->findChildren<QAction*>()) {
        if (!action->isEnabled() || !action->shortcuts().contains(sequence)) continue;
        action->trigger();
        return true;
    }
    return false;
}

bool EditorWidget::KeyDownMessage(int vk, const editor::TKeyState& keys, bool repeat) {
    if (onKeyDown && onKeyDown(vk, keys)) {
        keyConsumed_ = true;
        return editor_ != nullptr;
    }
    if (!editor_) return false;  // the key closed the window
    editor_->KeyDown(vk, keys, repeat);
    return true;
}

void EditorWidget::CharInput(unsigned char c, const editor::TKeyState& keys) {
    Observe(editor::mmCharNotify, c, 0, keys);
    editor_->CharMessage(c, keys, std::nullopt, nullptr);
}

void EditorWidget::TypeText(const QString& text, const editor::TKeyState& keys) {
    if (!editor_ || text.isEmpty()) return;
    platform::EncodeResult sjis = platform::EncodeSjis(S(text));
    if (!sjis.ok()) {
        QApplication::beep();
        if (onRefused) onRefused(Q(sjis.unconvertible));
        return;
    }
    // A recorder sees one message per character: a double-byte one as an
    // input-method character followed by the character message that
    // repeats it.
    if (Recorder()) {
        const std::string& b = sjis.bytes;
        for (size_t i = 0; i < b.size(); ++i) {
            auto c = static_cast<unsigned char>(b[i]);
            if (platform::IsLeadByte(c) && i + 1 < b.size()) {
                auto t = static_cast<unsigned char>(b[++i]);
                Observe(editor::mmImeChar, (c << 8) | t, 1, keys);
            }
            Observe(editor::mmCharNotify, c, 1, keys);
        }
    }
    editor_->InsertText(sjis.bytes);
}

void EditorWidget::keyPressEvent(QKeyEvent* event) {
    if (!editor_) return;
    RestartBlink();
    if (int steps = ZoomKey(*event)) {
        if (onZoom) onZoom(steps);
        return;
    }
    editor::TKeyState keys = Keys(event->modifiers());
    int vk = VirtualKey(*event);
    const bool notified = std::exchange(notified_, false);
    if (IsContextMenuKey(*event)) {
        // Shift+F10 is the menu key of keyboards without one.
        const QPoint at = viewport()->mapTo(this, inputMethodQuery(Qt::ImCursorRectangle).toRect().center());
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, at, mapToGlobal(at), event->modifiers());
        QApplication::sendEvent(this, &menu);
        return;
    }
    if (vk) {
        if (!notified) Observe(editor::mmKeyDownNotify, static_cast<uint32_t>(vk), 0, keys);
        if (KeyNotify(vk, keys, false)) return;
        keyConsumed_ = false;
        if (!KeyDownMessage(vk, keys, event->isAutoRepeat())) return;
        // The window took the key (Enter or Tab choosing a completion): it types nothing.
        if (std::exchange(keyConsumed_, false)) return;
    }
    // The control characters these keys type. With Alt they type nothing;
    // Ctrl+Backspace and Ctrl+Enter type DEL and LF, which the editor
    // ignores, so they are not sent.
    switch (event->key()) {
        case Qt::Key_Backspace:
            if (!keys.ctrl && !keys.alt) CharInput(8, keys);
            return;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            if (!keys.alt) CharInput(9, keys);
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (editor_->Properties().wantReturns && !keys.ctrl && !keys.alt) CharInput(13, keys);
            return;
        default:
            break;
    }
    // Typed characters; Ctrl and Alt combinations are commands, not text.
    QString text = event->text();
    if (!text.isEmpty() && !keys.ctrl && !keys.alt && text.at(0).unicode() >= 0x20 && text.at(0).unicode() != 0x7F)
        TypeText(text, keys);
    UpdateScrollBars();
}

intptr_t EditorWidget::SendMacroMessage(uint32_t message, uint16_t wParam, uint32_t /*lParam*/,
                                        const editor::TKeyState& keys) {
    if (!editor_) return 0;
    RestartBlink();
    intptr_t result = 0;
    switch (message) {
        case editor::mmKeyDownNotify:
            result = KeyNotify(wParam, keys, true) ? 1 : 0;
            break;
        case editor::mmKeyDown:
            KeyDownMessage(wParam, keys, false);
            break;
        case editor::mmChar:
            editor_->CharMessage(static_cast<unsigned char>(wParam), keys, std::nullopt, nullptr);
            break;
        case editor::mmImeChar:
            if (!editor_->ReadOnly()) {
                const char pair[2] = {static_cast<char>(wParam >> 8), static_cast<char>(wParam & 0xFF)};
                editor_->InsertText(std::string_view(pair, 2));
            }
            break;
        default:
            break;
    }
    if (editor_) UpdateScrollBars();
    return result;
}

void EditorWidget::keyReleaseEvent(QKeyEvent* event) {
    if (editor_ && !event->isAutoRepeat()) editor_->KeyUp(VirtualKey(event->key()));
}

void EditorWidget::inputMethodEvent(QInputMethodEvent* event) {
    // A finished composition arrives whole, so a double-byte character is
    // never split.
    if (!event->commitString().isEmpty()) TypeText(event->commitString(), Keys(QGuiApplication::keyboardModifiers()));
    event->accept();
}

QVariant EditorWidget::inputMethodQuery(Qt::InputMethodQuery query) const {
    if (query == Qt::ImCursorRectangle && editor_) {
        const editor::TPaintMetrics& m = editor_->Metrics();
        int x = m.leftMargin + (editor_->Col() - editor_->LeftColumn()) * m.cellWidth;
        return QRect(x, editor_->RowTop(editor_->Row()), m.cellWidth, m.rowHeight);
    }
    if (query == Qt::ImFont) return font_;
    return QAbstractScrollArea::inputMethodQuery(query);
}

void EditorWidget::UpdateCursor() {
    if (!editor_) return;
    switch (editor_->CursorKind()) {
        case editor::TCursorKind::LeftMargin: viewport()->setCursor(Qt::ArrowCursor); break;
        case editor::TCursorKind::TopMargin: viewport()->setCursor(Qt::ArrowCursor); break;
        case editor::TCursorKind::InSelection: viewport()->setCursor(Qt::ArrowCursor); break;
        case editor::TCursorKind::Drag: viewport()->setCursor(Qt::DragMoveCursor); break;
        case editor::TCursorKind::DragCopy: viewport()->setCursor(Qt::DragCopyCursor); break;
        default: viewport()->setCursor(Qt::IBeamCursor); break;
    }
}

void EditorWidget::mousePressEvent(QMouseEvent* event) {
    if (!editor_) return;
    setFocus();
    RestartBlink();
    QPoint p = event->position().toPoint();
    editor::TMouseButton button = event->button() == Qt::LeftButton    ? editor::TMouseButton::Left
                                  : event->button() == Qt::RightButton ? editor::TMouseButton::Right
                                                                       : editor::TMouseButton::Middle;
    editor_->MouseDown(button, p.x(), p.y(), Keys(event->modifiers()));
    pressConsumed_ = onMouseDown && onMouseDown(button, p.x(), p.y(), Keys(event->modifiers()));
    UpdateCursor();
}

void EditorWidget::mouseMoveEvent(QMouseEvent* event) {
    if (!editor_) return;
    QPoint p = event->position().toPoint();
    editor_->MouseMove(p.x(), p.y(), event->buttons() & Qt::LeftButton, Keys(event->modifiers()));
    UpdateCursor();
}

void EditorWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (!editor_) return;
    QPoint p = event->position().toPoint();
    editor::TMouseButton button = event->button() == Qt::LeftButton ? editor::TMouseButton::Left : editor::TMouseButton::Right;
    editor_->MouseUp(button, p.x(), p.y(), Keys(event->modifiers()));
    if (onMouseUp) onMouseUp();
    UpdateCursor();
    UpdateScrollBars();
}

void EditorWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && onDoubleClick) onDoubleClick();
}

}  // namespace gui
