// The desktop program. Started in the directory that holds KONF.DAT, with
// the command-line flags of the program (e.g. /W=9992007 for the demo client).
#include <QApplication>
#include <QMessageBox>
#include <QStatusBar>
#include <filesystem>

#include "app/befehle.h"
#include "frame/anfrage.h"
#include "frame/mandantenverwaltung.h"
#include "frame/tffibu.h"
#include "gui/qt_interaktion.h"
#include "gui/tffibu_view.h"
#include "suite/tpdate.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("fibu"));
  QApplication::setApplicationVersion(QStringLiteral(FIBU_VERSION));
  auto fs = fibu::echtes_dateisystem();
  fibu::QtInteraktion ui(*fs);
  try {
    fibu::Startkonfiguration start = fibu::start_lesen(*fs, ".");
    if (!start.ini_fehler.empty()) ui.ShowMessageMain(start.ini_fehler);
    fibu::Netzwerk netz(*fs, start.konf.fibu_pfad, start.suite.netzwerktyp != 0);
    fibu::Tagesdatum heute;
    fibu::Mandant mandant(*fs, ui, heute, start.konf.fibu_pfad, netz);
    std::vector<std::string> argumente(argv + 1, argv + argc);
    fibu::TFFibu fibu(mandant, start.suite, fibu::kommandozeile_auswerten(argumente));
    fibu.konf = &start.konf;
    fibu::befehle_registrieren(fibu);
    fibu.programm = fibu::programminfo_ermitteln(argv[0], ".");
    const int jahr = fibu::jahr_von(heute.Today());
    if (!fibu.setup([&] { return fibu::TFMandantenAuswahl(mandant, jahr).ausfuehren(); }))
      return 0;
    const std::string programmname = std::filesystem::path(argv[0]).filename().string();
    fibu::Fensterposition position(*fs, ".", programmname);
    fibu::TFFibuView fenster(&fibu, &position);
    ui.setze_hauptfenster(&fenster);
    if (fibu::Ergebnis e = fenster.anfragen_bedienen(fibu::anfrage_socketpfad()); !e)
      fenster.statusBar()->showMessage(QString::fromStdString(e.text()));
    fenster.show();
    const int ende = QApplication::exec();
    ui.setze_hauptfenster(nullptr);
    return ende;
  } catch (const std::exception& fehler) {
    // Abbruch (the program has to end) and every other error of the start.
    ui.ShowMessageMain(fehler.what());
    return 1;
  }
}
