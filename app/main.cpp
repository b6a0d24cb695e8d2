#include "PellworthTestApp.h"

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
    return app.Run();
}
