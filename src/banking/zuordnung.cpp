#include "banking/zuordnung.h"

#include "store/puffer.h"
#include "suite/allgemei.h"

namespace fibu {

namespace {
using O = OpstammFelder;
using BF = BasisFelder;

// The OP of a key into `aus`; false when there is none.
bool op_suchen(Mandant& m, const std::string& key, Satz& aus) {
  Puffer p(m.opstamm.get());
  if (!m.opstamm->suchen(key)) return false;
  aus = m.opstamm->satz();
  return true;
}
}  // namespace

Zuordnungsmuster zuordnungsmuster(const Satz& basis) {
  Zuordnungsmuster z;
  z.ar1 = trim(basis.get(BF::bank_muster_ar(0)));
  z.ar2 = trim(basis.get(BF::bank_muster_ar(1)));
  z.er = trim(basis.get(BF::BankMusterEr));
  z.sachkonto = trim(basis.get(BF::BankMusterSach));
  return z;
}

std::vector<std::string> muster_treffer(std::string_view text, std::string_view muster) {
  std::vector<std::string> treffer;
  if (muster.empty()) return treffer;
  const std::string_view fest = muster.substr(0, std::min(muster.find('?'), muster.size()));
  const std::size_t laenge = zeichenzahl(muster);
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == ',')) ++i;
    std::size_t ende = i;
    while (ende < text.size() && text[ende] != ' ' && text[ende] != ',') ++ende;
    const std::string_view wort = text.substr(i, ende - i);
    i = ende;
    const std::size_t p = wort.find(fest);
    if (wort.empty() || p == std::string_view::npos) continue;
    const std::string_view ab = wort.substr(p);
    if (zeichenzahl(ab) < laenge) continue;
    treffer.emplace_back(ab.substr(0, byte_position(ab, laenge)));
  }
  return treffer;
}

std::string letzter_treffer(std::string_view text, std::string_view muster) {
  auto t = muster_treffer(text, muster);
  return t.empty() ? std::string() : t.back();
}

char bank_kennung(const Bankzeile& auszug, bool gutschrift) {
  const bool eingang = auszug.haben != 0;
  return eingang != gutschrift ? 'D' : 'K';
}

void aus_op_fuellen(Mandant& m, Bankzeile& z, const Satz& op) {
  z.konto = trim(op.get(O::Kontonummer));
  const Betrag offen = op.get(O::NochOffen);
  const bool kunde = m.ist_debitor(z.konto);
  z.betrag = kunde == z.gutschrift ? -offen : offen;
}

std::vector<std::string> belegnummern(const Zuordnungsmuster& muster, const Bankzeile& auszug) {
  const bool eingang = auszug.haben != 0;
  const std::vector<const std::string*> muster_der_richtung =
      eingang ? std::vector<const std::string*>{&muster.ar1, &muster.ar2}
              : std::vector<const std::string*>{&muster.er};
  std::vector<std::string> aus;
  for (const std::string* text : {&auszug.text_btx, &auszug.referenz}) {
    for (const std::string* mu : muster_der_richtung) {
      auto t = muster_treffer(*text, *mu);
      aus.insert(aus.end(), t.begin(), t.end());
    }
    if (!aus.empty()) break;
  }
  return aus;
}

std::optional<Satz> op_zur_belegnummer(Mandant& m, const Bankzeile& auszug,
                                       const std::string& nummer, bool& gutschrift) {
  Satz op(O::groesse);
  for (bool g : {false, true}) {
    std::string key(1, bank_kennung(auszug, g));
    key += nummer;
    if (op_suchen(m, key, op)) {
      gutschrift = g;
      return op;
    }
  }
  return std::nullopt;
}

void zuordnen(Mandant& m, const Zuordnungsmuster& muster, Bankzeile& z) {
  const auto nummern = belegnummern(muster, z);
  if (!nummern.empty()) z.belegnr = nummern.back();
  const std::string konto = letzter_treffer(z.text_btx, muster.sachkonto);
  if (!konto.empty()) {
    z.konto = konto;
    z.belegnr.assign(1, '/');
  }
  if (z.sachzeile()) {
    z.betrag = z.soll + z.haben;
    return;
  }
  if (z.belegnr.empty()) return;
  bool gutschrift = false;
  if (auto op = op_zur_belegnummer(m, z, z.belegnr, gutschrift)) {
    z.gutschrift = gutschrift;
    aus_op_fuellen(m, z, *op);
  }
}

}  // namespace fibu
