// Drawing print jobs on paper-like devices (printer, PDF, preview) with
// QPainter: every line in a monospaced font whose pitch follows its mode
// (normal, narrow, small, bold), so that the longest line of a mode fits the
// width between the margins and the job's lines per page fit its height; a
// 132-column narrow list fits an A4 page upright or across. Positioned texts
// of forms are placed in millimetres from the paper's top left corner.
#pragma once

#include <QFont>
#include <QString>

#include "suite/druckauftrag.h"
#include "suite/ergebnis.h"

class QPainter;
class QPagedPaintDevice;

namespace fibu {

struct Seitenformat {
  bool quer = false;  // landscape
  // Margins in millimetres.
  double links = 15, oben = 10, rechts = 10, unten = 10;
};

// The monospaced family printed lists ask for ("Liberation Mono"), with the
// fixed-pitch fallback of the system when it is missing.
QFont druckschrift();

// Sets A4, the orientation and zero device margins (positions are measured
// from the paper's corner).
void seite_einrichten(QPagedPaintDevice& geraet, const Seitenformat& format);

// Draws the pages `von` to `bis` (from 1; 0 and 0 for all) of the job on
// the device the painter is open on, a new device page for each job page.
void auftrag_malen(QPainter& maler, QPagedPaintDevice& geraet, const Druckauftrag& auftrag,
                   const Seitenformat& format, int von = 0, int bis = 0);

// Writes the job as a PDF file (A4), atomically: the file appears complete
// or not at all. Needs a QGuiApplication.
Ergebnis pdf_schreiben(const Druckauftrag& auftrag, const std::string& pfad,
                       const Seitenformat& format = {});

}  // namespace fibu
