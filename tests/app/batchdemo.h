// The demo client in a temporary working directory, driven through the
// batch tool with answers files, as a script would drive it.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../suite/testverzeichnis.h"
#include "app/batch.h"
#include "frame/mandant.h"
#include "frame/start.h"
#include "suite/test_interaktion.h"

namespace fibu {

inline void schreibe(const std::string& pfad, const std::string& text) {
  std::ofstream(pfad, std::ios::binary) << text;
}

inline std::string lies(const std::string& pfad) {
  std::ifstream ein(pfad, std::ios::binary);
  std::stringstream s;
  s << ein.rdbuf();
  return s.str();
}

struct Demo {
  Testverzeichnis tmp;
  std::string ws = tmp / "arbeit";
  Demo() {
    std::ostringstream log;
    EXPECT_EQ(batch_ausfuehren({"--einrichten", "--arbeitsverzeichnis", ws}, log), 0) << log.str();
  }
  // Runs commands with an answers file; the log on failure.
  int lauf(const std::string& antworten, std::vector<std::string> befehle,
           std::string* log_aus = nullptr) {
    schreibe(tmp / "antworten.txt", antworten);
    std::vector<std::string> args = {"--arbeitsverzeichnis",
                                     ws,
                                     "--antworten",
                                     tmp / "antworten.txt",
                                     "--ausgabe",
                                     tmp / "aus",
                                     "--datum",
                                     "06.12.2007",
                                     "/W=9992007"};
    args.insert(args.end(), befehle.begin(), befehle.end());
    std::ostringstream log;
    int rc = batch_ausfuehren(args, log);
    if (log_aus) *log_aus = log.str();
    return rc;
  }
};

// The demo client of a working directory opened in this process, as the
// program opens it, with a TestInteraktion for what its functions ask and
// print.
struct GeoeffneteDemo {
  std::unique_ptr<Dateisystem> fs = echtes_dateisystem();
  TestInteraktion ui;
  Startkonfiguration start;
  std::unique_ptr<Netzwerk> netz;
  Tagesdatum heute{DMYtoDate(6, 12, 2007)};
  std::unique_ptr<Mandant> m;
  explicit GeoeffneteDemo(const std::string& ws) : start(start_lesen(*fs, ws)) {
    netz = std::make_unique<Netzwerk>(*fs, start.konf.fibu_pfad);
    m = std::make_unique<Mandant>(*fs, ui, heute, start.konf.fibu_pfad, *netz);
    EXPECT_TRUE(m->mandant_oeffnen(999, 2007));
  }
};

}  // namespace fibu
