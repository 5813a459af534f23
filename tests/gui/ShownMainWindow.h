// The real main window over a program folder, shown offscreen and activated
// as the program starts it; the scripted Ui is its own unless a test brings
// one that watches.
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "FakeUi.h"
#include "MainWindow.h"
#include "TestFiles.h"
#include "app/MainForm.h"

struct Program {
    std::unique_ptr<FakeUi> ownUi;
    FakeUi& ui;
    app::TMainForm form;
    gui::MainWindow window;
    Program(const std::string& folder, std::vector<std::string> args, FakeUi* watching = nullptr)
        : ownUi(watching ? nullptr : std::make_unique<FakeUi>()), ui(watching ? *watching : *ownUi),
          form(ui, folder, std::move(args)), window(form, ui) {
        form.FormCreate();
        window.ApplySettings();
        window.show();
        form.FormActivate();
        QApplication::processEvents();
    }
};

// Settings in `dir` that point at the stand-in compiler, copied into `compiler`.
inline void UseStandInCompiler(const TempDir& dir, const TempDir& compiler, const std::string& config = "") {
    std::filesystem::copy_file(VKC_STANDIN, compiler.File("VKC.EXE"));
    if (!config.empty()) compiler.Write("VKC.CFG", config);
    dir.Write("VKBUILD.INI", "[VKC]\r\nPATH=" + compiler.path() + "\r\n");
}

// A key pressed and released on `w`, as the keyboard sends it.
inline void Key(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(w, &release);
}
