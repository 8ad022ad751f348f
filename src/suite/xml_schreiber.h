// The libxml2 text writer into memory, freed on every path; every step
// keeps `ok` false once one has failed. Header only: a target that uses it
// links libxml2.
#pragma once

#include <libxml/xmlwriter.h>

#include <string>

#include "suite/allgemei.h"

namespace fibu {

struct XmlSchreiber {
  xmlBufferPtr puffer = xmlBufferCreate();
  xmlTextWriterPtr w = puffer ? xmlNewTextWriterMemory(puffer, 0) : nullptr;
  bool ok = w != nullptr;

  XmlSchreiber() = default;
  XmlSchreiber(const XmlSchreiber&) = delete;
  XmlSchreiber& operator=(const XmlSchreiber&) = delete;
  ~XmlSchreiber() {
    if (w) xmlFreeTextWriter(w);
    if (puffer) xmlBufferFree(puffer);
  }
  static const xmlChar* x(const std::string& s) {
    return reinterpret_cast<const xmlChar*>(s.c_str());
  }
  void auf(const std::string& name) { ok = ok && xmlTextWriterStartElement(w, x(name)) >= 0; }
  void attribut(const std::string& name, const std::string& wert) {
    ok = ok && xmlTextWriterWriteAttribute(w, x(name), x(wert)) >= 0;
  }
  void zu() { ok = ok && xmlTextWriterEndElement(w) >= 0; }
  // An element with text; the writer escapes &, <, > and quotes.
  void element(const std::string& name, const std::string& text) {
    ok = ok && xmlTextWriterWriteElement(w, x(name), x(text)) >= 0;
  }
  void wenn_nicht_leer(const std::string& name, const std::string& text) {
    if (!trim(text).empty()) element(name, trim(text));
  }
  // The document so far; empty after a failed step.
  std::string text() {
    if (!ok || xmlTextWriterFlush(w) < 0) return {};
    return std::string(reinterpret_cast<const char*>(xmlBufferContent(puffer)),
                       static_cast<std::size_t>(xmlBufferLength(puffer)));
  }
};

}  // namespace fibu
