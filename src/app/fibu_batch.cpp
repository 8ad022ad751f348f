// fibu-batch: the numbered menu commands without a screen.
#include <algorithm>
#include <csignal>
#include <iostream>
#include <memory>

#include "app/batch.h"

#ifdef FIBU_MIT_PDF
#include <QGuiApplication>

#include "gui/druckbild.h"
#endif

namespace {
extern "C" void anhalten(int) { fibu::batch_server_anhalten(); }
}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGTERM, anhalten);
  std::signal(SIGINT, anhalten);
  std::vector<std::string> argumente(argv + 1, argv + argc);
#ifdef FIBU_MIT_PDF
  // PDF files are drawn with Qt's fonts, which need an application object;
  // without a display it runs on the offscreen platform.
  std::unique_ptr<QGuiApplication> app;
  int qt_argc = 1;  // Qt keeps a reference to it
  if (std::find(argumente.begin(), argumente.end(), "--pdf") != argumente.end()) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
      qputenv("QT_QPA_PLATFORM", "offscreen");
    app = std::make_unique<QGuiApplication>(qt_argc, argv);
  }
  return fibu::batch_ausfuehren(argumente, std::cerr,
                                [](const fibu::Druckauftrag& auftrag, const std::string& pfad) {
                                  return fibu::pdf_schreiben(auftrag, pfad);
                                },
                                &std::cout);
#else
  return fibu::batch_ausfuehren(argumente, std::cerr, {}, &std::cout);
#endif
}
