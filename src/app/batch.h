// The batch tool `fibu-batch`: opens a client as the program does and runs
// numbered menu commands without a screen; dialog answers come from an
// answers file, print jobs become text files (and PDF files), messages go to the log.
// Also sets up a working directory with templates and the demo client, and
// serves the requests of other programs on a local socket.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "suite/batch_interaktion.h"

namespace fibu {

// Runs the tool with its arguments (without the program name); returns the
// exit code: 0 done (or the help asked for with "--help"), 1 a command
// failed, refused its work or an answer was missing, 2 wrong call or the
// program had to end. `pdf` writes the PDF copies of "--pdf" (the desktop
// build's renderer); without it "--pdf" is refused. The help goes to
// `ausgabe` (standard output), else to the log.
int batch_ausfuehren(const std::vector<std::string>& argumente, std::ostream& log,
                     const BatchInteraktion::PdfSchreiber& pdf = {},
                     std::ostream* ausgabe = nullptr);

// Stops a running server mode (from a signal handler or another thread).
void batch_server_anhalten();

}  // namespace fibu
