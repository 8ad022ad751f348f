#include "gui/tffibu_view.h"

#include <QLabel>

namespace fibu {

TFFibuView::TFFibuView(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(QStringLiteral("Finanzbuchhaltung"));
  auto* hinweis = new QLabel(QStringLiteral("Kein Mandant geöffnet"), this);
  hinweis->setAlignment(Qt::AlignCenter);
  setCentralWidget(hinweis);
  resize(900, 600);
}

}  // namespace fibu
