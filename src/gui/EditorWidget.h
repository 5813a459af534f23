// The editor control's window: hosts a TEditor, paints it through the
// editor's painter onto a QtCanvas, and turns Qt's mouse, key and input
// method events into the editor's own.
#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <QRawFont>
#include <QRegion>
#include <QTimer>
#include <functional>

#include "editor/Canvas.h"
#include "editor/Editor.h"
#include "editor/MessageList.h"

namespace gui {

class EditorWidget : public QAbstractScrollArea, private editor::TEditorWindow, public editor::TMacroTarget {
    Q_OBJECT
public:
    explicit EditorWidget(editor::TEditor* editor, QWidget* parent = nullptr);
    ~EditorWidget() override;

    editor::TEditor* Editor() const { return editor_; }
    // The editor goes away before this widget does: stop using it.
    void Detach();
    // Re-reads the scroll bar choice and the font; a new font lays the
    // window out again.
    void Refresh();
    const QFont& TextFont() const { return font_; }

    // The document window's own key handling, before the editor's: true
    // when it consumed the key.
    std::function<bool(int key, const editor::TKeyState& keys)> onKeyDown;
    // Whether onKeyDown wants a key that a menu shortcut would take first.
    std::function<bool(int key, const editor::TKeyState& keys)> takesKey;
    std::function<void(int delta)> onWheel;
    // Ctrl+wheel (a step per notch), Ctrl++ and Ctrl+-: +1 larger, -1 smaller.
    std::function<void(int steps)> onZoom;
    // Ctrl++ (also Ctrl+=, the key + shares on many keyboards), Ctrl+- and the keypad's: +1, -1, else 0.
    static int ZoomKey(const QKeyEvent& event);
    std::function<void(bool focused)> onFocus;
    std::function<void(const QPoint& globalPos)> onContextMenu;
    std::function<void()> onDoubleClick;
    // Presses after the editor's own handling (true: consumed, so a right
    // press shows no popup menu), and releases.
    std::function<bool(editor::TMouseButton button, int x, int y, const editor::TKeyState& keys)> onMouseDown;
    std::function<void()> onMouseUp;
    // The tooltip of a row's left bar cell ("" for none).
    std::function<QString(int row)> onBarToolTip;
    // Text that could not be typed (not in Shift-JIS).
    std::function<void(const QString& refused)> onRefused;

    static editor::TKeyState Keys(Qt::KeyboardModifiers m);
    // The editor's virtual key for a Qt key (letters and digits as their
    // upper-case character), or 0.
    static int VirtualKey(int qtKey);
    // The same for a key event; a digit key with Ctrl is known by its key
    // code, since Shift turns it into another character.
    static int VirtualKey(const QKeyEvent& event);
    // Shift+F10: opens the popup menu at the caret, as the menu key does.
    static bool IsContextMenuKey(const QKeyEvent& event);

    // Keyboard macro playback: one recorded message, as if typed.
    intptr_t SendMacroMessage(uint32_t message, uint16_t wParam, uint32_t lParam,
                              const editor::TKeyState& keys) override;

protected:
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool pressConsumed_ = false;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

private:
    // The editor's window requests.
    void InvalidateRect(const editor::TRect& r) override;
    void ScrollRect(const editor::TRect& area, int dx, int dy) override;
    void UpdateNow() override;
    void ScrollBarsChanged() override { UpdateScrollBars(); }
    void StatesPending() override;

    bool ApplyFont();  // false when the font is the one in use
    void Relayout();
    void UpdateScrollBars();
    void UpdateCursor();
    void TypeText(const QString& text, const editor::TKeyState& keys);
    // The message steps of a key press, shared by typing and playback:
    // the shortcuts (true: consumed), the key itself (false when the key
    // closed the window), a character.
    bool KeyNotify(int vk, const editor::TKeyState& keys, bool playing);
    bool KeyDownMessage(int vk, const editor::TKeyState& keys, bool repeat);
    void CharInput(unsigned char c, const editor::TKeyState& keys);
    // A shortcut of the window's menus for the key, triggered (playback).
    bool TriggerWindowShortcut(int vk, const editor::TKeyState& keys);
    void ShowEditorPopup(const QPoint& globalPos);
    void RestartBlink();

    editor::TEditor* editor_;
    QFont font_;
    QRawFont rawFont_;  // font_ for glyph runs
    std::string fontKey_;
    int ascent_ = 12;
    bool syncing_ = false;
    bool notified_ = false;  // the key press was recorded at its shortcut check
    bool caretOn_ = true;
    bool keyConsumed_ = false;  // the window's handler took the key being pressed
    QTimer blink_;
    // Slices of the colouring-state work, one per idle moment.
    QTimer states_;
    // What was asked to be repainted and not painted yet: a scroll moves
    // stale pixels along, so their new place must be painted too.
    QRegion pending_;
    int zoomDelta_ = 0;  // Ctrl+wheel distance short of a notch
};

}  // namespace gui
