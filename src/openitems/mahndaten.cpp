#include "openitems/mahndaten.h"

#include <algorithm>
#include <functional>

#include "frame/mandant.h"
#include "frame/tffibu.h"
#include "suite/allgemei.h"
#include "suite/ausgabe3.h"
#include "suite/betrag.h"
#include "suite/browser.h"

namespace fibu {

namespace {

using K = MahnkennEintrag;
using T = MahntextFelder;
using BF = BasisFelder;

constexpr int anzahl = 99;

bool euro(const Mandant& m) {
  return m.basis.get(BF::BasiswaehrungEuro) != 0;
}

Formularbindung kennziffer_bindung(bool ist_euro) {
  using D = TFBasisMahnkennziffern;
  Formularbindung b;
  b.text(D::f_bezeichnung, "Bezeichnung", K::Bezeichnung).getrimmt();
  for (int k = 1; k <= 5; ++k) {
    const std::string stufe = std::to_string(k) + ". Mahnung ";
    b.word(D::f_stufe(k, 1), stufe + "Tage", K::tage(k), 0, 999)
        .word(D::f_stufe(k, 2), stufe + "Text-Nr.", K::textnummer(k), 0, 99)
        .betrag(D::f_stufe(k, 3), stufe + "V-Zinsen %", K::zinssatz(k), "###.##")
        .betrag(D::f_stufe(k, 4), stufe + "Mahngebühren", K::gebuehr(k), "####.##");
  }
  b.word(D::f_zahlungsziel, "Zahlungsziel", K::Zahlungsziel, 0, 999)
      .betrag(D::f_mahnen_ab, ist_euro ? "mahnen ab EU (pro OP's)" : "mahnen ab DM (pro OP's)",
              K::MahnenAb, "#######.##");
  return b;
}

Formularbindung text_bindung() {
  using D = TFBasisMahntexte;
  Formularbindung b;
  for (int i = 0; i < 10; ++i)
    b.text(D::f_vortext(i), "Vortext " + std::to_string(i + 1), T::vortext(i), 60);
  for (int i = 0; i < 10; ++i)
    b.text(D::f_nachtext(i), "Nachtext " + std::to_string(i + 1), T::nachtext(i), 60);
  return b;
}

std::string mahntext_datei(Mandant& m) {
  return m.fs()
      .finde_datei(m.daten_verzeichnis(), "MAHNTEXT.PAR")
      .value_or(pfad_verbinden(m.daten_verzeichnis(), "MAHNTEXT.PAR"));
}

// The keys of a screen over the numbered entries 1..99: leaving the number
// shows its entry, Page up / Page down the neighbours, F8 clears the entry
// after `frage`, Esc keeps everything with `speichern`. What was typed goes
// into the entry shown before another is shown.
struct Nummernblatt {
  std::function<int()> nummer;
  std::function<void(int)> zeigen;
  std::function<void()> uebernehmen, leeren;
  std::string frage;
  std::function<bool()> speichern;
  std::string listentitel;
  std::function<std::string(int)> listenzeile;  // empty: the entry is not listed
};

void nummern_tasten(TEntryForm& form, int feld, const Nummernblatt& b) {
  form.beim_verlassen([b, feld](TEntryForm& f, int nr) {
    if (nr != feld) return true;
    const int n = static_cast<int>(f.zahl(feld));
    if (n != b.nummer()) {
      b.uebernehmen();
      b.zeigen(n);
    }
    return true;
  });
  form.AddKey(Taste::Esc, "&Ende", [b](TEntryForm&) {
    b.uebernehmen();
    return b.speichern() ? Reaktion::Speichern : Reaktion::Weiter;
  });
  const auto blaettern = [b](int schritt) {
    b.uebernehmen();
    b.zeigen(std::clamp(b.nummer() + schritt, 1, anzahl));
    return Reaktion::Weiter;
  };
  form.AddKey(Taste::BildAuf, "&<", [blaettern](TEntryForm&) { return blaettern(-1); });
  form.AddKey(Taste::BildAb, "&>", [blaettern](TEntryForm&) { return blaettern(1); });
  form.AddKey(Taste::F8, "&Löschen", [b](TEntryForm& f) {
    if (f.ui().JaNein2(b.frage)) {
      b.leeren();
      b.zeigen(b.nummer());
    }
    return Reaktion::Weiter;
  });
  // F2: the entries in use, to choose one.
  form.AddKey(Taste::F2, "&Liste", [b](TEntryForm& f) {
    std::vector<Browsereintrag> zeilen;
    for (int n = 1; n <= anzahl; ++n)
      if (std::string z = b.listenzeile(n); !z.empty())
        zeilen.push_back(
            {(n < 10 ? "0" : "") + std::to_string(n), padlinks(std::to_string(n), 2) + "  " + z});
    Zeilenbrowser liste(b.listentitel, std::move(zeilen));
    if (auto gewaehlt = winpicklist(f.ui(), liste)) {
      b.uebernehmen();
      b.zeigen(std::stoi(gewaehlt->schluessel));
    }
    return Reaktion::Weiter;
  });
  form.FrageDatenSpeichern(false);
}

}  // namespace

Satz mahnkennziffer(const Mandant& m, int n) {
  Satz e(K::groesse);
  const std::string& alle = m.mahnkenn.bytes();
  std::copy_n(alle.begin() + static_cast<std::ptrdiff_t>(MahnkennFelder::eintrag(n)), K::groesse,
              e.bytes().begin());
  return e;
}

void mahnkennziffer_setzen(Mandant& m, int n, const Satz& eintrag) {
  std::copy_n(eintrag.bytes().begin(), K::groesse,
              m.mahnkenn.bytes().begin() + static_cast<std::ptrdiff_t>(MahnkennFelder::eintrag(n)));
}

bool mahnkennziffer_definiert(const Satz& eintrag) {
  return !trim(eintrag.get(K::Bezeichnung)).empty();
}

bool mahnkenn_schreiben(Mandant& m) {
  const std::string pfad = m.fs()
                               .finde_datei(m.daten_verzeichnis(), "MAHNKENN.PAR")
                               .value_or(pfad_verbinden(m.daten_verzeichnis(), "MAHNKENN.PAR"));
  if (m.fs().schreibe_datei_atomar(pfad, m.mahnkenn.bytes())) return true;
  m.ui().ShowMessageMain("Die Datei MAHNKENN.PAR konnte nicht geschrieben werden!");
  return false;
}

std::vector<Satz> mahntexte_lesen(Mandant& m) {
  std::vector<Satz> texte(anzahl, Satz(T::groesse));
  std::string roh;
  if (auto p = m.fs().finde_datei(m.daten_verzeichnis(), "MAHNTEXT.PAR");
      p && m.fs().lies_datei(*p, roh)) {
    for (std::size_t i = 0; i < texte.size() && (i + 1) * T::groesse <= roh.size(); ++i)
      std::copy_n(roh.begin() + static_cast<std::ptrdiff_t>(i * T::groesse), T::groesse,
                  texte[i].bytes().begin());
  }
  return texte;
}

bool mahntexte_schreiben(Mandant& m, const std::vector<Satz>& texte) {
  std::string alle;
  for (const Satz& t : texte) alle += t.bytes();
  if (m.fs().schreibe_datei_atomar(mahntext_datei(m), alle)) return true;
  m.ui().ShowMessageMain("Die Datei MAHNTEXT.PAR konnte nicht geschrieben werden!");
  return false;
}

// --- Codes ---

TFBasisMahnkennziffern::TFBasisMahnkennziffern(Mandant& m)
    : m_(m), bindung_(kennziffer_bindung(euro(m))), form_("Mahnkennziffern pflegen") {
  form_.AddByte(f_nummer, "Nummer", 1, 1, anzahl);
  bindung_.felder_anlegen(form_, mahnkennziffer(m, 1));
  nummern_tasten(
      form_, f_nummer,
      {[this] { return nummer_; }, [this](int n) { zeigen(n); }, [this] { uebernehmen(); },
       [this] { mahnkennziffer_setzen(m_, nummer_, Satz(K::groesse)); },
       "Alle Daten dieser Mahnkennziffer löschen?", [this] { return mahnkenn_schreiben(m_); },
       "Liste der Mahnkennziffern",
       [this](int n) {
         const Satz e = mahnkennziffer(m_, n);
         return mahnkennziffer_definiert(e) ? trim(e.get(K::Bezeichnung)) : std::string();
       }});
  zeigen(1);
}

void TFBasisMahnkennziffern::zeigen(int n) {
  nummer_ = n;
  form_.setze_zahl(f_nummer, n);
  bindung_.zeigen(form_, mahnkennziffer(m_, n));
}

void TFBasisMahnkennziffern::uebernehmen() {
  Satz e = mahnkennziffer(m_, nummer_);
  bindung_.uebernehmen(form_, e);
  mahnkennziffer_setzen(m_, nummer_, e);
}

bool TFBasisMahnkennziffern::ausfuehren() {
  return form_.Execute(m_.ui());
}

// --- Texts ---

TFBasisMahntexte::TFBasisMahntexte(Mandant& m)
    : m_(m), texte_(mahntexte_lesen(m)), bindung_(text_bindung()), form_("Mahntexte pflegen") {
  form_.AddByte(f_nummer, "Nummer", 1, 1, anzahl);
  bindung_.felder_anlegen(form_, texte_[0]);
  nummern_tasten(
      form_, f_nummer,
      {[this] { return nummer_; }, [this](int n) { zeigen(n); }, [this] { uebernehmen(); },
       [this] { texte_[static_cast<std::size_t>(nummer_ - 1)] = Satz(T::groesse); },
       "Alle Daten dieses Mahntextes löschen?", [this] { return mahntexte_schreiben(m_, texte_); },
       "Liste der Mahntexte",
       [this](int n) {
         // A text by its first line that is not empty.
         const Satz& t = texte_[static_cast<std::size_t>(n - 1)];
         for (int i = 0; i < 20; ++i) {
           const std::string z = trim(t.get(i < 10 ? T::vortext(i) : T::nachtext(i - 10)));
           if (!z.empty()) return z;
         }
         return std::string();
       }});
  zeigen(1);
}

void TFBasisMahntexte::zeigen(int n) {
  nummer_ = n;
  form_.setze_zahl(f_nummer, n);
  bindung_.zeigen(form_, texte_[static_cast<std::size_t>(n - 1)]);
}

void TFBasisMahntexte::uebernehmen() {
  bindung_.uebernehmen(form_, texte_[static_cast<std::size_t>(nummer_ - 1)]);
}

bool TFBasisMahntexte::ausfuehren() {
  // A client without texts gets the file of 99 empty ones.
  if (!m_.fs().finde_datei(m_.daten_verzeichnis(), "MAHNTEXT.PAR") &&
      !mahntexte_schreiben(m_, texte_))
    return false;
  return form_.Execute(m_.ui());
}

// --- The list ---

bool mahnkennziffern_drucken(Mandant& m) {
  constexpr int breite = 79;
  Ausgabe3 d(m.ui());
  if (!d.open_drucker("Mahnstufen")) return false;
  d.setze_breite(breite);
  const Seitenkopf kopf = seitenkopf(m, "Mahnstufen", breite);
  const auto seitenanfang = [kopf](Ausgabe3& a) {
    drucke_seitenkopf(a, kopf);
    a.druckeln("Nummer  Bezeichnung                                  Mahnung ab ");
    a.druckeln("        Tage   Format   V-Zinsen %    Mahngebühren    Zahlungsziel");
    a.druckeln(std::string(breite, '-'));
  };
  d.kopf_bei_umbruch(seitenanfang);
  seitenanfang(d);
  const auto betrag = [](std::int64_t b, const char* maske) { return format_betrag(b, maske); };
  for (int n = 1; n <= anzahl; ++n) {
    const Satz e = mahnkennziffer(m, n);
    if (!mahnkennziffer_definiert(e)) continue;
    if (d.check(7)) {
      d.neue_seite();
      seitenanfang(d);
    }
    d.druckeln(padlinks(std::to_string(n), 6) + "  " + padcut(trim(e.get(K::Bezeichnung)), 45) +
               betrag(e.get(K::MahnenAb), "#######,##"));
    for (int k = 1; k <= 5; ++k)
      d.druckeln(padlinks(std::to_string(k) + ".", 6) +
                 padlinks(std::to_string(e.get(K::tage(k))), 6) +
                 padlinks(std::to_string(e.get(K::textnummer(k))), 9) +
                 padlinks(betrag(e.get(K::zinssatz(k)), "###,##"), 13) +
                 padlinks(betrag(e.get(K::gebuehr(k)), "####,##"), 16) +
                 (k == 1 ? padlinks(std::to_string(e.get(K::Zahlungsziel)), 16) : std::string()));
    d.druckeln();
  }
  d.close_drucker();
  return true;
}

void mahndaten_registrieren(TFFibu& fibu) {
  Mandant& m = fibu.mandant();
  fibu.registriere_pruefend(1421, [&m] { return TFBasisMahnkennziffern(m).ausfuehren(); });
  fibu.registriere_pruefend(1422, [&m] { return mahnkennziffern_drucken(m); });
  fibu.registriere_pruefend(1423, [&m] { return TFBasisMahntexte(m).ausfuehren(); });
}

}  // namespace fibu
