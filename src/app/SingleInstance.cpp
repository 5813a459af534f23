#include "app/SingleInstance.h"

namespace app {

const char* const kMainUniqueName = "Ident9738";

namespace {
int g_components = 0;
}

TSingleInstance::TSingleInstance() {
    if (g_components > 0) throw ESingleInstance("Only single component allowed");
    ++g_components;
}

TSingleInstance::~TSingleInstance() { --g_components; }

bool TSingleInstance::Loaded() {
    using R = platform::InstanceLock::Result;
    R r = lock_.Acquire(UniqueName, Folder);
    // A lock that cannot be made must not keep the user from working.
    if (r != R::Duplicate) {
        first_ = true;
        return true;
    }
    if (OnDuplicate) OnDuplicate(*this);
    switch (DupInstAction) {
    case diActivateFirst:
        // No answer means no window to bring forward: end all the same.
        lock_.SendActivate();
        return false;
    case diException:
        throw ESingleInstance(ErrorMessage);
    case diTerminate:
        return false;
    }
    return false;
}

void TSingleInstance::ServeRequests() {
    if (lock_.TakeRequests() > 0 && OnActivate) OnActivate();
}

void ConfigureForMainForm(TSingleInstance& instance) {
    instance.UniqueName = kMainUniqueName;
    instance.DupInstAction = diActivateFirst;
    instance.ErrorMessage = "すでに起動されています";
}

}  // namespace app
