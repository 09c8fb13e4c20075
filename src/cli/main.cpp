// gessoria-cli: the headless front end of the Gessoria engine.

#include "cli/ConvertCommand.h"
#include "cli/ExportMapsCommand.h"
#include "cli/InfoCommand.h"
#include "cli/LibraryCommand.h"
#include "cli/LinkCommand.h"
#include "cli/PaintCommand.h"
#include "cli/RenderCommand.h"

#include <QtGlobal>
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
    "  convert IN OUT.gsr [--map-path DIR]... [--brushes FILE] [--paints FILE]\n"
    "                                                       open a scene or project, save it as a project\n"
    "  convert IN OUT.glb|OUT.gltf|OUT.obj [--padding N]    write it as a model with its painted maps\n"
    "  export-maps SCENE OUTDIR [--format png|tga|tif|jpg] [--padding N] [--layers] [--map-path DIR]...\n"
    "                                                       write every textured material's maps, padded\n"
    "  link [--script FILE] [--timeout SECONDS] [-o OUT] [--overwrite 0|1] [--prefix TEXT] [options]\n"
    "                                                       take a scene from a modelling host, paint it,\n"
    "                                                       send the maps back and wait for the host\n"
    "render options (render, paint and link):\n"
    "  [--size WxH] [--level 0-4] [--view front|back|left|right|top|bottom] [--angles X,Y,Z]\n"
    "  [--light B,A,C] [--ambient N] [--diffuse N] [--two-sided] [--dual-light] [--background G]\n"
    "  [--acceleration N] [--fast-draw] [--frames N] [--map-path DIR]...\n"
    "paint options (paint and link): [--layer MATERIAL:MAPTYPE:INDEX] [--brushes FILE] [--paints FILE] [--time]\n"
    "  --version   print the version and the Qt version, and exit\n"
    "  -h, --help  print this help and exit\n"
    "exit status: 0 done, 1 a file or a script line failed, 2 bad command line; see gessoria-cli(1)\n";

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
        if (command == "export-maps")
            return gessoria::cli::RunExportMaps(args, std::cout, std::cerr);
        if (command == "library")
            return gessoria::cli::RunLibrary(args, std::cout, std::cerr);
        if (command == "link")
            return gessoria::cli::RunLink(args, std::cout, std::cerr);
    } catch (const std::bad_alloc&) {
        std::cerr << "Not enough memory to " << command << '\n';
        return 1;
    }
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << kUsage;
        return 0;
    }
    if (command == "--version") {
        std::cout << "gessoria-cli " GESSORIA_VERSION "\n"
                  << "Qt " << qVersion() << " (built with " QT_VERSION_STR ")\n";
        return 0;
    }
    std::cerr << "unknown command " << command << '\n' << kUsage;
    return 2;
}
