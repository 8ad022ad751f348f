// Statement files the bank-import tests share: one statement of two lines
// on 2 January 2024 as MT940 (SWIFT variant) and as camt.053 in the
// versions 001.02 and 001.08, and a line as the tests compare it.
#pragma once

#include <string>
#include <vector>

#include "banking/auszugszeile.h"
#include "suite/betrag.h"

namespace fibu {

// "datum valuta S soll H haben | text | name | iban | referenz"
inline std::string als_text(const Auszugszeile& z) {
  return DateToDateString("dd.mm.yyyy", z.datum) + " " + DateToDateString("dd.mm.yyyy", z.valuta) +
         " S " + betrag_text(z.soll) + " H " + betrag_text(z.haben) + " | " + z.text + " | " +
         z.name + " | " + z.iban + " | " + z.referenz;
}

inline std::vector<std::string> als_text(const std::vector<Auszugszeile>& zeilen) {
  std::vector<std::string> aus;
  for (const Auszugszeile& z : zeilen) aus.push_back(als_text(z));
  return aus;
}

// The purpose text of the credit runs over two lines of ":86:", its ?21
// subfield broken in the middle.
inline const std::string mt940_beispiel =
    ":20:STARTUMSE\r\n"
    ":25:10020030/1234567890\r\n"
    ":28C:00001/001\r\n"
    ":60F:C231229EUR1000,00\r\n"
    ":61:2401020102C200,00NTRFNONREF//BANKREF1\r\n"
    ":86:166?00GUTSCHRIFT?109310?20RE12345 Rechnung?21vom 15.12\r\n"
    ".2023?30BYLADEM1001?31DE02120300000000202051?32Muster GmbH\r\n"
    ":61:2401020102D50,00NDDTNONREF\r\n"
    ":86:105?00LASTSCHRIFT?20Miete Januar?32Vermieter AG\r\n"
    ":62F:C240102EUR1150,00\r\n"
    "-\r\n";

inline const std::vector<std::string> beispiel_zeilen = {
    "02.01.2024 02.01.2024 S 0,00 H 200,00 | RE12345 Rechnung vom 15.12.2023 | Muster GmbH | "
    "DE02120300000000202051 | ",
    "02.01.2024 02.01.2024 S 50,00 H 0,00 | Miete Januar | Vermieter AG |  | ",
};

// The same statement as camt.053.001.02: names directly below Dbtr/Cdtr,
// status as text.
inline const std::string camt02_beispiel = R"(<?xml version="1.0" encoding="UTF-8"?>
<Document xmlns="urn:iso:std:iso:20022:tech:xsd:camt.053.001.02"
          xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
  <BkToCstmrStmt>
    <GrpHdr><MsgId>053D2024-01-02T18:00:00.0N240000001</MsgId>
      <CreDtTm>2024-01-02T18:00:00.0+01:00</CreDtTm></GrpHdr>
    <Stmt>
      <Id>0352C5320240102180000</Id>
      <ElctrncSeqNb>1</ElctrncSeqNb>
      <CreDtTm>2024-01-02T18:00:00.0+01:00</CreDtTm>
      <Acct><Id><IBAN>DE89100200301234567890</IBAN></Id><Ccy>EUR</Ccy></Acct>
      <Ntry>
        <Amt Ccy="EUR">200.00</Amt>
        <CdtDbtInd>CRDT</CdtDbtInd>
        <Sts>BOOK</Sts>
        <BookgDt><Dt>2024-01-02</Dt></BookgDt>
        <ValDt><Dt>2024-01-02</Dt></ValDt>
        <BkTxCd><Prtry><Cd>NTRF+166</Cd><Issr>DK</Issr></Prtry></BkTxCd>
        <NtryDtls><TxDtls>
          <Refs><EndToEndId>NOTPROVIDED</EndToEndId></Refs>
          <RltdPties>
            <Dbtr><Nm>Muster GmbH</Nm></Dbtr>
            <DbtrAcct><Id><IBAN>DE02120300000000202051</IBAN></Id></DbtrAcct>
          </RltdPties>
          <RmtInf><Ustrd>RE12345 Rechnung</Ustrd><Ustrd>vom 15.12.2023</Ustrd></RmtInf>
        </TxDtls></NtryDtls>
      </Ntry>
      <Ntry>
        <Amt Ccy="EUR">50.00</Amt>
        <CdtDbtInd>DBIT</CdtDbtInd>
        <Sts>BOOK</Sts>
        <BookgDt><Dt>2024-01-02</Dt></BookgDt>
        <ValDt><Dt>2024-01-02</Dt></ValDt>
        <NtryDtls><TxDtls>
          <RltdPties><Cdtr><Nm>Vermieter AG</Nm></Cdtr></RltdPties>
          <RmtInf><Ustrd>Miete Januar</Ustrd></RmtInf>
        </TxDtls></NtryDtls>
      </Ntry>
    </Stmt>
  </BkToCstmrStmt>
</Document>
)";

// And as camt.053.001.08, with a prefix: parties below Pty, status as a
// code, dates with time.
inline const std::string camt08_beispiel = R"(<?xml version="1.0" encoding="UTF-8"?>
<c:Document xmlns:c="urn:iso:std:iso:20022:tech:xsd:camt.053.001.08">
  <c:BkToCstmrStmt>
    <c:GrpHdr><c:MsgId>M1</c:MsgId><c:CreDtTm>2024-01-02T18:00:00</c:CreDtTm></c:GrpHdr>
    <c:Stmt>
      <c:Id>S1</c:Id>
      <c:LglSeqNb>1</c:LglSeqNb>
      <c:Acct><c:Id><c:IBAN>DE89100200301234567890</c:IBAN></c:Id></c:Acct>
      <c:Ntry>
        <c:Amt Ccy="EUR">200</c:Amt>
        <c:CdtDbtInd>CRDT</c:CdtDbtInd>
        <c:Sts><c:Cd>BOOK</c:Cd></c:Sts>
        <c:BookgDt><c:DtTm>2024-01-02T09:15:00</c:DtTm></c:BookgDt>
        <c:ValDt><c:Dt>2024-01-02</c:Dt></c:ValDt>
        <c:NtryDtls><c:TxDtls>
          <c:Refs><c:EndToEndId>NOTPROVIDED</c:EndToEndId></c:Refs>
          <c:RltdPties>
            <c:Dbtr><c:Pty><c:Nm>Muster GmbH</c:Nm></c:Pty></c:Dbtr>
            <c:DbtrAcct><c:Id><c:IBAN>DE02120300000000202051</c:IBAN></c:Id></c:DbtrAcct>
          </c:RltdPties>
          <c:RmtInf><c:Ustrd> RE12345 Rechnung </c:Ustrd><c:Ustrd>vom 15.12.2023</c:Ustrd></c:RmtInf>
        </c:TxDtls></c:NtryDtls>
      </c:Ntry>
      <c:Ntry>
        <c:Amt Ccy="EUR">50.0</c:Amt>
        <c:CdtDbtInd>DBIT</c:CdtDbtInd>
        <c:Sts><c:Cd>BOOK</c:Cd></c:Sts>
        <c:BookgDt><c:Dt>2024-01-02</c:Dt></c:BookgDt>
        <c:ValDt><c:Dt>2024-01-02</c:Dt></c:ValDt>
        <c:NtryDtls><c:TxDtls>
          <c:RltdPties><c:Cdtr><c:Pty><c:Nm>Vermieter AG</c:Nm></c:Pty></c:Cdtr></c:RltdPties>
          <c:RmtInf><c:Ustrd>Miete Januar</c:Ustrd></c:RmtInf>
        </c:TxDtls></c:NtryDtls>
      </c:Ntry>
    </c:Stmt>
  </c:BkToCstmrStmt>
</c:Document>
)";

}  // namespace fibu
