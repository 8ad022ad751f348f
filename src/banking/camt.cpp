#include "banking/camt.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <zip.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "suite/allgemei.h"

namespace fibu {

namespace {

constexpr std::string_view camt053_namensraum = "urn:iso:std:iso:20022:tech:xsd:camt.053.001.";
// Statements of a year fit in far less; anything larger is no statement.
constexpr std::size_t groesste_xml_datei = 64u << 20;
constexpr std::size_t groesstes_zip = 256u << 20;
constexpr zip_int64_t meiste_zip_eintraege = 10000;

// --- XML access by local name within the statement's namespace ---

struct Xml {
  const xmlChar* ns = nullptr;

  bool passt(const xmlNode* n, const char* name) const {
    return n && n->type == XML_ELEMENT_NODE && n->ns && xmlStrEqual(n->ns->href, ns) &&
           xmlStrEqual(n->name, reinterpret_cast<const xmlChar*>(name));
  }
  std::vector<const xmlNode*> kinder(const xmlNode* n, const char* name) const {
    std::vector<const xmlNode*> aus;
    if (!n) return aus;
    for (const xmlNode* k = n->children; k; k = k->next)
      if (passt(k, name)) aus.push_back(k);
    return aus;
  }
  const xmlNode* kind(const xmlNode* n, const char* name) const {
    if (!n) return nullptr;
    for (const xmlNode* k = n->children; k; k = k->next)
      if (passt(k, name)) return k;
    return nullptr;
  }
  // The first element along a path of names ("Acct/Id/IBAN").
  const xmlNode* pfad(const xmlNode* n, std::initializer_list<const char*> namen) const {
    for (const char* name : namen) n = kind(n, name);
    return n;
  }
  // The element's own text (entity references are not expanded).
  static std::string text(const xmlNode* n) {
    std::string aus;
    if (!n) return aus;
    for (const xmlNode* k = n->children; k; k = k->next)
      if ((k->type == XML_TEXT_NODE || k->type == XML_CDATA_SECTION_NODE) && k->content)
        aus += reinterpret_cast<const char*>(k->content);
    return trim(aus);
  }
  std::string text(const xmlNode* n, std::initializer_list<const char*> namen) const {
    return text(pfad(n, namen));
  }
};

// "2008-01-02" or "2008-01-02T10:00:00".
Datum camt_datum(const Xml& x, const xmlNode* n) {
  std::string t = x.text(n, {"Dt"});
  if (t.empty()) t = x.text(n, {"DtTm"});
  return t.size() >= 10 ? DateStringToDate("yyyy-mm-dd", std::string_view(t).substr(0, 10))
                        : kein_datum;
}

// A party of RltdPties: its name directly (001.02) or below Pty (001.08).
std::string partei_name(const Xml& x, const xmlNode* partei) {
  std::string name = x.text(partei, {"Nm"});
  return name.empty() ? x.text(partei, {"Pty", "Nm"}) : name;
}

class CamtLeser {
 public:
  explicit CamtLeser(Auszugsdatei& d) : d_(d) {}

  // One document; false with d_.fehler when it is no camt.053 statement.
  bool dokument(std::string_view daten) {
    if (daten.size() > groesste_xml_datei) return fehler("Die Datei ist zu groß.");
    xmlInitParser();
    std::unique_ptr<xmlParserCtxt, decltype(&xmlFreeParserCtxt)> ctxt(xmlNewParserCtxt(),
                                                                      xmlFreeParserCtxt);
    if (!ctxt) return fehler("Zu wenig Speicher.");
    // No network, no entity substitution, no external DTD, no messages on
    // stderr; the parser's own limits on depth and text size stay in force.
    const int optionen = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc(
        xmlCtxtReadMemory(ctxt.get(), daten.data(), static_cast<int>(daten.size()), "camt.xml",
                          nullptr, optionen),
        xmlFreeDoc);
    if (!doc || !ctxt->wellFormed) {
      const xmlError* e = xmlCtxtGetLastError(ctxt.get());
      return fehler("Die Datei ist kein gültiges XML" +
                    (e && e->line > 0 ? " (Fehler in Zeile " + std::to_string(e->line) + ")" : "") +
                    ".");
    }
    if (doc->intSubset || doc->extSubset)
      return fehler("Die Datei enthält eine Dokumenttypdefinition und wird nicht gelesen.");
    const xmlNode* wurzel = xmlDocGetRootElement(doc.get());
    if (!wurzel || !wurzel->ns || !bekannte_version(wurzel->ns->href) ||
        !xmlStrEqual(wurzel->name, reinterpret_cast<const xmlChar*>("Document")))
      return fehler(
          "Die Datei ist kein Kontoauszug im Format CAMT.053 (Version 001.02 bis 001.08).");
    x_.ns = wurzel->ns->href;
    const xmlNode* auszuege = x_.kind(wurzel, "BkToCstmrStmt");
    if (!auszuege) return fehler("Die Datei enthält keinen Kontoauszug (BkToCstmrStmt fehlt).");
    for (const xmlNode* stmt : x_.kinder(auszuege, "Stmt")) auszug(stmt);
    return true;
  }

 private:
  bool fehler(std::string text) {
    d_.fehler = std::move(text);
    return false;
  }

  static bool bekannte_version(const xmlChar* href) {
    const std::string_view ns(reinterpret_cast<const char*>(href));
    if (!ns.starts_with(camt053_namensraum)) return false;
    const std::string_view version = ns.substr(camt053_namensraum.size());
    return version.size() == 2 && version >= "02" && version <= "08";
  }

  void auszug(const xmlNode* stmt) {
    std::string iban = x_.text(stmt, {"Acct", "Id", "IBAN"});
    if (iban.empty()) iban = x_.text(stmt, {"Acct", "Id", "Othr", "Id"});
    if (d_.kontonummer.empty()) d_.kontonummer = iban;
    std::string nummer = x_.text(stmt, {"ElctrncSeqNb"});
    if (nummer.empty()) nummer = x_.text(stmt, {"LglSeqNb"});
    if (nummer.empty()) nummer = x_.text(stmt, {"Id"});
    if (!nummer.empty())
      d_.auszugsnummer = d_.auszugsnummer.empty() ? nummer : d_.auszugsnummer + ", " + nummer;
    for (const xmlNode* ntry : x_.kinder(stmt, "Ntry")) eintrag(ntry, iban);
  }

  void eintrag(const xmlNode* ntry, const std::string& iban) {
    const xmlNode* amt = x_.kind(ntry, "Amt");
    Zeilenherkunft h{iban, "", ""};
    if (xmlChar* ccy =
            amt ? xmlGetNoNsProp(amt, reinterpret_cast<const xmlChar*>("Ccy")) : nullptr) {
      h.waehrung = reinterpret_cast<const char*>(ccy);
      xmlFree(ccy);
    }
    Auszugszeile z;
    z.valuta = camt_datum(x_, x_.kind(ntry, "ValDt"));
    z.datum = camt_datum(x_, x_.kind(ntry, "BookgDt"));
    if (z.datum == kein_datum) z.datum = z.valuta;
    const std::string betragtext = Xml::text(amt);
    Fehlzeile fehl{h.konto,    "",         DateToDateString("dd.mm.yyyy", z.datum),
                   betragtext, h.waehrung, ""};
    std::string status = x_.text(ntry, {"Sts"});
    if (status.empty()) status = x_.text(ntry, {"Sts", "Cd"});
    const std::string richtung = x_.text(ntry, {"CdtDbtInd"});
    const auto betrag = dezimalbetrag(betragtext, '.', false);
    if (!status.empty() && status != "BOOK") {
      fehl.grund = "Status " + status + ", nicht gebucht";
    } else if (z.datum == kein_datum) {
      fehl.grund = "Buchungsdatum ungültig";
    } else if (!betrag) {
      fehl.grund = "Betrag ungültig";
    } else if (richtung != "CRDT" && richtung != "DBIT") {
      fehl.grund = "Soll/Haben-Kennzeichen ungültig";
    } else if (*betrag == 0) {
      fehl.grund = "Betrag ist Null";
    }
    if (!fehl.grund.empty()) {
      d_.abgelehnt.push_back(std::move(fehl));
      return;
    }
    // CdtDbtInd is the direction of the entry itself, reversals included.
    const bool haben = richtung == "CRDT";
    (haben ? z.haben : z.soll) = *betrag;
    details(ntry, haben, z);
    if (z.text.empty()) z.text = x_.text(ntry, {"AddtlNtryInf"});
    d_.zeilen.push_back(std::move(z));
    d_.herkunft.push_back(std::move(h));
  }

  // The purpose text of every transaction of the entry; the other party and
  // the reference only when the entry is a single transaction.
  void details(const xmlNode* ntry, bool haben, Auszugszeile& z) {
    std::vector<const xmlNode*> tx;
    for (const xmlNode* nd : x_.kinder(ntry, "NtryDtls"))
      for (const xmlNode* t : x_.kinder(nd, "TxDtls")) tx.push_back(t);
    for (const xmlNode* t : tx) {
      const xmlNode* rmt = x_.kind(t, "RmtInf");
      for (const xmlNode* u : x_.kinder(rmt, "Ustrd")) z.text = angehaengt(z.text, Xml::text(u));
      for (const xmlNode* s : x_.kinder(rmt, "Strd"))
        z.text = angehaengt(z.text, x_.text(s, {"CdtrRefInf", "Ref"}));
    }
    if (tx.size() != 1) return;
    const xmlNode* parteien = x_.kind(tx[0], "RltdPties");
    z.name = partei_name(x_, x_.kind(parteien, haben ? "Dbtr" : "Cdtr"));
    z.iban = x_.text(parteien, {haben ? "DbtrAcct" : "CdtrAcct", "Id", "IBAN"});
    const std::string referenz = x_.text(tx[0], {"Refs", "EndToEndId"});
    if (referenz != "NOTPROVIDED") z.referenz = referenz;
  }

  Auszugsdatei& d_;
  Xml x_;
};

// --- ZIP ---

struct Zipeintrag {
  std::string name;
  zip_uint64_t index;
};

bool ist_zip(std::string_view daten) {
  return daten.starts_with(std::string_view("PK\x03\x04", 4)) ||
         daten.starts_with(std::string_view("PK\x05\x06", 4));
}

bool endet_auf_xml(std::string name) {
  return name.size() > 4 && gross(name.substr(name.size() - 4)) == ".XML";
}

Auszugsdatei zip_lesen(std::string_view daten) {
  Auszugsdatei d;
  auto fehler = [&d](std::string text) {
    d = Auszugsdatei{};
    d.fehler = std::move(text);
    return std::move(d);
  };
  if (daten.size() > groesstes_zip) return fehler("Die Datei ist zu groß.");
  zip_error_t ze;
  zip_error_init(&ze);
  zip_source_t* quelle = zip_source_buffer_create(daten.data(), daten.size(), 0, &ze);
  zip_error_fini(&ze);
  if (!quelle) return fehler("Zu wenig Speicher.");
  zip_t* archiv = zip_open_from_source(quelle, ZIP_RDONLY, nullptr);
  if (!archiv) {
    zip_source_free(quelle);
    return fehler("Die ZIP-Datei ist beschädigt.");
  }
  std::unique_ptr<zip_t, decltype(&zip_discard)> zu(archiv, zip_discard);
  const zip_int64_t anzahl = zip_get_num_entries(archiv, 0);
  if (anzahl < 0 || anzahl > meiste_zip_eintraege) return fehler("Die ZIP-Datei ist beschädigt.");
  std::vector<Zipeintrag> eintraege;
  for (zip_int64_t i = 0; i < anzahl; ++i) {
    const char* name = zip_get_name(archiv, static_cast<zip_uint64_t>(i), 0);
    if (name && endet_auf_xml(name) && !std::string_view(name).starts_with("__MACOSX/"))
      eintraege.push_back({name, static_cast<zip_uint64_t>(i)});
  }
  if (eintraege.empty()) return fehler("Die ZIP-Datei enthält keine XML-Datei.");
  std::sort(eintraege.begin(), eintraege.end(),
            [](const Zipeintrag& a, const Zipeintrag& b) { return a.name < b.name; });
  std::size_t gesamt = 0;
  for (const Zipeintrag& e : eintraege) {
    zip_file_t* datei = zip_fopen_index(archiv, e.index, 0);
    if (!datei) return fehler(e.name + " im ZIP-Archiv ist nicht lesbar.");
    // Read at most one byte beyond the limit: what the directory claims
    // about the size is not trusted.
    std::string inhalt;
    char puffer[65536];
    zip_int64_t n = 0;
    while ((n = zip_fread(datei, puffer, sizeof puffer)) > 0) {
      inhalt.append(puffer, static_cast<std::size_t>(n));
      if (inhalt.size() > groesste_xml_datei || gesamt + inhalt.size() > groesstes_zip) break;
    }
    zip_fclose(datei);
    if (n < 0) return fehler(e.name + " im ZIP-Archiv ist nicht lesbar.");
    if (inhalt.size() > groesste_xml_datei || gesamt + inhalt.size() > groesstes_zip)
      return fehler(e.name + " im ZIP-Archiv ist zu groß.");
    gesamt += inhalt.size();
    if (!CamtLeser(d).dokument(inhalt)) return fehler(e.name + " im ZIP-Archiv: " + d.fehler);
  }
  return d;
}

}  // namespace

Auszugsdatei camt_lesen(std::string_view daten) {
  if (ist_zip(daten)) return zip_lesen(daten);
  Auszugsdatei d;
  if (!CamtLeser(d).dokument(daten)) {
    std::string fehler = std::move(d.fehler);
    d = Auszugsdatei{};
    d.fehler = std::move(fehler);
  }
  return d;
}

}  // namespace fibu
