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
    // Two displays of one user (a local and a remote desktop) each run a copy.
    std::string session = Folder.empty() ? platform::InstanceLock::SessionName() : std::string();
    R r = lock_.Acquire(session.empty() ? UniqueName : UniqueName + "@" + session, Folder);
    // A lock that cannot be made must not keep the user from working.
    if (r != R::Duplicate) {
        first_ = true;
        return true;
    }
    if (OnDuplicate) OnDuplicate(*this);
    switch (DupInstAction) {
    case diActivateFirst:
        // No answer means no window to bring forward: end all the same.
        lock_.SendActivate(2000, Files);
        return false;
    case diException:
        throw ESingleInstance(ErrorMessage);
    case diTerminate:
        return false;
    }
    return false;
}

void TSingleInstance::ServeRequests() {
    for (const platform::InstanceLock::Request& r : lock_.TakeRequests()) {
        if (OnActivate) OnActivate();
        if (!r.files.empty() && OnOpenFiles) OnOpenFiles(r.files);
    }
}

void ConfigureForMainForm(TSingleInstance& instance) {
    instance.UniqueName = kMainUniqueName;
    instance.DupInstAction = diActivateFirst;
    instance.ErrorMessage = "すでに起動されています";
}

}  // namespace app
