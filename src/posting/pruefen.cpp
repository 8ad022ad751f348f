// The booking check of the import paths: the checks in their order, each
// with its code, and the message texts of the codes.
#include <cstdio>
#include <map>

#include "posting/buchen.h"
#include "store/puffer.h"
#include "store/kontenbereiche.h"
#include "suite/allgemei.h"

namespace fibu {

namespace {

using B = BuchungFelder;
using BF = BasisFelder;

bool im_bereich(std::int32_t wert, std::int32_t von, std::int32_t bis) {
  return von <= wert && wert <= bis;
}

}  // namespace

Belegintervall belegintervall(const Satz& basis, const std::string& konto) {
  const int k = ist_sachkonto(basis, konto) ? 0 : ist_debitor(basis, konto) ? 3 : 6;
  return {trim(basis.get(BF::belegnummer(k))), trim(basis.get(BF::belegnummer(k + 1)))};
}

bool im_belegintervall(const Satz& basis, const std::string& konto, const std::string& belegnr) {
  const Belegintervall iv = belegintervall(basis, konto);
  auto wert = belegnummer_wert(belegnr);
  auto von = belegnummer_wert(iv.von);
  auto bis = belegnummer_wert(iv.bis);
  return wert && (!von || *wert >= *von) && (!bis || *wert <= *bis);
}

std::string kostenschluessel(const Satz& basis, const std::string& kost) {
  const std::int32_t nr = kontowert(kost);
  const bool verteilung =
      im_bereich(nr, basis.get(BF::VerteilschluesselVon), basis.get(BF::VerteilschluesselBis));
  return (verteilung ? "V" : "K") + vierstellig(nr);
}

std::string pruef_text(int code) {
  static const std::map<int, std::string> texte = {
      {1, "Bitte Konto eingeben!"},
      {2, "Bitte Gegenkonto eingeben!"},
      {3, "Bitte Betrag ungleich Null eingeben!"},
      {4, "Bitte gültiges Datum eingeben!"},
      {5, "Belegnummer nicht im erlaubten Intervall!"},
      {6, "OP ist bereits vorhanden!"},
      {7,
       "Konto ist Forderungskonto oder Verbindlichkeitskontound kann nicht direkt bebucht "
       "werden!"},
      {8, "Konto ist Steuerkonto und kann nicht direkt bebucht werden!"},
      {9,
       "Konto ist Forderungskonto oder Verbindlichkeitskontound kann nicht direkt bebucht "
       "werden!"},
      {10, "Konto ist Steuerkonto und kann nicht direkt bebucht werden!"},
      {11, "Buchungsart ist ungültig!"},
      {12, "Bitte Kostenstelle/Verteilschlüssel eingeben!"},
      {13, "Bitte gültige Kostenstelle oder gültigen Verteilschlüssel eingeben!"},
      {14, "Steuerschlüssel nicht im erlaubten Intervall!"},
      {15, "Steuerkonto zu Steuerschlüssel nicht gesetzt!"},
      {16, "Soll-/Habenkennzeichen ist ungültig!"},
      {17, "Periode liegt nicht im erlaubten Intervall!"},
      {18, "Kostenstelle zu diesem Konto nicht möglich!"},
      {19, "OP nicht vorhanden!"},
      {20, "Forder-/Verbindlichkeits- oder Steuerkonto nicht gefunden!"},
      {21, "Gegenkonto zu diesem Sachkonto nicht möglich!"},
      {22, "Gegenkonto zu diesem Debitorenkonto nicht möglich!"},
      {23, "Gegenkonto zu diesem Kreditorenkonto nicht möglich!"},
      {24, "Belegnummer darf nicht leer sein!"},
      {25, "Buchungsart bei Personenkonto ungültig!"},
      {26, "Sachkonto nicht gefunden!"},
      {27, "Personenkonto nicht gefunden!"},
      {51, "Bitte Skontokonto eingeben!"},
      {52, "Bitte korrekten Skontobetrag eingeben!"},
      {53, "Bitte Kostenstelle 2 eingeben!"},
      {54, "Bitte gültige Kostenstelle 2 eingeben!"},
  };
  auto it = texte.find(code);
  return it == texte.end() ? std::string() : it->second;
}

int Buchungskern::buchung_pruefen(Satz& b, bool belegintervall, bool op_vorhanden_erlaubt) {
  using S = SachFelder;
  const Satz& basis = *u_.basis;
  Puffer sach_puffer(u_.sach), personen_puffer(u_.personen), kosten_puffer(u_.kosten);
  auto vorhanden = [](tdatenbank* db, const std::string& key) {
    return db && db->offen() && !key.empty() && db->key_vorhanden(1, key);
  };
  auto sachkonto_da = [&](std::int32_t nummer) {
    return nummer != 0 && vorhanden(u_.sach, sachkonto_text(basis, nummer));
  };

  const std::string konto = b.get(B::Konto);
  const std::int32_t kontonr = kontowert(konto);
  const bool sach = ist_sachkonto(basis, konto);
  const char art = buchungsart(b) ? buchungsart(b) : ' ';

  if (std::string(" EGKRVZ").find(art) == std::string::npos) return 11;
  if (!sach && std::string("EGRZ").find(art) == std::string::npos) return 25;
  std::uint8_t sh = b.u8(B::SollHaben);
  if (sh == 's' || sh == 'h') b.setze_u8(B::SollHaben, sh = static_cast<std::uint8_t>(sh - 32));
  if (sh != 'S' && sh != 'H') return 16;
  if (trim(konto).empty()) return 1;
  if (sach && ist_sammelkonto(basis, konto)) return 7;
  if (sach && ist_steuerkonto(basis, kontonr)) return 8;

  // The GL account itself, when there is one.
  std::optional<Satz> sachkonto;
  if (sach && u_.sach && u_.sach->offen()) {
    Satz s(S::groesse);
    if (sachkonto_lesen(kontonr, s)) sachkonto = s;
  }

  // Cost centre or allocation key.
  if (trim(b.get(B::Kost)) == "0") b.set(B::Kost, "");
  if (int c = kosten_pruefen(b)) return c;

  const std::string gegen = b.get(B::Gegenkonto);
  const std::int32_t gegennr = kontowert(gegen);
  const bool gegen_sach = ist_sachkonto(basis, gegen);
  if (trim(gegen).empty()) return 2;
  if (gegen_sach && ist_sammelkonto(basis, gegen)) return 9;
  if (gegen_sach && ist_steuerkonto(basis, gegennr)) return 10;
  if (b.get(B::Betrag) == 0) return 3;
  int p = b.get(B::Periode);
  if (p < 1 || p > basis.get(BF::AnzahlPerioden) || p > 12) return 17;
  Datum datum = b.get(B::Datum);
  if (datum < basis.get(BF::periode_von(p)) || datum > basis.get(BF::periode_bis(p))) return 4;

  auto schluessel = steuerschluessel_von(b);
  if (!schluessel || *schluessel > 40 || *schluessel < 0) return 14;
  if (*schluessel >= 1 && !sachkonto_da(basis.get(BF::steuerkonto(*schluessel)))) return 15;

  const std::string beleg = trim(b.get(B::Belegnr));
  if (eroeffnet_op(basis, b)) {
    if (beleg.empty()) return 24;
    if (!op_vorhanden_erlaubt && vorhanden(u_.opstamm, op_schluessel(basis, b))) return 6;
  }
  if (ist_zahlung(basis, b)) {
    if (beleg.empty()) return 24;
    if (!vorhanden(u_.opstamm, op_schluessel(basis, b))) return 19;
  }
  if (belegintervall && !im_belegintervall(basis, konto, beleg)) return 5;

  // The account must exist: a booking on a missing account would be
  // written without reaching any balance.
  if (sach && !sachkonto) return 26;
  if (!sach && !vorhanden(u_.personen, trim(konto))) return 27;

  if (!sach) {
    // Found above; a read that fails now must not leave another account's record.
    if (!u_.personen->suchen(trim(konto))) return 27;
    int c = u_.personen->satz().get(PersonenFelder::Sammelkonto);
    if (c < 1 || c > 40) return 20;
    std::int32_t sammel = ist_debitor(basis, konto) ? basis.get(BF::forderungskonto(c))
                                                    : basis.get(BF::verbindlichkeitskonto(c));
    if (!sachkonto_da(sammel)) return 20;
  } else {
    int j = sachkonto->get(S::Steuerschluessel);
    bool eg = sachkonto->get(S::Kontenart) == 5;
    if (j > 40 || (j >= 1 && !sachkonto_da(basis.get(BF::steuerkonto(j))))) return 20;
    if (eg && (j < 1 || j + 1 > 40 || !sachkonto_da(basis.get(BF::steuerkonto(j + 1))))) return 20;
  }

  return gegenkonto_pruefen(b);
}

int Buchungskern::kosten_pruefen(const Satz& b) {
  using S = SachFelder;
  const Satz& basis = *u_.basis;
  Puffer sach_puffer(u_.sach), kosten_puffer(u_.kosten);
  const std::string konto = b.get(B::Konto);
  const std::int32_t kontonr = kontowert(konto);
  const bool sach = ist_sachkonto(basis, konto);
  std::string kost = trim(b.get(B::Kost));
  if (kost == "0") kost.clear();
  if (!sach) return kost.empty() ? 0 : 18;
  Satz sachkonto(S::groesse);
  const bool gelesen = u_.sach && u_.sach->offen() && sachkonto_lesen(kontonr, sachkonto);
  if (kost.empty())
    return basis.get(BF::Kostenstellenzwang) != 0 || (gelesen && sachkonto.get(S::Kostenstellenzwang))
               ? 12
               : 0;
  const std::string key = kostenschluessel(basis, kost);
  const bool verteilung = key[0] == 'V';
  if (!u_.kosten || !u_.kosten->offen() || !u_.kosten->suchen(key)) return 13;
  bool frei = u_.kosten->satz().get(KostenFelder::FreiBebuchbar);
  if (!verteilung && !frei &&
      !(u_.kostart && u_.kostart->offen() &&
        u_.kostart->key_vorhanden(1, key.substr(1) + sachkonto_text(basis, kontonr))))
    return 18;
  return 0;
}

int Buchungskern::gegenkonto_pruefen(const Satz& b) const {
  const Satz& basis = *u_.basis;
  const std::string konto = b.get(B::Konto), gegen = b.get(B::Gegenkonto);
  const std::int32_t kontonr = kontowert(konto), gegennr = kontowert(gegen);
  const bool sach = ist_sachkonto(basis, konto), gegen_sach = ist_sachkonto(basis, gegen);
  if (sach && gegen_sach && basis.get(BF::PruefungSachAktiv))
    for (int r = 0; r < 10; ++r)
      if (im_bereich(kontonr, basis.get(BF::pruefung(0, r)), basis.get(BF::pruefung(1, r))) &&
          im_bereich(gegennr, basis.get(BF::pruefung(2, r)), basis.get(BF::pruefung(3, r))))
        return 21;
  auto erlaubt = [&](int spalte) {
    for (int r = 0; r < 10; ++r)
      if (im_bereich(gegennr, basis.get(BF::pruefung(spalte, r)),
                     basis.get(BF::pruefung(spalte + 1, r))))
        return true;
    return false;
  };
  if (!sach && ist_debitor(basis, konto) && basis.get(BF::PruefungDebitorAktiv) && gegen_sach &&
      !erlaubt(4))
    return 22;
  if (!sach && !ist_debitor(basis, konto) && basis.get(BF::PruefungKreditorAktiv) && gegen_sach &&
      !erlaubt(6))
    return 23;
  return 0;
}

}  // namespace fibu
