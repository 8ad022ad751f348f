#include "posting/periodenwahl.h"

#include <algorithm>
#include <string>
#include <vector>

#include "frame/basisdaten.h"

namespace fibu {

using B = BasisFelder;

bool periode_bebuchbar(const Satz& basis, int p) {
  if (p < 1 || p > 12) return false;
  const int status = basis.get(B::periode_status(p));
  return status == 0 || status == 1;
}

int periode_des_datums(const Satz& basis, Datum datum) {
  const int anzahl = basis.get(B::AnzahlPerioden);
  for (int p = 1; p <= anzahl && p <= 12; ++p)
    if (datum >= basis.get(B::periode_von(p)) && datum <= basis.get(B::periode_bis(p))) return p;
  return 0;
}

Datum geschaeftsjahr_von(const Satz& basis) {
  return basis.get(B::periode_von(1));
}

Datum geschaeftsjahr_bis(const Satz& basis) {
  return basis.get(B::periode_bis(std::clamp<int>(basis.get(B::AnzahlPerioden), 1, 12)));
}

std::optional<int> periode_fuer_datum(Mandant& m, Datum datum, int eingabeperiode) {
  // The entry period itself only while its journal is not printed.
  if (periode_bebuchbar(m.basis, eingabeperiode) &&
      datum >= m.basis.get(B::periode_von(eingabeperiode)) &&
      datum <= m.basis.get(B::periode_bis(eingabeperiode)))
    return eingabeperiode;
  return TFPeriodenwahl(m, periode_des_datums(m.basis, datum)).ausfuehren();
}

TFPeriodenwahl::TFPeriodenwahl(Mandant& m, int vorschlag) : m_(m), form_("Periodenwahl") {
  const Satz& b = m.basis;
  std::vector<std::string> perioden;
  for (int p = 1; p <= 12; ++p)
    perioden.push_back(std::to_string(p) + "  " + DateToDateString("dd.mm.yyyy", b.get(B::periode_von(p))) +
                       " - " + DateToDateString("dd.mm.yyyy", b.get(B::periode_bis(p))) + "  " +
                       periodenstatus_text(b.get(B::periode_status(p))));
  form_.AddChoice(1, "Periode", perioden, vorschlag >= 1 && vorschlag <= 12 ? vorschlag - 1 : 0);
  form_.beim_speichern([this](TEntryForm& f) {
    const int p = f.auswahl(1) + 1;
    if (periode_bebuchbar(m_.basis, p)) return true;
    f.ui().ShowMessageMain("In die Periode " + std::to_string(p) +
                           " kann nicht mehr gebucht werden (" +
                           periodenstatus_text(m_.basis.get(B::periode_status(p))) +
                           ")! Bitte eine andere Periode wählen.");
    return false;
  });
  form_.FrageDatenSpeichern(false);
}

std::optional<int> TFPeriodenwahl::ausfuehren() {
  if (!form_.Execute(m_.ui())) return std::nullopt;
  return form_.auswahl(1) + 1;
}

}  // namespace fibu
