#include "PellworthTestApp.h"

#if defined(QVX_HAVE_WINDOW)
#include "qtwindow/app/WindowRun.h"
#elif defined(QVX_HAVE_WIN32_WINDOW)
#include "winwindow/app/WindowRun.h"
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
#elif defined(QVX_HAVE_WIN32_WINDOW)
    app.SetWindowRunner([&app] { return RunMainWindow(app); }, [] { QuitMainWindow(); });
#endif
    return app.Run();
}
