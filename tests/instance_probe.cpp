// A program with the single-instance component, for tests that start it
// twice: instance_probe FOLDER ACTION(0..2) [FILE...], FOLDER "-" for the
// default folder and session name; FILEs are made absolute as the program
// makes them. The first copy prints
// "first" and waits until a later copy asks it forward, prints "activated"
// and "open FILE" for each file the later copy handed over, and ends with 0. A later copy prints "duplicate" (OnDuplicate) and ends with 3, or
// with 4 after printing the exception text.
#include <poll.h>

#include <cstdio>
#include <cstdlib>

#include <string>

#include "app/SingleInstance.h"
#include "platform/Path.h"

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    app::TSingleInstance instance;
    instance.UniqueName = app::kMainUniqueName;
    if (std::string(argv[1]) != "-") instance.Folder = argv[1];
    instance.DupInstAction = static_cast<app::TDupInstAction>(std::atoi(argv[2]));
    instance.OnDuplicate = [](app::TSingleInstance&) { std::printf("duplicate\n"); };
    bool activated = false;
    instance.OnActivate = [&] { activated = true; };
    std::vector<std::string> opened;
    instance.OnOpenFiles = [&](const std::vector<std::string>& files) { opened = files; };
    for (int i = 3; i < argc; ++i) instance.Files.push_back(platform::AbsolutePath(argv[i]));
    try {
        if (!instance.Loaded()) return 3;
    } catch (const app::ESingleInstance& e) {
        std::printf("%s\n", e.what());
        return 4;
    }
    std::printf("first\n");
    std::fflush(stdout);
    while (!activated) {
        pollfd p{instance.RequestFd(), POLLIN, 0};
        if (poll(&p, 1, 20000) <= 0) return 5;
        instance.ServeRequests();
    }
    std::printf("activated\n");
    for (const std::string& f : opened) std::printf("open %s\n", f.c_str());
    return 0;
}
