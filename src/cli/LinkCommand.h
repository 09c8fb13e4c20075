#pragma once
// `gessoria-cli link [--script FILE] [--timeout SECONDS] [-o OUT] [--overwrite 0|1]
// [--prefix TEXT] [render options] [--brushes FILE] [--paints FILE]`: listens on the link's
// socket as the program does, takes one scene from a modelling host, paints it with the
// script as `paint` does (default view 800 x 600, level 4), writes OUT when named (a
// project for OUT.gsr, else the frame), sends the maps back as Go! does with the given
// MAX Out! options and waits for the host's acknowledgement. Exit status 0 when the host
// acknowledged, 1 with the message when it did not (time-out, the scene refused, the link
// held by another program), 2 for a bad command line.

#include <ostream>
#include <string>
#include <vector>

namespace gessoria::cli {

int RunLink(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace gessoria::cli
