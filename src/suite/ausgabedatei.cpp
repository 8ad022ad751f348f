#include "suite/ausgabedatei.h"

namespace fibu {

namespace {
constexpr std::size_t stueck = 1 << 20;
}

Ausgabedatei::~Ausgabedatei() {
  datei_.reset();
  if (!tmp_.empty() && !eingesetzt_) (void)fs_.loeschen(tmp_);  // nothing to report any more
}

Ergebnis Ausgabedatei::oeffnen() {
  tmp_ = temporaerer_name(pfad_);
  return fs_.oeffnen(tmp_, Oeffnen::Neu, datei_);
}

Ergebnis Ausgabedatei::schreiben(std::string_view daten) {
  if (!datei_) return Ergebnis::fehler(Ergebnis::Code::Ungueltig, "Datei nicht geöffnet");
  puffer_.append(daten);
  return puffer_.size() >= stueck ? leeren() : Ergebnis::erfolg();
}

Ergebnis Ausgabedatei::leeren() {
  if (puffer_.empty()) return Ergebnis::erfolg();
  Ergebnis e = datei_->schreiben(pos_, puffer_);
  if (!e) return e;
  pos_ += puffer_.size();
  puffer_.clear();
  return e;
}

Ergebnis Ausgabedatei::fertig() {
  if (!datei_) return Ergebnis::fehler(Ergebnis::Code::Ungueltig, "Datei nicht geöffnet");
  Ergebnis e = leeren();
  if (e) e = datei_->sync();
  return e;
}

Ergebnis Ausgabedatei::einsetzen() {
  datei_.reset();
  Ergebnis e = fs_.umbenennen(tmp_, pfad_);
  if (!e) return e;
  eingesetzt_ = true;
  return fs_.verzeichnis_sync(verzeichnis_von(pfad_));
}

}  // namespace fibu
