// A main form started over a temporary program folder with the scripted Ui,
// and a main-window view that does nothing (tests override what they watch).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "FakeUi.h"
#include "TestFiles.h"
#include "app/MainForm.h"

class MainFormFixture : public ::testing::Test {
protected:
    TempDir dir;
    FakeUi ui;
    std::unique_ptr<app::TMainForm> form;

    void Start(std::vector<std::string> args = {}) {
        form = std::make_unique<app::TMainForm>(ui, dir.path(), std::move(args));
        form->FormCreate();
        form->FormActivate();
    }
    app::TMDIChild* Doc(size_t i = 0) const { return dynamic_cast<app::TMDIChild*>(form->Children().at(i).get()); }
};

struct NullMainView : app::TMainFormView {
    void ChildAdded(forms::TMdiChildForm&) override {}
    void ChildRemoving(forms::TMdiChildForm&) override {}
    void ActivateChild(forms::TMdiChildForm&) override {}
    void StateChanged() override {}
    void CloseMainWindow() override {}
    void WindowCommand(app::ActionId) override {}
    void ShowAbout() override {}
};
