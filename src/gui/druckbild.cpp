#include "gui/druckbild.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>

namespace fibu {
namespace {

constexpr double mm_pro_zoll = 25.4;

// Characters per line each mode is laid out for: at least the classic
// printer pitches (80 normal, 132 narrow, 100 small), more when a line of
// the job is longer.
struct Spalten {
  int normal = 80, schmal = 132, klein = 100;
  int fuer(Schrift s) const {
    return s == Schrift::Schmal ? schmal : s == Schrift::Klein ? klein : normal;
  }
};

Spalten spalten(const Druckauftrag& auftrag) {
  Spalten s;
  for (const auto& seite : auftrag.seiten)
    for (const auto& z : seite.zeilen) {
      const int n = static_cast<int>(QString::fromStdString(z.text).size());
      int& ziel = z.schrift == Schrift::Schmal  ? s.schmal
                  : z.schrift == Schrift::Klein ? s.klein
                                                : s.normal;
      ziel = std::max(ziel, n);
    }
  return s;
}

// The font of a mode whose advance is `zeichenbreite` and whose height fits
// `zeilenhoehe` (both in device pixels).
QFont schrift_fuer(Schrift modus, double zeichenbreite, double zeilenhoehe, QPaintDevice* geraet) {
  QFont f = druckschrift();
  f.setBold(modus == Schrift::Fett);
  f.setPointSizeF(10);
  QFontMetricsF m(f, geraet);
  double faktor = zeichenbreite / m.horizontalAdvance(QLatin1Char('M'));
  faktor = std::min(faktor, zeilenhoehe / m.height());
  f.setPointSizeF(10 * faktor);
  return f;
}

QFont positionsschrift(Schrift modus) {
  QFont f = druckschrift();
  f.setBold(modus == Schrift::Fett);
  f.setPointSizeF(modus == Schrift::Normal || modus == Schrift::Fett ? 10 : 8);
  return f;
}

void seite_malen(QPainter& maler, QPaintDevice& geraet, const Druckauftrag& auftrag,
                 const Druckseite& seite, const Spalten& sp, const Seitenformat& format) {
  const double px_mm = geraet.logicalDpiX() / mm_pro_zoll;
  const double py_mm = geraet.logicalDpiY() / mm_pro_zoll;
  const double links = format.links * px_mm;
  const double oben = format.oben * py_mm;
  const double breite = geraet.width() - links - format.rechts * px_mm;
  const double hoehe = geraet.height() - oben - format.unten * py_mm;
  const int zeilen =
      std::max<int>({auftrag.zeilen_pro_seite, static_cast<int>(seite.zeilen.size()), 1});
  const double zeilenhoehe = hoehe / zeilen;

  QFont schriften[4];
  bool gesetzt[4] = {};
  for (std::size_t i = 0; i < seite.zeilen.size(); ++i) {
    const Druckzeile& z = seite.zeilen[i];
    if (z.text.empty()) continue;
    const int art = static_cast<int>(z.schrift);
    if (!gesetzt[art]) {
      schriften[art] = schrift_fuer(z.schrift, breite / sp.fuer(z.schrift), zeilenhoehe, &geraet);
      gesetzt[art] = true;
    }
    maler.setFont(schriften[art]);
    QFontMetricsF m(schriften[art], &geraet);
    const double grundlinie =
        oben + static_cast<double>(i) * zeilenhoehe + (zeilenhoehe - m.height()) / 2 + m.ascent();
    maler.drawText(QPointF(links, grundlinie), QString::fromStdString(z.text));
  }
  for (const Positionstext& t : seite.texte) {
    QFont f = positionsschrift(t.schrift);
    maler.setFont(f);
    QFontMetricsF m(f, &geraet);
    maler.drawText(QPointF(t.x_mm * px_mm, t.y_mm * py_mm + m.ascent()),
                   QString::fromStdString(t.text));
  }
}

}  // namespace

QFont druckschrift() {
  QFont f(QStringLiteral("Liberation Mono"));
  f.setStyleHint(QFont::Monospace);
  f.setFixedPitch(true);
  f.setKerning(false);
  return f;
}

void seite_einrichten(QPagedPaintDevice& geraet, const Seitenformat& format) {
  geraet.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                   format.quer ? QPageLayout::Landscape : QPageLayout::Portrait,
                                   QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
}

void auftrag_malen(QPainter& maler, QPagedPaintDevice& geraet, const Druckauftrag& auftrag,
                   const Seitenformat& format, int von, int bis) {
  const Spalten sp = spalten(auftrag);
  const int n = static_cast<int>(auftrag.seiten.size());
  if (von < 1) von = 1;
  if (bis < 1 || bis > n) bis = n;
  maler.setPen(Qt::black);
  for (int s = von; s <= bis; ++s) {
    if (s > von) geraet.newPage();
    seite_malen(maler, geraet, auftrag, auftrag.seiten[static_cast<std::size_t>(s - 1)], sp, format);
  }
}

Ergebnis pdf_schreiben(const Druckauftrag& auftrag, const std::string& pfad,
                       const Seitenformat& format) {
  auto fehler = [&] {
    return Ergebnis::fehler(Ergebnis::Code::EA_Fehler,
                            "Die PDF-Datei " + pfad + " kann nicht geschrieben werden!");
  };
  // Drawn into memory first; the file appears whole or not at all.
  QBuffer puffer;
  puffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter schreiber(&puffer);
    schreiber.setResolution(600);
    schreiber.setTitle(QString::fromStdString(auftrag.name));
    schreiber.setCreator(QStringLiteral("FIBU Finanzbuchhaltung"));
    seite_einrichten(schreiber, format);
    QPainter maler;
    if (!maler.begin(&schreiber)) return fehler();
    auftrag_malen(maler, schreiber, auftrag, format);
    if (!maler.end()) return fehler();
  }
  QSaveFile datei(QString::fromStdString(pfad));
  if (!datei.open(QIODevice::WriteOnly) || datei.write(puffer.data()) != puffer.size() ||
      !datei.commit())
    return fehler();
  return Ergebnis::erfolg();
}

}  // namespace fibu
