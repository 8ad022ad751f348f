// The demo client for the view tests.
#pragma once

#include <QtGlobal>
#include <memory>
#include <sstream>

#include "../suite/testverzeichnis.h"
#include "app/batch.h"
#include "frame/tffibu.h"
#include "gui/qt_interaktion.h"

namespace fibu::test {

// The demo client 999/2007 as `fibu-batch --einrichten` makes it, opened
// as "/W=9992007" opens it.
struct Demo {
  fibu::Testverzeichnis tmp;
  std::unique_ptr<fibu::Dateisystem> fs = fibu::echtes_dateisystem();
  fibu::QtInteraktion ui{*fs};
  fibu::Startkonfiguration start;
  std::unique_ptr<fibu::Netzwerk> netz;
  fibu::Tagesdatum heute{fibu::DMYtoDate(6, 12, 2026)};
  std::unique_ptr<fibu::Mandant> m;
  std::unique_ptr<fibu::TFFibu> fibu;

  Demo() {
    std::ostringstream log;
    if (fibu::batch_ausfuehren({"--einrichten", "--arbeitsverzeichnis", tmp.pfad()}, log) != 0)
      qFatal("Demomandant nicht eingerichtet: %s", log.str().c_str());
    start = fibu::start_lesen(*fs, tmp.pfad());
    netz = std::make_unique<fibu::Netzwerk>(*fs, start.konf.fibu_pfad);
    m = std::make_unique<fibu::Mandant>(*fs, ui, heute, start.konf.fibu_pfad, *netz);
    fibu = std::make_unique<fibu::TFFibu>(*m, start.suite,
                                          fibu::kommandozeile_auswerten({"/W=9992007"}));
    if (!fibu->setup(nullptr)) qFatal("Demomandant nicht geöffnet");
  }
};

}  // namespace fibu::test
