#include "closing/konsistenz.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "closing/buchungspruefung.h"
#include "closing/monatsabschluss.h"
#include "reports/journal.h"
#include "frame/basisdaten.h"
#include "frame/tffibu.h"
#include "masters/kostenrechnung.h"
#include "masters/personenkonto.h"
#include "masters/pruefmeldung.h"
#include "masters/sachkonto.h"
#include "store/puffer.h"
#include "suite/allgemei.h"
#include "suite/ausgabe3.h"

namespace fibu {

namespace {

using B = BasisFelder;

constexpr int protokollbreite = 79;

// What a run changes besides the protocol is given back when it ends,
// however it ends: the working records of the files it reads (the check
// runs also inside re-posting and the year-end transfer), the cost-type
// file it opened, and the progress window.
class Aufraeumen {
 public:
  explicit Aufraeumen(Mandant& m)
      : m_(m),
        sach_(m.sach.get()),
        personen_(m.personen.get()),
        kosten_(m.kosten.get()),
        kostart_(m.kostart.get()),
        verteilung_(m.kosten->verteilung),
        kostart_war_offen_(m.kostart->offen()) {
    if (!kostart_war_offen_) m_.kostart->oeffnen();
  }
  ~Aufraeumen() {
    if (balken_) m_.ui().Balken_Schliessen();
    if (!kostart_war_offen_ && m_.kostart->offen()) m_.kostart->schliessen();
    m_.kosten->verteilung = verteilung_;
  }
  Aufraeumen(const Aufraeumen&) = delete;
  Aufraeumen& operator=(const Aufraeumen&) = delete;
  void balken(const std::string& text, long maximum) {
    m_.ui().Balken_Oeffnen(text, maximum);
    balken_ = true;
  }

 private:
  Mandant& m_;
  Puffer sach_, personen_, kosten_, kostart_;
  std::vector<Verteilzeile> verteilung_;
  bool kostart_war_offen_;
  bool balken_ = false;
};

// One run of the check: the protocol and whether anything was reported.
class Pruefung {
 public:
  explicit Pruefung(Mandant& m) : m_(m), d_(m.ui()) {}

  bool ausfuehren() {
    if (!d_.open_drucker_hinweis(
            "Es wird eine Konsistenzprüfung der Basisdaten und Sach-/Personenkonten durchgeführt!",
            "Konsistenzprüfung"))
      return false;
    d_.setze_breite(protokollbreite);
    d_.setze_seitennummer(1);
    const Seitenkopf kopf = seitenkopf(m_, "Konsistenzprüfung", protokollbreite);
    d_.kopf_bei_umbruch([kopf](Ausgabe3& a) { drucke_seitenkopf(a, kopf); });
    drucke_seitenkopf(d_, kopf);
    {
      Aufraeumen aufraeumen(m_);
      aufraeumen.balken("Konsistenzprüfung", datensaetze());
      basisdaten();
      abschnitt("Sachkonten:", [this] { alle_saetze(*m_.sach, [this](const Satz& s) {
                  melden(sachkonto_praefix(s),
                         [&](Pruefmeldung& p) { sachkonto_pruefen(m_, s, p); });
                }); });
      abschnitt("Personenkonten:", [this] { alle_saetze(*m_.personen, [this](const Satz& s) {
                  melden(personenkonto_praefix(s),
                         [&](Pruefmeldung& p) { personenkonto_pruefen(m_, s, p); });
                }); });
      abschnitt("Kostenstellen:", [this] { kostenstamm('K'); });
      abschnitt("Verteilschlüssel:", [this] { kostenstamm('V'); });
      abschnitt("Kostenarten:", [this] { alle_saetze(*m_.kostart, [this](const Satz& s) {
                  melden("Kostenart " + trim(s.get(KostartFelder::Schluessel1)) + ": ",
                         [&](Pruefmeldung& p) { kostenart_pruefen(m_, s, p); });
                }); });
      abschnitt("Überschneidung der Sachkonten:", [this] { ueberschneidungen(); });
    }
    d_.close_drucker();
    if (fehler_) return false;
    const bool basis_vorher = m_.basis.get(B::BasisKonsistent);
    const bool stamm_vorher = m_.basis.get(B::StammKonsistent);
    m_.basis.set(B::BasisKonsistent, true);
    m_.basis.set(B::StammKonsistent, true);
    if (m_.schreibe_basis()) return true;
    // Not on disk: not consistent for the rest of the session either.
    m_.basis.set(B::BasisKonsistent, basis_vorher);
    m_.basis.set(B::StammKonsistent, stamm_vorher);
    return false;
  }

 private:
  void zeile(const std::string& text = {}) { d_.druckeln(text); }

  void abschnitt(const char* ueberschrift, const std::function<void()>& inhalt) {
    m_.ui().Balken_Text(std::string("Konsistenzprüfung ") + ueberschrift);
    zeile(ueberschrift);
    inhalt();
    zeile();
  }

  // Runs a check with a message routine that prints protocol lines behind
  // `praefix`; what it reports counts for the whole check.
  void melden(const std::string& praefix, const std::function<void(Pruefmeldung&)>& pruefe) {
    Pruefmeldung p(praefix, [this](const std::string& text) { zeile(text); });
    pruefe(p);
    fehler_ = fehler_ || p.fehler();
  }

  // A base-data page check: its message, if any, as a protocol line.
  void seite(const char* ueberschrift, const std::function<std::optional<std::string>()>& pruefe) {
    abschnitt(ueberschrift, [&] {
      melden("", [&](Pruefmeldung& p) {
        if (auto text = pruefe()) p.melde(*text);
      });
    });
  }

  void basisdaten() {
    const Satz& b = m_.basis;
    seite("Basisdaten Mandant:", [&] { return pruefe_basis_mandant(b); });
    seite("Basisdaten Perioden:", [&] { return pruefe_perioden(b); });
    // The receivable, payable and tax accounts have no page checks of
    // their own; their overlap is the last section.
    seite("Basisdaten Konten:", [] { return std::nullopt; });
    seite("Basisdaten Steuerkonten:", [] { return std::nullopt; });
    seite("Basisdaten Belegnummern:", [&] { return pruefe_belegnummern(b); });
    seite("Basisdaten Differenz-/Saldenvortragskonten:",
          [&] { return pruefe_saldenvortraege(b, m_); });
    seite("Basisdaten Buchungsprüfung:", [&] { return pruefe_buchungspruefung(b); });
    seite("Basisdaten Kostenrechnung:", [&] { return pruefe_kostenrechnung(b, m_); });
  }

  // Steps through a file in the order of key 1 from `von` while the keys
  // begin with `bis`; `pruefe` gets a copy of each record, and the file's
  // working record is kept around it, since the checks read the same files.
  // Answers the number of records read; a file that is not open is a
  // finding of its own (its message was shown when it failed to open).
  std::uint32_t jeder_satz(tdatenbank& db, const std::string& von, const std::string& bis,
                           const std::function<void(const Satz&)>& pruefe) {
    if (!db.offen()) {
      unlesbar(db);
      return 0;
    }
    std::uint32_t gelesen = 0;
    std::string key = von;
    while (db.lies_weiter_bis(1, key, von, bis)) {
      ++gelesen;
      const Satz satz = db.satz();
      {
        Puffer p(&db);
        pruefe(satz);
      }
      if (&db != m_.kosten.get()) m_.ui().Balken_Inc(1);
    }
    return gelesen;
  }

  // A whole file: a step that failed halfway (a lock, a read error) must
  // not pass for the end of the file.
  void alle_saetze(tdatenbank& db, const std::function<void(const Satz&)>& pruefe) {
    if (jeder_satz(db, "", "", pruefe) != db.anzahl_saetze() && db.offen()) unlesbar(db);
  }

  void unlesbar(tdatenbank& db) {
    zeile("Die Datei " + db.name() + " konnte nicht vollständig gelesen werden!");
    fehler_ = true;
  }

  // Cost centres ("K") or allocation keys ("V") of the cost-centre file.
  void kostenstamm(char art) {
    tdbkosten_datenbank& db = *m_.kosten;
    const std::string anfang(1, art);
    jeder_satz(db, anfang, anfang, [&](const Satz& s) {
      const std::string key = trim(s.get(KostenFelder::Schluessel));
      if (art == 'K') {
        melden("Kostenstelle " + key + ": ",
               [&](Pruefmeldung& p) { kostenstelle_pruefen(m_, s, p); });
      } else {
        // The table was read with the record; the check reads other
        // records of the same file, which replaces it.
        const std::vector<Verteilzeile> zeilen = db.verteilung;
        melden("Verteilschluessel " + key + ": ",
               [&](Pruefmeldung& p) { verteilschluessel_pruefen(m_, zeilen, p); });
      }
    });
  }

  // The three account roles of the base data must not share an account.
  void ueberschneidungen() {
    struct Rolle {
      const char* name;
      const char* als;
      ZahlFeld<std::int32_t> (*feld)(int);
    };
    const std::array<Rolle, 3> rollen = {
        Rolle{"Das Forderungskonto ", "Forderungskonto!", &B::forderungskonto},
        Rolle{"Das Verbindlichkeitskonto ", "Verbindlichkeitskonto!", &B::verbindlichkeitskonto},
        Rolle{"Das Steuerkonto ", "Steuerkonto!", &B::steuerkonto}};
    const Satz& b = m_.basis;
    for (const Rolle& eigene : rollen)
      for (int i = 1; i <= 40; ++i) {
        const std::int32_t konto = b.get(eigene.feld(i));
        if (konto == 0) continue;
        for (const Rolle& andere : rollen) {
          if (&andere == &eigene) continue;
          for (int j = 1; j <= 40; ++j)
            if (b.get(andere.feld(j)) == konto) {
              zeile(eigene.name + std::to_string(konto) + " ist auch " + andere.als);
              fehler_ = true;
            }
        }
      }
  }

  long datensaetze() {
    // Cost centres and allocation keys are few; the bar follows the rest.
    long n = 0;
    for (tdatenbank* db : {static_cast<tdatenbank*>(m_.sach.get()),
                           static_cast<tdatenbank*>(m_.personen.get()),
                           static_cast<tdatenbank*>(m_.kostart.get())})
      if (db->offen()) n += static_cast<long>(db->anzahl_saetze());
    return n;
  }

  Mandant& m_;
  Ausgabe3 d_;
  bool fehler_ = false;
};

}  // namespace

bool konsistenzpruefung(Mandant& m) { return Pruefung(m).ausfuehren(); }

bool konsistenz_selbstpruefung(Mandant& m) {
  if (konsistenzpruefung(m)) return true;
  m.ui().ShowMessageMain(TFFibu::konsistenz_abbruch_text);
  return false;
}

void abschluss_registrieren(TFFibu& fibu) {
  Mandant& m = fibu.mandant();
  fibu.konsistenzpruefung = [&m] { return konsistenzpruefung(m); };
  fibu.registriere_pruefend(41, [&m] { return konsistenzpruefung(m); });
  fibu.registriere_pruefend(23, [&m] { return buchungspruefung(m, -1); });
  fibu.registriere_pruefend(3122, [&m] {
    return TFBuchungsJournal2(m, [](Mandant& mm, int p) { return buchungspruefung(mm, p); })
        .ausfuehren();
  });
  fibu.registriere_pruefend(316, [&m] { return monatsabschluss(m); });
  fibu.registriere_pruefend(45, [&m] { return monatsabschluesse_rueckgaengig(m); });
  fibu.registriere_pruefend(318, [&m] { return monatsabschluss_alle(m); });
}

}  // namespace fibu
