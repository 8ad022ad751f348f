#include "suite/batch_interaktion.h"

#include <cctype>
#include <cstdio>
#include <optional>

#include "suite/allgemei.h"
#include "suite/raster.h"

namespace fibu {
namespace {

std::string normal(const std::string& s) {
  std::string t;
  for (char c : s) {
    if (c == '&') continue;
    t.push_back(c == '\r' || c == '\n' ? ' ' : c);
  }
  // Collapse runs of blanks so that line breaks written as blanks match.
  std::string aus;
  for (char c : trim(t))
    if (!(c == ' ' && !aus.empty() && aus.back() == ' ')) aus.push_back(c);
  return gross(aus);
}

std::optional<bool> ja_nein(const std::string& wert) {
  std::string w = gross(trim(wert));
  if (w == "JA" || w == "J" || w == "YES" || w == "1") return true;
  if (w == "NEIN" || w == "N" || w == "NO" || w == "0") return false;
  return std::nullopt;
}


}  // namespace

Ergebnis Antworten::aus_text(const std::string& text) {
  std::size_t nr = 0;
  for (const std::string& zeile : textzeilen(text)) {
    ++nr;
    std::string t = trim(zeile);
    if (t.empty() || t[0] == '#' || t[0] == ';') continue;
    std::size_t gleich = t.find(" = ");
    std::size_t breite = 3;
    if (gleich == std::string::npos) {
      gleich = t.find('=');
      breite = 1;
    }
    if (gleich == std::string::npos)
      return Ergebnis::fehler(Ergebnis::Code::Ungueltig,
                              "Antwortdatei Zeile " + std::to_string(nr) + ": \"=\" fehlt");
    setze(t.substr(0, gleich), trim(t.substr(gleich + breite)));
  }
  return Ergebnis::erfolg();
}

Ergebnis Antworten::laden(Dateisystem& fs, const std::string& pfad) {
  std::string text;
  if (Ergebnis e = fs.lies_datei(pfad, text); !e) return e;
  return aus_text(text);
}

void Antworten::setze(const std::string& frage_oder_feld, const std::string& wert) {
  werte_[normal(frage_oder_feld)] = {trim(frage_oder_feld), wert};
}

const std::string* Antworten::finde(const std::string& schluessel) const {
  auto it = werte_.find(normal(schluessel));
  if (it == werte_.end()) return nullptr;
  it->second.benutzt = true;
  return &it->second.wert;
}

std::vector<std::string> Antworten::unbenutzt() const {
  std::vector<std::string> aus;
  for (const auto& [k, w] : werte_)
    if (!w.benutzt && k != normal("Fragen")) aus.push_back(w.schluessel);
  return aus;
}

BatchInteraktion::BatchInteraktion(Antworten antworten, std::ostream& log, Dateisystem& fs,
                                   std::string ausgabeverzeichnis)
    : antworten_(std::move(antworten)),
      log_(log),
      fs_(fs),
      ausgabe_(std::move(ausgabeverzeichnis)) {}

std::string BatchInteraktion::lesbar(const std::string& text) const {
  std::string aus;
  for (char c : text) aus.push_back(c == '\r' ? '\n' : c);
  return aus;
}

void BatchInteraktion::fehler(const std::string& text) {
  fehlerfrei_ = false;
  log_ << "FEHLER: " << text << "\n";
}

void BatchInteraktion::ShowMessageMain(const std::string& text) {
  log_ << "Meldung: " << lesbar(text) << "\n";
}

bool BatchInteraktion::JaNein2(const std::string& frage) {
  const std::string* w = antworten_.finde(frage);
  if (!w) w = antworten_.finde("Fragen");
  std::optional<bool> j = w ? ja_nein(*w) : std::nullopt;
  if (!j) {
    fehler("Frage ohne Antwort in der Antwortdatei: " + lesbar(frage));
    return false;
  }
  log_ << "Frage: " << lesbar(frage) << " -> " << (*j ? "Ja" : "Nein") << "\n";
  return *j;
}

Antwort BatchInteraktion::JaNeinHilfe(const std::string& frage) {
  return JaNein2(frage) ? Antwort::Ja : Antwort::Nein;
}

void BatchInteraktion::Balken_Oeffnen(const std::string& text, long maximum) {
  balken_text_ = text;
  balken_max_ = maximum;
  balken_stand_ = 0;
  balken_zehntel_ = 0;
  log_ << text << "\n";
}

void BatchInteraktion::Balken_Max(long maximum) {
  balken_max_ = maximum;
}

void BatchInteraktion::Balken_Text(const std::string& text) {
  log_ << text << "\n";
}

void BatchInteraktion::Balken_Inc(long schritte) {
  balken_stand_ += schritte;
  if (balken_max_ <= 0) return;
  int zehntel = static_cast<int>(balken_stand_ * 10 / balken_max_);
  if (zehntel > balken_zehntel_ && zehntel <= 10) {
    balken_zehntel_ = zehntel;
    log_ << "  " << zehntel * 10 << " %\n";
  }
}

void BatchInteraktion::Balken_Schliessen() {}

bool BatchInteraktion::drucker_waehlen(Druckauftrag& auftrag) {
  if (!auftrag.hinweis.empty()) log_ << "Druck: " << lesbar(auftrag.hinweis) << "\n";
  auftrag.ziel = pdf_ ? Druckziel::Pdf : Druckziel::Textdatei;
  return true;
}

void BatchInteraktion::drucken(const Druckauftrag& auftrag) {
  char nummer[16];
  std::snprintf(nummer, sizeof nummer, "%03d", ++auftraege_);
  if (Ergebnis e = fs_.verzeichnis_anlegen(ausgabe_); !e) {
    fehler(e.text());
    return;
  }
  const std::string basis =
      pfad_verbinden(ausgabe_, std::string(nummer) + "-" + druck_dateiname(auftrag.name));
  if (Ergebnis e = textdatei_schreiben(fs_, basis + ".txt", auftrag); !e) {
    fehler(e.text());
    return;
  }
  dateien_.push_back(basis + ".txt");
  log_ << "Druck geschrieben: " << basis << ".txt\n";
  if (pdf_) {
    if (Ergebnis e = pdf_(auftrag, basis + ".pdf"); !e) {
      fehler(e.text());
      return;
    }
    dateien_.push_back(basis + ".pdf");
    log_ << "Druck geschrieben: " << basis << ".pdf\n";
  }
}

bool BatchInteraktion::abschliessen() {
  for (const auto& k : antworten_.unbenutzt()) fehler("Antwort wurde nicht gebraucht: " + k);
  return fehlerfrei_;
}

// A key by its name ("F5", "Esc") or a button by its caption.
std::optional<Reaktion> BatchInteraktion::druecke(TEntryForm& form, const std::string& name) {
  const auto& befehle = form.befehle();
  for (std::size_t i = 0; i < befehle.size(); ++i)
    if (gleiche_beschriftung(befehle[i].beschriftung, name)) return form.befehl(i);
  if (auto t = taste_aus_name(name)) return form.taste(*t);
  fehler("Dialog \"" + form.titel() + "\" hat keine Taste \"" + name + "\"");
  return std::nullopt;
}

bool BatchInteraktion::formular(TEntryForm& form) {
  log_ << "Dialog: " << form.titel() << "\n";
  // "<title> / Tasten = F5, Adresse": keys and buttons pressed before the
  // fields are filled (e.g. to unlock fields or open a sub-dialog).
  if (const std::string* tasten = antworten_.finde(form.titel() + " / Tasten")) {
    std::string rest = *tasten;
    while (!trim(rest).empty()) {
      std::size_t komma = rest.find(',');
      std::string name = trim(rest.substr(0, komma));
      rest = komma == std::string::npos ? "" : rest.substr(komma + 1);
      log_ << "  Taste " << name << "\n";
      auto r = druecke(form, name);
      if (!r) return false;
      if (*r != Reaktion::Weiter) return *r == Reaktion::Speichern;
    }
  }
  for (const auto& f : form.felder()) {
    const std::string* w = antworten_.finde(form.titel() + " / " + f.beschriftung);
    if (!w) w = antworten_.finde(f.beschriftung);
    if (!w) continue;
    if (f.geschuetzt) {
      fehler("Feld ist gesperrt und kann nicht gesetzt werden: " + f.beschriftung);
      return false;
    }
    log_ << "  " << f.beschriftung << " = " << *w << "\n";
    if (!form.eingabe(f.nr, *w) || !form.verlassen(f.nr)) {
      fehler("Eingabe abgelehnt: " + f.beschriftung + " = " + *w);
      return false;
    }
  }
  // "<title> / Zeile n = a; b": the cells of line n of the form's table.
  if (const auto& t = form.tabelle()) {
    for (int z = 0; z < t->zeilen(); ++z) {
      const std::string* w = antworten_.finde(form.titel() + " / Zeile " + std::to_string(z + 1));
      if (!w) continue;
      log_ << "  Zeile " << z + 1 << " = " << *w << "\n";
      std::string rest = *w;
      for (int sp = 0; sp < static_cast<int>(t->spalten.size()); ++sp) {
        const std::size_t semikolon = rest.find(';');
        const std::string wert = trim(rest.substr(0, semikolon));
        rest = semikolon == std::string::npos ? "" : rest.substr(semikolon + 1);
        if (!form.zelle_setzen(z, sp, wert)) {
          fehler("Eingabe abgelehnt: Zeile " + std::to_string(z + 1) + " " + t->spalten[sp] +
                 " = " + wert);
          return false;
        }
      }
    }
  }
  // "<title> = sichern": the button or key that closes the dialog; Esc
  // (save and close) unless given.
  Reaktion r = Reaktion::Weiter;
  if (const std::string* schluss = antworten_.finde(form.titel())) {
    log_ << "  Taste " << *schluss << "\n";
    auto gedrueckt = druecke(form, *schluss);
    if (!gedrueckt) return false;
    r = *gedrueckt;
  } else {
    r = form.taste(Taste::Esc);
  }
  if (r == Reaktion::Speichern) return true;
  if (r == Reaktion::Abbrechen) return false;
  fehler("Dialog \"" + form.titel() + "\" wurde nicht gespeichert");
  return false;
}

// "<title> / Zeile n = a; b; ...": the values of the cells the cursor
// visits from the first column of the next row on, for n = 1, 2, ...; then
// the keys of "<title> / Tasten", then Esc ends the screen ("<title> =
// Schließen" closes the window instead).
void BatchInteraktion::raster(Rasterformular& r) {
  log_ << "Maske: " << r.titel() << "\n";
  for (int n = 1;; ++n) {
    const std::string* w = antworten_.finde(r.titel() + " / Zeile " + std::to_string(n));
    if (!w) break;
    log_ << "  Zeile " << n << " = " << *w << "\n";
    std::vector<std::string> werte;
    std::string rest = *w;
    for (bool weiter = true; weiter;) {
      const std::size_t semikolon = rest.find(';');
      werte.push_back(trim(rest.substr(0, semikolon)));
      weiter = semikolon != std::string::npos;
      rest = weiter ? rest.substr(semikolon + 1) : "";
    }
    const auto ergebnis = raster_zeile_tippen(r, werte, 0);
    if (ergebnis == Zeilentippen::Geschrieben || ergebnis == Zeilentippen::Uebrig)
      log_ << "  gebucht als Zeile " << r.zeile() - 1 << "\n";
    if (ergebnis == Zeilentippen::Uebrig) {
      fehler("Zeile " + std::to_string(n) + " hat mehr Werte als Spalten bis zum Buchen");
      break;
    }
    if (ergebnis != Zeilentippen::Geschrieben) {
      fehler("Zeile " + std::to_string(n) + (ergebnis == Zeilentippen::Abgelehnt
                                                  ? " wurde nicht gebucht"
                                                  : " ist mit ihren Werten nicht vollständig"));
      break;
    }
  }
  // "<title> / Tasten = F6, Drucken": keys and buttons pressed after the rows.
  if (const std::string* tasten = antworten_.finde(r.titel() + " / Tasten")) {
    std::string rest = *tasten;
    while (!trim(rest).empty()) {
      const std::size_t komma = rest.find(',');
      const std::string name = trim(rest.substr(0, komma));
      rest = komma == std::string::npos ? "" : rest.substr(komma + 1);
      log_ << "  Taste " << name << "\n";
      std::optional<Taste> t = taste_aus_name(name);
      for (const auto& [taste, beschriftung] : r.tasten())
        if (!t && gleiche_beschriftung(beschriftung, name)) t = taste;
      if (!t) {
        fehler("Maske \"" + r.titel() + "\" hat keine Taste \"" + name + "\"");
        return;
      }
      if (r.taste(*t) != Reaktion::Weiter) return;
    }
  }
  const std::string* schluss = antworten_.finde(r.titel());
  if (!schluss || trim(*schluss) != "Schließen") {
    if (r.taste(Taste::Esc) != Reaktion::Weiter) return;
    fehler("Maske \"" + r.titel() + "\" ließ sich nicht mit Esc beenden");
  }
  if (!r.schliessen()) fehler("Maske \"" + r.titel() + "\" wurde nicht geschlossen");
}

std::optional<Browsereintrag> BatchInteraktion::auswahl(Tmybrowser& liste) {
  const std::string* w = antworten_.finde(liste.titel());
  if (!w) {
    fehler("Auswahlliste ohne Antwort: " + liste.titel());
    return std::nullopt;
  }
  for (auto seite = liste.ab("", 100); !seite.empty();) {
    for (const auto& e : seite)
      if (trim(e.zeile).rfind(*w, 0) == 0 || e.schluessel.rfind(*w, 0) == 0) return e;
    seite = liste.ab(seite.back().schluessel + '\0', 100);
  }
  fehler("Auswahlliste " + liste.titel() + " hat keinen Eintrag " + *w);
  return std::nullopt;
}

}  // namespace fibu
