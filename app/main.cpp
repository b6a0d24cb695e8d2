#include "PellworthTestApp.h"

#ifdef QVX_HAVE_WINDOW
#include "qtwindow/app/WindowRun.h"
#endif

#include <iostream>
#include <string>
#include <utility>
#include <vector>

int main(int argc, char* argv[])
{
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    CPellworthTestApp app(std::move(args), std::cout);
#ifdef QVX_HAVE_WINDOW
    // Only an interactive start opens the window (and with it a display connection).
    app.SetWindowRunner([&argc, argv, &app] { return RunMainWindow(argc, argv, app, std::cerr); }, [] { QuitMainWindow(); });
#endif
    return app.Run();
}
