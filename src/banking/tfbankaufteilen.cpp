#include "banking/tfbankaufteilen.h"

#include <algorithm>

#include "banking/zuordnung.h"
#include "store/kontenbereiche.h"
#include "store/puffer.h"
#include "suite/allgemei.h"
#include "suite/ausgabe3.h"

namespace fibu {

namespace {
using O = OpstammFelder;

enum Feld { f_betrag = 1, f_text_btx, f_text_fibu, f_summe, f_differenz };
enum Spalte { s_belegnr = 0, s_konto, s_name, s_betrag };
}  // namespace

TFBankAufteilen::TFBankAufteilen(Mandant& m, tbank& bank, std::size_t zeile)
    : m_(m), bank_(bank), zeile_(zeile), form_("Aufteilen der Bankzeile") {
  const auto& zeilen = bank_.zeilen();
  const Bankzeile& z = zeilen[zeile_];
  // The line and its split rows as they are.
  for (std::size_t i = zeile_;
       i < zeilen.size() && (i == zeile_ || (!zeilen[i].auszugszeile() && !zeilen[i].leer()));
       ++i) {
    const Bankzeile& r = zeilen[i];
    if (r.belegnr.empty() && r.konto.empty() && r.betrag == 0) continue;
    teile_.push_back({r.belegnr, r.konto, bank_.kontoname(r.konto), r.betrag});
  }
  form_.AddComp(f_betrag, "Betrag", z.soll + z.haben);
  form_.ProtectControl(f_betrag);
  form_.AddString(f_text_btx, "Text BTX", z.text_btx, 80);
  form_.ProtectControl(f_text_btx);
  form_.AddString(f_text_fibu, "Text Fibu", z.text_fibu, 50);
  form_.AddComp(f_summe, "Summe", 0);
  form_.ProtectControl(f_summe);
  form_.AddComp(f_differenz, "Differenz", 0);
  form_.ProtectControl(f_differenz);
  summen_zeigen();
  form_.setze_tabelle(
      {{"Belegnr", "Konto", "Name", "Betrag"},
       [this] { return std::min<int>(static_cast<int>(teile_.size()) + 1, max_zeilen); },
       [this](int nr, int spalte) -> std::string {
         if (nr >= static_cast<int>(teile_.size())) return "";
         const Teilzeile& t = teile_[static_cast<std::size_t>(nr)];
         switch (spalte) {
           case s_belegnr:
             return t.belegnr;
           case s_konto:
             return t.konto;
           case s_name:
             return t.name;
           default:
             return t.betrag == 0 ? "" : betrag_text(t.betrag);
         }
       },
       [this](int nr, int spalte, const std::string& text) {
         return zelle_setzen(nr, spalte, text);
       }});
  form_.FrageDatenSpeichern(false);
  form_.AddKey(Taste::Esc, "&OK", [this](TEntryForm& f) {
    const std::string fehler = pruefen();
    if (!fehler.empty()) {
      f.ui().ShowMessageMain(fehler);
      return Reaktion::Weiter;
    }
    uebernehmen();
    return Reaktion::Speichern;
  });
  form_.AddKey(Taste::F3, "&BTX-Text", [this](TEntryForm&) {
    btx_text();
    return Reaktion::Weiter;
  });
  form_.AddKey(Taste::F4, "&Drucken", [this](TEntryForm&) {
    drucken();
    return Reaktion::Weiter;
  });
}

bool TFBankAufteilen::ausfuehren() {
  return form_.Execute(m_.ui());
}

bool TFBankAufteilen::sachzeile(const std::string& belegnr) {
  return zeichenzahl(belegnr) < 2 || belegnr[0] == '/';
}

Betrag TFBankAufteilen::summe() const {
  Betrag s = 0;
  for (const Teilzeile& t : teile_) s += t.betrag;
  return s;
}

void TFBankAufteilen::summen_zeigen() {
  form_.setze_zahl(f_summe, summe());
  form_.setze_zahl(f_differenz, form_.zahl(f_betrag) - summe());
}

bool TFBankAufteilen::aus_op(Teilzeile& t) {
  Bankzeile probe = bank_.zeilen()[zeile_];
  auto op = op_zur_belegnummer(m_, probe, t.belegnr, probe.gutschrift);
  if (!op) return false;
  aus_op_fuellen(m_, probe, *op);
  t.konto = probe.konto;
  t.name = op->get(O::Diverse) ? trim(op->get(O::Name)) : bank_.kontoname(probe.konto);
  t.betrag = probe.betrag;
  return true;
}

bool TFBankAufteilen::zelle_setzen(int zeile, int spalte, const std::string& roh) {
  if (zeile < 0 || zeile >= max_zeilen) return false;
  if (zeile >= static_cast<int>(teile_.size())) teile_.resize(static_cast<std::size_t>(zeile) + 1);
  Teilzeile& t = teile_[static_cast<std::size_t>(zeile)];
  const std::string text = trim(roh);
  Interaktion& ui = m_.ui();
  switch (spalte) {
    case s_belegnr:
      if (zeichenzahl(text) > 7) {
        ui.ShowMessageMain("Die Belegnummer hat höchstens 7 Zeichen!");
        return false;
      }
      if (text != t.belegnr) {
        t.belegnr = text;
        if (!sachzeile(text) && !aus_op(t)) ui.ShowMessageMain("OP nicht gefunden!");
      }
      break;
    case s_konto:
      if (!nur_ziffern(text) || text.size() > 8) {
        ui.ShowMessageMain("Bitte eine Kontonummer mit bis zu 8 Ziffern eingeben!");
        return false;
      }
      t.konto = text;
      t.name = bank_.kontoname(text);
      break;
    case s_betrag: {
      auto b = text.empty() ? std::optional<Betrag>(0) : betrag_aus_text(text);
      if (!b) {
        ui.ShowMessageMain("Bitte einen gültigen Betrag eingeben!");
        return false;
      }
      t.betrag = *b;
      break;
    }
    default:
      return false;
  }
  summen_zeigen();
  return true;
}

void TFBankAufteilen::btx_text() {
  const Bankzeile& z = bank_.zeilen()[zeile_];
  for (const std::string& nummer : belegnummern(zuordnungsmuster(m_.basis), z)) {
    if (static_cast<int>(teile_.size()) >= max_zeilen) break;
    const bool schon = std::any_of(teile_.begin(), teile_.end(),
                                   [&](const Teilzeile& t) { return t.belegnr == nummer; });
    if (schon) continue;
    Teilzeile t;
    t.belegnr = nummer;
    if (!sachzeile(nummer)) (void)aus_op(t);
    teile_.push_back(std::move(t));
  }
  summen_zeigen();
}

std::string TFBankAufteilen::pruefen() {
  // Lines without any content do not count.
  std::erase_if(teile_, [](const Teilzeile& t) {
    return t.belegnr.empty() && t.konto.empty() && t.betrag == 0;
  });
  summen_zeigen();
  if (summe() != form_.zahl(f_betrag)) return "Die Summe stimmt nicht mit dem Betrag überein!";
  for (Teilzeile& t : teile_) {
    if (!sachzeile(t.belegnr)) {
      Teilzeile probe = t;
      if (!aus_op(probe)) return "OP nicht gefunden!";
      continue;
    }
    Puffer p(m_.sach.get());
    if (t.konto.empty() || !m_.ist_sachkonto(t.konto) ||
        !m_.sach->suchen(m_.sachkonto_text(kontowert(t.konto))))
      return "Sachkonto nicht gefunden!";
  }
  return "";
}

void TFBankAufteilen::uebernehmen() {
  auto& zeilen = bank_.zeilen();
  // The split rows the line had go; the sub-lines take their place.
  std::size_t ende = zeile_ + 1;
  while (ende < zeilen.size() && !zeilen[ende].auszugszeile() && !zeilen[ende].leer()) ++ende;
  zeilen.erase(zeilen.begin() + static_cast<std::ptrdiff_t>(zeile_ + 1),
               zeilen.begin() + static_cast<std::ptrdiff_t>(ende));
  Bankzeile& z = zeilen[zeile_];
  z.text_fibu = form_.text(f_text_fibu);
  std::vector<Bankzeile> neue;
  for (std::size_t i = 0; i < teile_.size(); ++i) {
    const Teilzeile& t = teile_[i];
    Bankzeile r;
    if (i > 0) {
      r.tag = z.tag;
      r.text_fibu = z.text_fibu;
    }
    Bankzeile& ziel = i == 0 ? z : r;
    ziel.belegnr = sachzeile(t.belegnr) && (t.belegnr.empty() || t.belegnr[0] != '/')
                       ? "/" + t.belegnr
                       : t.belegnr;
    ziel.konto = t.konto;
    ziel.betrag = t.betrag;
    bool gutschrift = false;
    if (!ziel.sachzeile()) (void)op_zur_belegnummer(m_, z, t.belegnr, gutschrift);
    ziel.gutschrift = gutschrift;
    if (i > 0) neue.push_back(std::move(r));
  }
  zeilen.insert(zeilen.begin() + static_cast<std::ptrdiff_t>(zeile_ + 1), neue.begin(), neue.end());
  bank_.geaendert();
}

bool TFBankAufteilen::drucken() {
  const bool mit_op = std::any_of(teile_.begin(), teile_.end(),
                                  [](const Teilzeile& t) { return !sachzeile(t.belegnr); });
  if (!mit_op) {
    m_.ui().ShowMessageMain("Keine OP erfaßt, daher kein Ausdruck möglich!");
    return false;
  }
  Ausgabe3 d(m_.ui());
  if (!d.open_drucker("Aufteilung Zahlungseingang")) return false;
  const Bankzeile& z = bank_.zeilen()[zeile_];
  auto betrag = [](Betrag b) { return rechtsbuendig(betrag_text(b), 12); };
  drucke_seitenkopf(d, seitenkopf(m_, "Aufteilung Zahlungseingang", 79));
  d.druckeln("Ihr Zahlungseingang konnte nicht zugeordnet werden und wurde wie folgt");
  d.druckeln("in unserer Buchhaltung verbucht:");
  d.druckeln();
  d.druckeln("Zahlungseingang : " + trim(betrag(z.soll + z.haben)));
  d.druckeln("BTX-Text        : " + z.text_btx);
  d.druckeln();
  d.druckeln("Belegnr         Betrag   Betreff");
  for (const Teilzeile& t : teile_)
    d.druckeln(padcut(t.belegnr, 8) + betrag(t.betrag) + "   " + t.name);
  d.druckeln();
  d.druckeln("Summe     " + betrag(summe()));
  d.close_drucker();
  return true;
}

}  // namespace fibu
