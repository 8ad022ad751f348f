// The desktop program.
#include <QApplication>
#include <QMessageBox>

#include "gui/tffibu_view.h"
#include "suite/ergebnis.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("fibu"));
  try {
    fibu::TFFibuView fenster;
    fenster.show();
    return QApplication::exec();
  } catch (const fibu::Abbruch& a) {
    QMessageBox::critical(nullptr, QStringLiteral("Finanzbuchhaltung"),
                          QString::fromStdString(a.text()));
    return 1;
  }
}
