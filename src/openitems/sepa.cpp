#include "openitems/sepa.h"

#include <cctype>

#include "openitems/zeichensatz.h"
#include "suite/allgemei.h"
#include "suite/xml_schreiber.h"

namespace fibu {

namespace {

// "119.00": the amount with a decimal point.
std::string betrag(Betrag cent) {
  return std::to_string(cent / 100) + "." + std::to_string(cent % 100 + 100).substr(1);
}

std::string iso_datum(Datum d) {
  return DateToDateString("yyyy-mm-dd", d);
}

// A bank: its BIC, or "NOTPROVIDED" when only the IBAN is known.
void institut(XmlSchreiber& s, const std::string& element, const std::string& bic) {
  s.auf(element);
  s.auf("FinInstnId");
  if (!bic.empty()) {
    s.element("BICFI", bic);
  } else {
    s.auf("Othr");
    s.element("Id", "NOTPROVIDED");
    s.zu();
  }
  s.zu();
  s.zu();
}

void konto(XmlSchreiber& s, const std::string& element, const std::string& iban) {
  s.auf(element);
  s.auf("Id");
  s.element("IBAN", iban);
  s.zu();
  s.zu();
}

}  // namespace

std::string sepa_text(std::string_view utf8, std::size_t laenge) {
  static const std::string_view deutsch[7] = {"ae", "Ae", "oe", "Oe", "ue", "Ue", "ss"};
  const std::string aus = zeichen_umsetzen(
      utf8,
      [](char c) {
        const bool erlaubt = std::isalnum(static_cast<unsigned char>(c)) ||
                             std::string_view("/-?:().,'+ ").find(c) != std::string_view::npos;
        return erlaubt ? c : ' ';
      },
      deutsch);
  return trim(aus.substr(0, laenge));
}

std::string sepa_lastschrift(const SepaKopf& k, const std::vector<SepaPosten>& posten) {
  Betrag summe = 0;
  for (const auto& p : posten) summe += p.betrag;
  const std::string anzahl = std::to_string(posten.size());
  XmlSchreiber s;
  xmlTextWriterSetIndent(s.w, 1);
  xmlTextWriterSetIndentString(s.w, XmlSchreiber::x("  "));
  s.ok = s.ok && xmlTextWriterStartDocument(s.w, "1.0", "UTF-8", nullptr) >= 0;
  s.auf("Document");
  s.attribut("xmlns", "urn:iso:std:iso:20022:tech:xsd:pain.008.001.08");
  s.auf("CstmrDrctDbtInitn");
  s.auf("GrpHdr");
  s.element("MsgId", k.nachricht);
  s.element("CreDtTm", k.erstellt);
  s.element("NbOfTxs", anzahl);
  s.element("CtrlSum", betrag(summe));
  s.auf("InitgPty");
  s.element("Nm", sepa_text(k.name, 70));
  s.zu();
  s.zu();
  s.auf("PmtInf");
  s.element("PmtInfId", k.nachricht);
  s.element("PmtMtd", "DD");
  s.element("NbOfTxs", anzahl);
  s.element("CtrlSum", betrag(summe));
  s.auf("PmtTpInf");
  s.auf("SvcLvl");
  s.element("Cd", "SEPA");
  s.zu();
  s.auf("LclInstrm");
  s.element("Cd", "CORE");
  s.zu();
  s.element("SeqTp", k.sequenz);
  s.zu();
  s.element("ReqdColltnDt", iso_datum(k.faellig));
  s.auf("Cdtr");
  s.element("Nm", sepa_text(k.name, 70));
  s.zu();
  konto(s, "CdtrAcct", k.iban);
  institut(s, "CdtrAgt", k.bic);
  s.element("ChrgBr", "SLEV");
  s.auf("CdtrSchmeId");
  s.auf("Id");
  s.auf("PrvtId");
  s.auf("Othr");
  s.element("Id", k.glaeubiger_id);
  s.auf("SchmeNm");
  s.element("Prtry", "SEPA");
  s.zu();
  s.zu();
  s.zu();
  s.zu();
  s.zu();
  for (const auto& p : posten) {
    s.auf("DrctDbtTxInf");
    s.auf("PmtId");
    s.element("EndToEndId", sepa_text(p.ende_zu_ende, 35));
    s.zu();
    s.auf("InstdAmt");
    s.attribut("Ccy", "EUR");
    s.ok = s.ok && xmlTextWriterWriteString(s.w, XmlSchreiber::x(betrag(p.betrag))) >= 0;
    s.zu();
    s.auf("DrctDbtTx");
    s.auf("MndtRltdInf");
    s.element("MndtId", sepa_text(p.mandat, 35));
    s.element("DtOfSgntr", iso_datum(p.mandatsdatum));
    s.zu();
    s.zu();
    institut(s, "DbtrAgt", p.bic);
    s.auf("Dbtr");
    s.element("Nm", sepa_text(p.name, 70));
    s.zu();
    konto(s, "DbtrAcct", p.iban);
    s.auf("RmtInf");
    s.element("Ustrd", sepa_text(p.zweck, 140));
    s.zu();
    s.zu();
  }
  s.zu();  // PmtInf
  s.zu();  // CstmrDrctDbtInitn
  s.zu();  // Document
  s.ok = s.ok && xmlTextWriterEndDocument(s.w) >= 0;
  return s.text();
}

}  // namespace fibu
