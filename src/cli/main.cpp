// gessoria-cli: the headless front end of the Gessoria engine.

#include "cli/ConvertCommand.h"
#include "cli/InfoCommand.h"
#include "cli/LibraryCommand.h"
#include "cli/PaintCommand.h"
#include "cli/RenderCommand.h"

#include <csignal>
#include <iostream>
#include <new>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: gessoria-cli COMMAND ...\n"
    "commands:\n"
    "  info PATH [--map-path DIR]... [--json] [--detail]   open a scene and print what it holds\n"
    "  library [--brushes FILE] [--paints FILE] [--json]    list the brush and paint libraries\n"
    "  render PATH -o OUT [options]                         render a scene to an image\n"
    "  paint PATH --script FILE -o OUT [options]            run a painting script on a scene\n"
    "                                                       (OUT.gsr saves the painted state as a project)\n"
    "  convert IN OUT.gsr [--map-path DIR]...               open a scene or project, save it as a project\n";

} // namespace

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    // Past a file-size limit a write fails with EFBIG and is reported, instead of the signal
    // ending the program half-way through a save.
    std::signal(SIGXFSZ, SIG_IGN);
    if (argc < 2) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    // Memory that runs out anywhere in a command ends it with a message and status 1; a save
    // under way leaves the earlier project as it was.
    try {
        if (command == "info")
            return gessoria::cli::RunInfo(args, std::cout, std::cerr);
        if (command == "paint")
            return gessoria::cli::RunPaint(args, std::cout, std::cerr);
        if (command == "render")
            return gessoria::cli::RunRender(args, std::cout, std::cerr);
        if (command == "convert")
            return gessoria::cli::RunConvert(args, std::cout, std::cerr);
        if (command == "library")
            return gessoria::cli::RunLibrary(args, std::cout, std::cerr);
    } catch (const std::bad_alloc&) {
        std::cerr << "Not enough memory to " << command << '\n';
        return 1;
    }
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << kUsage;
        return 0;
    }
    std::cerr << "unknown command " << command << '\n' << kUsage;
    return 2;
}
